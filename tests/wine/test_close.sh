#!/usr/bin/env bash
# Every way of closing the main window ends the program with exit code 0:
# WM_CLOSE, Alt+F4 on the focused window, and the close button (clicked by
# posted messages and by the real mouse).
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

close_by_message() { fl_driver post-close "$FL_TITLE"; }

close_by_alt_f4() {
  local point
  point=$(fl_free_point "$FL_TITLE") || return 1
  fl_click_at ${point% *} ${point#* } &&
    fl_driver wait-foreground "$FL_TITLE" 5000 &&
    fl_key alt+F4
}

close_by_button() { fl_app_click 图形按钮_关闭; }

close_by_button_mouse() {
  fl_click_at "$(fl_get "$FL_TITLE" 图形按钮_关闭 cx)" "$(fl_get "$FL_TITLE" 图形按钮_关闭 cy)"
}

for way in message alt_f4 button button_mouse; do
  fl_log "-- close by $way"
  fl_app_start "$way"
  fl_check "$way: close request made" "close_by_$way"
  fl_check "$way: program ended within 10 s" fl_wait_exit "$way" 10
  fl_check_eq "$way: exit code" 0 "${FL_EXIT[$way]:-still running}"
  fl_check "$way: window gone" fl_driver wait-gone "$FL_TITLE" 3000
  # A program that did not close would spoil the next case.
  fl_kill "$way"
  fl_driver wait-gone "$FL_TITLE" 5000 >/dev/null 2>&1
done

fl_finish
