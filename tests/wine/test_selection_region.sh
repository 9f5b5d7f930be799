#!/usr/bin/env bash
# Region mode as a user works it: the radio button, the crosshair, a
# rectangle dragged over another program on the frozen screen, Enter, then a
# recording whose GIF has exactly the size of the rectangle dragged.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/selection_common.sh"
fl_test_begin

fl_app_start app
# Another program to drag over, animating so that a frozen picture shows.
fl_animate_start anim --pos 120 100 400 300 --period 100

sel_click_control 单选框_区域
fl_check_eq "hint after the region button" "请点击十字图形选择录制区域！" "$(fl_status)"

sel_click_control 图片框_准心
overlay=$(sel_wait_selection_window 10) || fl_fatal "no overlay after the crosshair"
read -r hwnd ox oy ow oh <<<"$overlay"
read -r screen_w screen_h <<<"$(fl_driver screen-size)"
fl_check_eq "the overlay covers the screen" "0 0 $screen_w $screen_h" "$ox $oy $ow $oh"
fl_check_eq "the overlay is on top" 1 "$(fl_window "hwnd=$hwnd" topmost)"
fl_check_eq "the canvas covers the overlay" "0 0 $screen_w $screen_h" \
  "$(fl_get "hwnd=$hwnd" 画板_画线背景 rect)"
fl_check_eq "MainWindow disabled while the overlay is open" 0 "$(fl_window "$FL_TITLE" enabled)"

# The screen is frozen: the animation underneath goes on, the overlay does not.
frozen1=$(fl_screenshot overlay_frozen_1)
sleep 0.5
frozen2=$(fl_screenshot overlay_frozen_2)
fl_check "the overlay shows a still picture of the screen" sel_same_area \
  "$frozen1" "$frozen2" 150 120 340 260

# Neither Escape nor a right click nor a double click closes it.
fl_key Escape
fl_xdo mousemove --sync 700 600 click 3
fl_xdo mousemove --sync 700 600 click --repeat 2 --delay 80 1
sleep 0.5
fl_check "still open after Escape, right and double click" sel_window_shown "$hwnd"

# The drag: from the press point to the cursor, in BorderColor (red). The
# rectangle encloses the program, its edges and the text lie on the desktop.
x1=100 y1=80 x2=560 y2=440
desktop=$(fl_pixel "$frozen1" 60 500)
fl_xdo mousemove --sync $x1 $y1 mousedown 1
fl_xdo mousemove --sync 300 250
fl_xdo mousemove --sync $x2 $y2
sleep 0.4
shot=$(fl_screenshot overlay_mid_drag)
fl_check_eq "left edge of the rectangle" ff0000 "$(fl_pixel "$shot" $x1 250)"
fl_check_eq "top edge of the rectangle" ff0000 "$(fl_pixel "$shot" 300 $y1)"
fl_check_eq "right edge of the rectangle" ff0000 "$(fl_pixel "$shot" $((x2 - 1)) 250)"
fl_check_eq "bottom edge of the rectangle" ff0000 "$(fl_pixel "$shot" 300 $((y2 - 1)))"
fl_check_eq "outside the rectangle the frozen desktop" "$desktop $desktop" \
  "$(fl_pixel "$shot" $((x1 - 1)) 250) $(fl_pixel "$shot" $x2 250)"
fl_check "the coordinates are written at the cursor" sel_has_colour "$shot" \
  $x2 $y2 160 16 ff0000
fl_xdo mouseup 1

fl_key Return
fl_check "Enter closes the overlay" sel_wait_window_gone "$hwnd" 10
fl_check "MainWindow enabled again" sel_wait_enabled 5
fl_check_eq "status after the overlay" "[F2]进行录制！" "$(fl_status)"

# What was dragged is what is recorded, pixel for pixel.
gif=$(sel_record_and_save region) || fl_fatal "no GIF saved"
fl_check_eq "GIF size equals the rectangle dragged" "$((x2 - x1)) $((y2 - y1))" "$(sel_gif_size "$gif")"

fl_finish
