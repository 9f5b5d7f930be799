#!/usr/bin/env bash
# What the recorder puts into the frames of a real recording: full-screen
# mode while another program animates, a left click and a right click on the
# desktop by xdotool, the mouse left resting, F2 to stop, the file saved
# through the dialog. The GIF read back with Pillow shows the screen
# changing, the arrow at the mouse, one set of rings of each button's colour
# at each click, and delays that add up to the time recorded.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

PYTHON=/usr/bin/python3
"$PYTHON" -c 'import PIL' 2>/dev/null || fl_fatal "needs Debian's python3-pil to read the GIFs"
MARKS=$FL_HARNESS_DIR/recording_marks.py
SAVE_TITLE=保存录象图片
TICK_MS=500 # full screen: one capture period

# The other program, and a point of its background that its bar and label
# leave alone most of the time.
ANIM_X=40 ANIM_Y=40 ANIM_W=360 ANIM_H=260
PX=$((ANIM_X + ANIM_W * 3 / 4)) PY=$((ANIM_Y + ANIM_H * 3 / 4))
# Desktop points, away from both windows: where the mouse waits, the left
# click (red rings), the right click (yellow rings).
REST_X=900 REST_Y=120
LEFT_X=1000 LEFT_Y=620
RIGHT_X=1120 RIGHT_Y=240

now_ms() { echo $(($(date +%s%N) / 1000000)); }
status_starts() { [[ "$(fl_status)" == "$1"* ]]; }
windows_path() { printf 'Z:%s\n' "$(tr / '\\' <<<"$1")"; }
wait_file() {
  fl_wait_until 20 test -s "$1" || return 1
  local size=-1
  while [ "$size" != "$(stat -c %s "$1")" ]; do
    size=$(stat -c %s "$1")
    sleep 0.5
  done
}
mark() { sed -n "s/^$1 //p" <<<"$MARKS_OUT"; }

fl_app_start app
fl_animate_start anim --pos $ANIM_X $ANIM_Y $ANIM_W $ANIM_H --period 100
read -r SCREEN_W SCREEN_H <<<"$(fl_driver screen-size)"
fl_check_eq "full-screen mode is checked" 1 "$(fl_get "$FL_TITLE" 单选框_全屏 checked)"

fl_xdo mousemove --sync $REST_X $REST_Y
started=$(now_ms)
fl_key F2
fl_check "F2 starts: the first frame is counted" \
  fl_wait_until 10 status_starts "[录制状态][F2]停止 [F3]暂停 [已录制"
sleep 1.2
fl_xdo mousemove --sync $LEFT_X $LEFT_Y click 1
sleep 1.2
fl_xdo mousemove --sync $RIGHT_X $RIGHT_Y click 3
sleep 1.2
# Back to the first place without a click: the arrow, no rings.
fl_xdo mousemove --sync $LEFT_X $LEFT_Y
sleep 1.2
stopped=$(now_ms)
fl_key F2

fl_driver wait-window "$SAVE_TITLE" 15000 >/dev/null || fl_fatal "no save dialog after F2"
dialog=$(fl_driver windows |
  awk -F '\t' -v t="$SAVE_TITLE" '$8 == t && $3 == "#32770" { print $1; exit }')
if ! fl_driver wait-foreground "hwnd=$dialog" 5000 >/dev/null; then
  fl_click_at "$(fl_get "hwnd=$dialog" '#1148' cx)" "$(fl_get "hwnd=$dialog" '#1148' cy)"
fi
file=$FL_ARTEFACTS/capture.gif
fl_xdo type --delay 40 "$(windows_path "$file")"
fl_key Return
fl_check "the recording is written" wait_file "$file" || fl_finish

MARKS_OUT=$("$PYTHON" "$MARKS" "$file" "$PX,$PY" "$LEFT_X,$LEFT_Y,ff0000" \
  "$RIGHT_X,$RIGHT_Y,ffff00") || fl_fatal "Pillow cannot read $file"
printf '%s\n' "$MARKS_OUT" >"$file.marks.txt"
fl_log "$MARKS_OUT"

fl_check_eq "the frames are the whole screen" "$SCREEN_W $SCREEN_H" "$(mark size)"
frames=$(mark frames)
fl_check "several frames ($frames)" test "${frames:-0}" -ge 6
colours=$(mark sample_colours)
fl_check "the other program's animation shows ($colours colours)" test "${colours:-0}" -ge 3

# Every period until the last frame is in the delays; what follows the last
# frame (less than a period, plus the key's way to the program) is not.
recorded=$((stopped - started))
delays=$(mark delays_ms)
fl_log "recorded $recorded ms, delays add up to $delays ms"
fl_check "the delays add up to the time recorded, within one period" \
  test $((recorded - delays)) -ge 0 -a $((recorded - delays)) -le $((TICK_MS + 200))

fl_check_eq "the arrow's tip is where the mouse rests" "$LEFT_X,$LEFT_Y" "$(mark arrow_last)"
for click in "$LEFT_X,$LEFT_Y" "$RIGHT_X,$RIGHT_Y"; do
  rings=$(sed -n "s/^rings $click //p" <<<"$MARKS_OUT")
  first_rings=$(sed -n "s/^rings_first $click //p" <<<"$MARKS_OUT")
  first_arrow=$(sed -n "s/^arrow_first $click //p" <<<"$MARKS_OUT")
  fl_check_eq "one frame shows the rings of the click at $click" 1 "$rings"
  fl_check "the rings come with the arrow at $click (frame $first_rings, arrow from $first_arrow)" \
    test "${first_arrow:--1}" -ge 0 -a "${first_rings:--1}" -ge "${first_arrow:--1}"
done

fl_driver post-close "$FL_TITLE" >/dev/null
fl_check "the program ends" fl_wait_exit app 10
fl_finish
