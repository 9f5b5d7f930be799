# Helpers of the selection tests (region overlay and window picker), sourced
# after harness.sh. Mouse and keys go through xdotool, as a user's would.

# sel_click_control NAME: a real click at the centre of a control of MainWindow.
sel_click_control() {
  local cx cy
  read -r cx cy <<<"$(fl_get "$FL_TITLE" "$1" cx) $(fl_get "$FL_TITLE" "$1" cy)"
  [ -n "$cx" ] && [ -n "$cy" ] || fl_fatal "no control $1"
  fl_click_at "$cx" "$cy"
}

# The program's shown windows without a title (the overlay, the outline):
# one line "hwnd x y w h" each.
sel_selection_windows() {
  fl_driver windows | awk -F '\t' '$3 == "FramelarkWindow" && $8 == "" { print $1, $4, $5, $6, $7 }'
}

# sel_wait_selection_window SECONDS: waits until one is shown; prints its line.
sel_wait_selection_window() {
  local deadline=$((SECONDS + $1)) line
  while :; do
    line=$(sel_selection_windows | head -n 1)
    [ -n "$line" ] && { printf '%s\n' "$line"; return 0; }
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.1
  done
}

# sel_wait_shown_edge SECONDS: waits until a selection window appears after
# having been seen hidden (a showing flash tick has just passed).
sel_wait_shown_edge() {
  local deadline=$((SECONDS + $1)) seen_hidden=0
  while [ $SECONDS -lt $deadline ]; do
    if [ -n "$(sel_selection_windows)" ]; then
      [ $seen_hidden = 1 ] && return 0
    else
      seen_hidden=1
    fi
  done
  return 1
}

sel_window_shown() { [ "$(fl_window "hwnd=$1" visible 2>/dev/null)" = 1 ]; }

# sel_wait_window_gone HWND SECONDS
sel_wait_window_gone() {
  local deadline=$((SECONDS + $2))
  while fl_window "hwnd=$1" visible >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# sel_wait_enabled SECONDS: until MainWindow takes input again.
sel_wait_enabled() {
  local deadline=$((SECONDS + $1))
  until [ "$(fl_window "$FL_TITLE" enabled)" = 1 ]; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# sel_same_area SHOT1 SHOT2 X Y W H: the area is the same in both pictures.
sel_same_area() {
  local geometry="$5x$6+$3+$4" one two
  one=$(timeout 20 convert "$1" -crop "$geometry" +repage -format '%#' info:) || return 1
  two=$(timeout 20 convert "$2" -crop "$geometry" +repage -format '%#' info:) || return 1
  [ "$one" = "$two" ]
}

# sel_has_colour SHOT X Y W H RRGGBB: some pixel of the area has the colour.
sel_has_colour() {
  local pixels
  pixels=$(timeout 20 convert "$1" -crop "$4x$5+$2+$3" +repage -depth 8 txt:-) || return 1
  grep -qi "#$6" <<<"$pixels"
}

sel_lacks_colour() { ! sel_has_colour "$@"; }

# sel_record_and_save NAME: F2, a few seconds, F2, then the save dialog that
# the stop opens gets NAME.gif in the artefacts folder. Prints the file.
sel_record_and_save() {
  local file=$FL_ARTEFACTS/$1.gif windows_path
  windows_path="Z:$(tr / '\\' <<<"$file")"
  rm -f "$file"
  fl_key F2
  sleep 3
  fl_key F2
  fl_driver wait-window "保存录象图片" 15000 >/dev/null || return 1
  sleep 0.5
  fl_type "$windows_path"
  fl_key Return
  fl_wait_until 15 test -s "$file" || return 1
  # The writer may still be writing: wait for the size to settle.
  local size=-1
  while [ "$size" != "$(stat -c %s "$file")" ]; do
    size=$(stat -c %s "$file")
    sleep 0.5
  done
  printf '%s\n' "$file"
}

# sel_gif_size FILE: the logical screen's width and height.
sel_gif_size() {
  local w h
  read -r w h <<<"$(od -An -tu2 -j6 -N4 "$1")"
  printf '%s %s\n' "$w" "$h"
}

# The region scenario: the radio button, the crosshair, a rectangle dragged
# over another program on the frozen screen, Enter, then a recording whose
# GIF has exactly the size of the rectangle dragged. Screenshots of the
# overlay stay in the artefacts.
sel_region_scenario() {
  local overlay hwnd ox oy ow oh screen_w screen_h frozen1 frozen2 x1 y1 x2 y2 desktop shot gif
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
  x1=100 y1=80 x2=600 y2=520
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

  # Enter with the button still held: the drag ends with the overlay, so
  # the next overlay draws nothing before a press of its own.
  sel_click_control 图片框_准心
  overlay=$(sel_wait_selection_window 10) || fl_fatal "no second overlay"
  read -r hwnd _ <<<"$overlay"
  x1=200 y1=150 x2=420 y2=330
  fl_xdo mousemove --sync $x1 $y1 mousedown 1
  fl_xdo mousemove --sync 300 250
  fl_xdo mousemove --sync $x2 $y2
  fl_key Return
  fl_check "Enter closes the overlay with the button held" sel_wait_window_gone "$hwnd" 10
  fl_xdo mouseup 1
  sel_wait_enabled 5
  sel_click_control 图片框_准心
  overlay=$(sel_wait_selection_window 10) || fl_fatal "no third overlay"
  read -r hwnd _ <<<"$overlay"
  fl_xdo mousemove --sync 650 560
  fl_xdo mousemove --sync 700 600
  sleep 0.4
  shot=$(fl_screenshot overlay_after_held_enter)
  fl_check "no rectangle from the old press point" sel_lacks_colour "$shot" 200 590 700 30 ff0000
  fl_key Return
  fl_check "the third overlay closes" sel_wait_window_gone "$hwnd" 10
  sel_wait_enabled 5

  # What was dragged last is what is recorded, pixel for pixel.
  gif=$(sel_record_and_save region) || fl_fatal "no GIF saved"
  fl_check_eq "GIF size equals the rectangle dragged" "$((x2 - x1)) $((y2 - y1))" "$(sel_gif_size "$gif")"
}
