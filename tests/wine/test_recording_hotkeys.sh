#!/usr/bin/env bash
# A whole recording driven from outside, as a user makes one: full-screen
# mode, F2 while another program has the focus, F3 to pause and F3 to go on,
# F2 to stop, the save dialog answered by typing a path with Chinese
# characters. The file is read back with Pillow and its frames show the other
# program animating. Then a second recording: its dialog is cancelled, closing
# the window asks first (No keeps it), the save button offers the first path
# again and writes over it after the dialog's own question, and a new typed
# name saves it once more. Nothing unsaved is left: closing asks nothing.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

PYTHON=/usr/bin/python3
"$PYTHON" -c 'import PIL' 2>/dev/null || fl_fatal "needs Debian's python3-pil to read the GIFs"
GIF_FRAMES=$FL_HARNESS_DIR/gif_frames.py
SAVE_TITLE=保存录象图片
OUT=$FL_ARTEFACTS/录像
mkdir -p "$OUT"

# The other program, and a point of its background that its label never
# covers (its moving bar does, in 2 frames of 20).
ANIM_X=40 ANIM_Y=40 ANIM_W=360 ANIM_H=260
PX=$((ANIM_X + ANIM_W * 3 / 4)) PY=$((ANIM_Y + ANIM_H * 3 / 4))
PALETTE=" ff0000 00ff00 0000ff ffff00 ff00ff 00ffff ff8000 8000ff "
# Where the mouse rests while recording: the cursor arrow is drawn there.
REST_X=1200 REST_Y=760

# --- helpers -----------------------------------------------------------------

quiet() { "$@" >/dev/null; }
frames_in() { sed -n 's/.*\[已录制\([0-9]*\)帧\]$/\1/p' <<<"$1"; }
status_is() { [ "$(fl_status)" = "$1" ]; }
status_starts() { [[ "$(fl_status)" == "$1"* ]]; }

# The focus goes to the other program; the mouse then rests out of the way.
focus_other_program() {
  fl_click_at $((ANIM_X + 20)) $((ANIM_Y + ANIM_H - 20)) &&
    fl_driver wait-foreground "$FL_ANIMATE_TITLE" 5000 >/dev/null &&
    fl_xdo mousemove --sync $REST_X $REST_Y
}

# A real click at the centre of a control of MainWindow. The mouse comes from
# outside, as a hand's does: Wine drops a press at a point where the pointer
# has rested since the window under it went away.
click_control() {
  local cx cy
  cx=$(fl_get "$FL_TITLE" "$1" cx) && cy=$(fl_get "$FL_TITLE" "$1" cy) || return 1
  fl_xdo mousemove --sync $((cx - 40)) $((cy + 60)) && fl_click_at "$cx" "$cy"
}

windows_path() { printf 'Z:%s\n' "$(tr / '\\' <<<"$1")"; }

# A save dialog is shown; prints its window handle.
wait_save_dialog() {
  fl_driver wait-window "$SAVE_TITLE" 15000 >/dev/null || return 1
  fl_driver windows | awk -F '\t' -v t="$SAVE_TITLE" '$8 == t && $3 == "#32770" { print $1; exit }'
}

# The save dialog takes the focus from the other program, so that the user
# can type at once. Counted as a check; if it did not, the user clicks into
# its name field so that the rest can still be seen.
dialog_has_focus() {
  fl_check "the save dialog has the focus" fl_driver wait-foreground "hwnd=$1" 5000 && return 0
  fl_click_at "$(fl_get "hwnd=$1" '#1148' cx)" "$(fl_get "hwnd=$1" '#1148' cy)"
}

# Types into the focused field. Slowly: Wine picks up the key map that
# xdotool changes for each Chinese character, and a fast typist loses some.
type_text() { fl_xdo type --delay 80 "$1"; }

# The dialog's own question about replacing a file: a second window under
# the dialog's title. Prints its handle.
replace_question() {
  fl_driver windows | awk -F '\t' -v t="$SAVE_TITLE" -v d="$dialog" \
    '$8 == t && $1 != d { print $1; found = 1; exit } END { exit !found }'
}

changed_since() { [ "$(stat -c %Y.%s "$1")" != "$2" ]; }

# Waits for a file to appear and its size to settle.
wait_file() {
  fl_wait_until 20 test -s "$1" || return 1
  local size=-1
  while [ "$size" != "$(stat -c %s "$1")" ]; do
    size=$(stat -c %s "$1")
    sleep 0.5
  done
}

