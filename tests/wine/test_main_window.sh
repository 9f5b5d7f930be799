#!/usr/bin/env bash
# framelark.exe starts with its main window: frameless, 332 x 167, centred
# on the desktop, every control of the form in place, and the first status.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

fl_app_start app
fl_driver window "$FL_TITLE" >"$FL_ARTEFACTS/window.txt"
fl_driver controls "$FL_TITLE" >"$FL_ARTEFACTS/controls.txt"
field() { sed -n "s/^$1=//p" "$FL_ARTEFACTS/window.txt"; }
read -r screen_w screen_h <<<"$(fl_driver screen-size)"

fl_check_eq "title" "$FL_TITLE" "$(field title)"
fl_check_eq "window size" "332 167" "$(field w) $(field h)"
fl_check_eq "frameless: the client area is the whole window" "332 167" "$(field client)"
fl_check_eq "frameless: no caption, no sizing border" "0 0" "$(field caption) $(field sizeframe)"
fl_check_eq "centred on the ${screen_w}x${screen_h} desktop by integer division" \
  "$(((screen_w - 332) / 2)) $(((screen_h - 167) / 2))" "$(field x) $(field y)"
fl_check_eq "shown, enabled, not minimised" "1 1 0" \
  "$(field visible) $(field enabled) $(field minimised)"
fl_check_eq "first status text" "$FL_FIRST_STATUS" \
  "$(fl_status)"

# Every control the user and the other tests reach: there, shown or hidden
# as the form has it, and inside the window.
read -r wx wy _ _ <<<"$(field rect)"
while read -r name shown; do
  line=$(awk -F '\t' -v n="$name" '$1 == n' "$FL_ARTEFACTS/controls.txt")
  if [ -z "$line" ]; then
    fl_check_eq "control $name" "present" "missing"
    continue
  fi
  IFS=$'\t' read -r _ _ _ _ _ visible x y w h _ <<<"$line"
  fl_check_eq "$name visible=$shown" "$shown" "$visible"
  if [ "$shown" = 1 ]; then
    inside=$(((x >= wx) && (y >= wy) && (w > 0) && (h > 0) && (x + w <= wx + 332) &&
      (y + h <= wy + 167)))
    fl_check_eq "$name lies inside the window ($x $y $w $h)" 1 "$inside"
  fi
done <<'EOF_CONTROLS'
图形按钮_开始 1
图形按钮_停止 1
图形按钮_保存 1
图形按钮_关于 1
图形按钮_最小化 1
图形按钮_关闭 1
图片框_准心 1
标签_信息提示 1
单选框_全屏 1
单选框_窗口 1
单选框_区域 1
单选框_跟踪录制 1
选择框_水印 1
颜色选择器_边框颜色 1
画板_截图中转 0
标签 0
EOF_CONTROLS

# On screen the window is painted, not a hole in the desktop.
shot=$(fl_screenshot main_window)
colours=$(fl_colours "$shot" "$(field x)" "$(field y)" 332 167)
fl_check "the window is painted ($colours colours)" test "${colours:-0}" -gt 4
fl_check "the window is still there after the screenshot" fl_running app

fl_finish
