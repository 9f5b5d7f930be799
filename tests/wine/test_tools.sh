#!/usr/bin/env bash
# The test tools themselves, on flanimate.exe: the driver reports the window
# where it is, screenshots show it animating, and each way of closing a
# window that the other tests rely on reaches the program; the DPI setting.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

fl_check_eq "desktop size" "${FL_SCREEN/x/ }" "$(fl_driver screen-size)"

fl_animate_start anim --pos 100 60 200 120 --period 100
fl_check_eq "window rect" "100 60 200 120" "$(fl_driver window-rect "$FL_ANIMATE_TITLE")"
fl_check_eq "bare popup" "0 1" \
  "$(fl_window "$FL_ANIMATE_TITLE" caption) $(fl_window "$FL_ANIMATE_TITLE" popup)"

# Each screenshot shows another frame, in a colour of the palette.
palette="ff0000 00ff00 0000ff ffff00 ff00ff 00ffff ff8000 8000ff"
previous=""
for i in 1 2 3; do
  shot=$(fl_screenshot "anim$i")
  # The bar is 20 px wide, so one of two points 30 px apart shows the background.
  colour=$(fl_pixel "$shot" 150 170)
  [ "$colour" = 000000 ] && colour=$(fl_pixel "$shot" 180 170)
  fl_check "shot $i: background $colour is in the palette" \
    eval '[[ " $palette " == *" $colour "* ]]'
  if [ -n "$previous" ]; then
    fl_check "shot $i differs from the one before" \
      test "$(fl_differing_pixels "$previous" "$shot" 100 60 200 120)" -gt 0
  fi
  previous=$shot
  sleep 0.15
done

# A still window (frame 0: red) read by the driver and from a screenshot; its
# Chinese title survives the command line both ways.
fl_animate_start cn --title "录制 测试" --pos 400 300 160 100 --caption --period 0
fl_check_eq "Chinese title, captioned" "1" "$(fl_window "录制 测试" caption)"
fl_check_eq "driver pixel" "ff0000" "$(fl_driver pixel 530 370)"
fl_check_eq "screenshot pixel" "ff0000" "$(fl_pixel "$(fl_screenshot still)" 530 370)"

# Closing: WM_CLOSE from the driver, Alt+F4 after a real click.
fl_check "post-close" fl_driver post-close "$FL_ANIMATE_TITLE"
fl_check "ended after WM_CLOSE" fl_wait_exit anim 10
fl_check_eq "exit code after WM_CLOSE" 0 "${FL_EXIT[anim]:-}"

fl_click_at 480 370
fl_check "click brings it forward" fl_driver wait-foreground "录制 测试" 5000
fl_key alt+F4
fl_check "ended after Alt+F4" fl_wait_exit cn 10
fl_check_eq "exit code after Alt+F4" 0 "${FL_EXIT[cn]:-}"
fl_check "window gone" fl_driver wait-gone "录制 测试" 3000

# The DPI that programs started later see; the end of the test restores 96.
fl_check_eq "default DPI" 96 "$(fl_driver dpi)"
fl_set_dpi 144
fl_check_eq "DPI after fl_set_dpi 144" 144 "$(fl_driver dpi)"

fl_finish
