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

# sel_record_and_save NAME: the start button, a few seconds, the stop
# button, then the save dialog that the stop opens gets NAME.gif in the
# artefacts folder. Prints the file.
sel_record_and_save() {
  local file=$FL_ARTEFACTS/$1.gif windows_path
  windows_path="Z:$(tr / '\\' <<<"$file")"
  rm -f "$file"
  sel_click_control 图形按钮_开始
  sleep 3
  sel_click_control 图形按钮_停止
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