# gif_read FILE: Pillow's reading, at the sample points (other program,
# desktop, main window's skin).
gif_read() { "$PYTHON" "$GIF_FRAMES" "$1" "$PX,$PY" "$DESK_X,$DESK_Y" "$SKIN_X,$SKIN_Y"; }

# Channels within a tolerance: the writer may reduce colours.
near() {
  local a=$1 b=$2 i d
  for i in 0 2 4; do
    d=$((16#${a:i:2} - 16#${b:i:2}))
    [ ${d#-} -le 24 ] || return 1
  done
}

# check_frames FILE MIN_FRAMES: the GIF is the whole screen and its frames
# show what the screen showed: the other program in its changing colours,
# the desktop and the main window's skin as they were.
check_frames() {
  local file=$1 min=$2 read_out frames size colours=" " bad=0 index delay p d s
  read_out=$(gif_read "$file") || { fl_check "$file decodes with Pillow" false; return; }
  printf '%s\n' "$read_out" >"$file.frames.txt"
  size=$(sed -n 's/^size //p' <<<"$read_out")
  frames=$(sed -n 's/^frames //p' <<<"$read_out")
  fl_check_eq "$(basename "$file"): the whole screen" "$SCREEN_W $SCREEN_H" "$size"
  fl_check "$(basename "$file"): $frames frames, at least $min" test "${frames:-0}" -ge "$min"
  while read -r index delay p d s; do
    [[ $index =~ ^[0-9]+$ ]] || continue
    if [[ $PALETTE == *" $p "* ]]; then
      [[ $colours == *" $p "* ]] || colours="$colours$p "
    elif [ "$p" != 000000 ]; then
      fl_log "frame $index: the other program shows $p"
      bad=$((bad + 1))
    fi
    near "$d" "$DESK_COLOUR" || { fl_log "frame $index: desktop $d, not $DESK_COLOUR"; bad=$((bad + 1)); }
    near "$s" "$SKIN_COLOUR" || { fl_log "frame $index: skin $s, not $SKIN_COLOUR"; bad=$((bad + 1)); }
  done <<<"$read_out"
  fl_check_eq "$(basename "$file"): every frame shows the screen" 0 "$bad"
  local seen
  seen=$(wc -w <<<"$colours")
  fl_check "$(basename "$file"): the animation changes ($seen colours)" test "$seen" -ge 3
}

# --- the scene -----------------------------------------------------------------

fl_app_start app
fl_animate_start anim --pos $ANIM_X $ANIM_Y $ANIM_W $ANIM_H --period 100
read -r SCREEN_W SCREEN_H <<<"$(fl_driver screen-size)"
read -r MAIN_X MAIN_Y _ _ <<<"$(fl_driver window-rect "$FL_TITLE")"
# A point of the desktop and one of the skin's hazard band, as the screen
# shows them before any recording.
DESK_X=$((SCREEN_W - 60)) DESK_Y=60
SKIN_X=$((MAIN_X + 10)) SKIN_Y=$((MAIN_Y + 38))
shot=$(fl_screenshot before)
DESK_COLOUR=$(fl_pixel "$shot" $DESK_X $DESK_Y)
SKIN_COLOUR=$(fl_pixel "$shot" $SKIN_X $SKIN_Y)

fl_check_eq "full-screen mode is checked" 1 "$(fl_get "$FL_TITLE" 单选框_全屏 checked)"

# --- recording 1: F2, F3, F3, F2 while the other program has the focus ------

focus_other_program || fl_fatal "the other program did not take the focus"
fl_key F2
fl_check "F2 starts: the frame count shows" fl_wait_until 10 status_starts "[录制状态][F2]停止 [F3]暂停 [已录制"
fl_check_eq "the other program kept the focus" "$FL_ANIMATE_TITLE" \
  "$(fl_driver foreground | cut -f 2)"
fl_check_eq "start button disabled" 0 "$(fl_get "$FL_TITLE" 图形按钮_开始 enabled)"
fl_check_eq "stop button enabled" 1 "$(fl_get "$FL_TITLE" 图形按钮_停止 enabled)"
sleep 3

fl_key F3
fl_check "F3 pauses" fl_wait_until 5 status_starts "[暂停状态][F2]停止 [F3]继续 [已录制"
paused_at=$(frames_in "$(fl_status)")
sleep 2
fl_check_eq "no frame while paused" "$paused_at" "$(frames_in "$(fl_status)")"
fl_check "frames were recorded before the pause ($paused_at)" test "${paused_at:-0}" -ge 3

fl_key F3
fl_check "F3 goes on" fl_wait_until 5 status_starts "[录制状态][F2]停止 [F3]暂停 [已录制"
sleep 2
before_stop=$(frames_in "$(fl_status)")
fl_check "frames were added after the pause ($before_stop > $paused_at)" \
  test "${before_stop:-0}" -gt "${paused_at:-0}"

fl_key F2
dialog=$(wait_save_dialog) || fl_fatal "no save dialog after F2"
fl_check_eq "the stop's status while the dialog is open" "录制完毕,请注意保存文件！" "$(fl_status)"
fl_check_eq "no read-only box in the dialog" 0 "$(fl_get "hwnd=$dialog" '#1040' visible)"
first=$OUT/第一段录像.gif
dialog_has_focus "$dialog"
type_text "$(windows_path "$first")"
fl_key Return
fl_check "the first recording is written to its Chinese name" wait_file "$first" ||
  fl_log "the folder holds: $(ls "$OUT")"
fl_check "status: saved" fl_wait_until 5 status_is "文件已保存！"
fl_check_eq "start button enabled again" 1 "$(fl_get "$FL_TITLE" 图形按钮_开始 enabled)"
fl_check_eq "save button enabled" 1 "$(fl_get "$FL_TITLE" 图形按钮_保存 enabled)"
[ -s "$first" ] && check_frames "$first" "$before_stop"

# --- recording 2: dialog cancelled, the close question, the save button -----

focus_other_program || fl_fatal "the other program did not take the focus"
fl_key F2
fl_check "F2 starts again" fl_wait_until 10 status_starts "[录制状态]"
sleep 2
second_frames=$(frames_in "$(fl_status)")
fl_key F2
dialog=$(wait_save_dialog) || fl_fatal "no save dialog after the second F2"
dialog_has_focus "$dialog"
fl_click_at "$(fl_get "hwnd=$dialog" '#2' cx)" "$(fl_get "hwnd=$dialog" '#2' cy)" # Cancel
fl_check "Cancel closes the dialog" fl_driver wait-gone "$SAVE_TITLE" 5000
fl_check "status: not saved" fl_wait_until 5 status_is "录制文件未保存,请注意保存！"

# Closing now would lose the recording: the program asks. No keeps it open.
fl_driver post-close "$FL_TITLE" >/dev/null
fl_check "closing asks first" quiet fl_driver wait-window "信息：" 10000
question=$(fl_driver windows | awk -F '\t' '$8 == "信息：" { print $1; exit }')
fl_check "the question's text" quiet fl_driver get "hwnd=$question" "=录制文件未保存,确定要退出吗？" class
fl_driver click "hwnd=$question" '#7' >/dev/null # No
fl_check "No closes the question" fl_driver wait-gone "信息：" 5000
sleep 1
fl_check "No keeps the program running" fl_running app
fl_check_eq "the status is as it was" "录制文件未保存,请注意保存！" "$(fl_status)"

# The save button offers the first path again: Enter alone meets the
# dialog's question about replacing that file, and Yes writes the second
# recording over the first.
first_mtime=$(stat -c %Y.%s "$first")
sleep 1
click_control 图形按钮_保存
dialog=$(wait_save_dialog) || fl_fatal "no save dialog from the save button"
dialog_has_focus "$dialog"
fl_key Return
fl_wait_until 10 replace_question
replace=$(replace_question)
fl_check "the offered name is the existing first file: the dialog asks to replace it" test -n "$replace"
[ -n "$replace" ] && fl_driver click "hwnd=$replace" '#6' >/dev/null # Yes
fl_check "status: saved" fl_wait_until 10 status_is "文件已保存！"
fl_check "the first file was written again" fl_wait_until 10 changed_since "$first" "$first_mtime"
wait_file "$first"
check_frames "$first" "${second_frames:-1}"

# Once more under a new typed name.
second="$OUT/第二段 录像.gif"
click_control 图形按钮_保存
dialog=$(wait_save_dialog) || fl_fatal "no save dialog from the save button"
dialog_has_focus "$dialog"
fl_key ctrl+a
type_text "$(windows_path "$second")"
fl_key Return
fl_check "the second recording is written to its new name" wait_file "$second" ||
  fl_log "the folder holds: $(ls "$OUT")"
fl_check "status: saved" fl_wait_until 5 status_is "文件已保存！"
[ -s "$second" ] && check_frames "$second" "${second_frames:-1}"

# Everything is saved: closing asks nothing and the program ends with 0.
fl_driver post-close "$FL_TITLE" >/dev/null
fl_check "closes without a question" fl_wait_exit app 10
fl_check_eq "exit code" 0 "${FL_EXIT[app]:-still running}"

fl_finish
