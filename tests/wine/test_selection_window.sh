#!/usr/bin/env bash
# Window mode as a user works it: the radio button, the crosshair, the mouse
# on another program until the red outline flashes around it, a click on the
# outline, then a recording of that window whose GIF has the window's size.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/selection_common.sh"
fl_test_begin

fl_app_start app
# The program to pick: a bare pop-up, still (frame 0, red under its label).
ax=700 ay=100 aw=360 ah=220
fl_animate_start anim --pos $ax $ay $aw $ah --period 0

sel_click_control 单选框_窗口
fl_check_eq "hint after the window button" "请点击十字图形选择录制窗口！" "$(fl_status)"

fl_xdo mousemove --sync 300 700  # on the desktop, away from both programs
sel_click_control 图片框_准心
fl_check_eq "status while picking" "[F2]进行录制！" "$(fl_status)"
fl_check_eq "MainWindow disabled while picking" 0 "$(fl_window "$FL_TITLE" enabled)"

# Point at the program: the outline lies 2 pixels around it, on top.
fl_xdo mousemove --sync $((ax + aw / 2)) $((ay + ah / 2))
expected="$((ax - 2)) $((ay - 2)) $((aw + 4)) $((ah + 4))"
outline=""
shown=0 hidden=0
for _ in $(seq 1 30); do
  line=$(sel_selection_windows | head -n 1)
  if [ -n "$line" ]; then
    shown=$((shown + 1))
    outline=$line
  else
    hidden=$((hidden + 1))
  fi
  [ $shown -ge 2 ] && [ $hidden -ge 2 ] && break
  sleep 0.13
done
fl_check "the outline flashes (seen shown $shown, hidden $hidden times)" \
  test $shown -ge 2 -a $hidden -ge 2
read -r hwnd x y w h <<<"$outline"
fl_check_eq "the outline lies 2 pixels around the window" "$expected" "$x $y $w $h"
[ -n "${hwnd:-}" ] && fl_check_eq "the outline is on top" 1 "$(fl_window "hwnd=$hwnd" topmost)"

# A screenshot while it is shown: the red band, and inside it the window.
band=""
for i in $(seq 1 15); do
  shot=$(fl_screenshot "outline_flashing_$i")
  band=$(fl_pixel "$shot" $((ax - 1)) $((ay + ah / 2)))
  if [ "$band" = ff0000 ]; then
    cp "$shot" "$FL_ARTEFACTS/outline_flashing.png"
    break
  fi
done
rm -f "$FL_ARTEFACTS"/outline_flashing_*.png
fl_check_eq "the band left of the window is red" ff0000 "$band"
if [ "$band" = ff0000 ]; then
  shot=$FL_ARTEFACTS/outline_flashing.png
  fl_check_eq "the band right of the window is red" ff0000 \
    "$(fl_pixel "$shot" $((ax + aw + 1)) $((ay + ah / 2)))"
  fl_check_eq "the band above the window is red" ff0000 "$(fl_pixel "$shot" $((ax + 30)) $((ay - 2)))"
  fl_check_eq "the snapshot shows the window" ff0000 \
    "$(fl_pixel "$shot" $((ax + aw / 2 + 60)) $((ay + ah / 2)))"
fi

# A click on the shown outline ends the picking. A click while it is hidden
# reaches the program underneath, and the picking goes on.
ended=0
for _ in $(seq 1 20); do
  fl_xdo click 1
  sleep 0.2
  if [ "$(fl_window "$FL_TITLE" enabled)" = 1 ]; then
    ended=1
    break
  fi
done
fl_check_eq "a click on the outline ends the picking" 1 "$ended"
sleep 1
fl_check_eq "no outline after the picking" "" "$(sel_selection_windows)"

# Picking again, the button pressed on the shown outline and held across
# ticks: the outline stays shown, and the release picks the window. A press
# that came too late lands on the program while the outline is hidden (the
# outline then goes on flashing); such a round is tried again.
held=0
for _ in 1 2 3 4 5; do
  sel_click_control 图片框_准心
  fl_xdo mousemove --sync $((ax + aw / 2)) $((ay + ah / 2))
  sel_wait_shown_edge 5 || break
  fl_xdo mousedown 1
  all_shown=1
  for _ in 1 2 3 4 5; do
    sleep 0.2
    [ -n "$(sel_selection_windows)" ] || all_shown=0
  done
  fl_xdo mouseup 1
  sleep 0.3
  ended=$(fl_window "$FL_TITLE" enabled)
  if [ "$ended" = 1 ] && [ $all_shown = 1 ]; then
    held=1
    break
  fi
  if [ "$ended" != 1 ]; then
    # The release went to the program: end this round with a plain click.
    for _ in $(seq 1 20); do
      fl_xdo click 1
      sleep 0.2
      [ "$(fl_window "$FL_TITLE" enabled)" = 1 ] && break
    done
  fi
done
fl_check_eq "held on the outline for a second, the release picks the window" 1 "$held"

gif=$(sel_record_and_save window) || fl_fatal "no GIF saved"
fl_check_eq "GIF size equals the picked window" "$aw $ah" "$(sel_gif_size "$gif")"

fl_finish
