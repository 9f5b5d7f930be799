#!/usr/bin/env bash
# The about box and the watermark input box as the user meets them: the about
# text line for line, the input box with its caption, prompt, buttons and its
# initial text selected, Cancel unchecking the box, OK keeping it checked,
# and unchecking asking nothing.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin

# A real click at the centre of a control of MainWindow, the mouse coming
# from outside.
click_control() {
  local cx cy
  cx=$(fl_get "$FL_TITLE" "$1" cx) && cy=$(fl_get "$FL_TITLE" "$1" cy) || return 1
  fl_xdo mousemove --sync $((cx - 40)) $((cy + 60)) && fl_click_at "$cx" "$cy"
}
checked() { fl_get "$FL_TITLE" 选择框_水印 checked; }

fl_app_start app

# --- about ---------------------------------------------------------------------
click_control 图形按钮_关于
about_opens() { fl_driver wait-window "信息：" 5000 >/dev/null; }
fl_check "the about box opens" about_opens
rule=-----------------------------------------------
about="$rule\\r\\n[Quellor] Framelark\\r\\n$rule\\r\\n本工具集众多网友的思路整理而成,在此感谢论坛各位会员的热心帮助!\\r\\n希望多发好贴,坚信共同进步、相互学习才是真的进步!\\r\\n本软件免费使用,仅供学习交流,请勿用于商业或非法用途!\\r\\n$rule\\r\\n联系作者 QQ:40721385\\r\\n$rule"
fl_check_eq "the about text, CR LF between the lines" "$about" "$(fl_get "信息：" '#65535' text)"
fl_check_eq "one OK button" "OK -" "$(fl_get "信息：" '#1' text) $(fl_get "信息：" '#2' text 2>/dev/null || echo -)"
fl_key Return
fl_check "Enter closes it" fl_driver wait-gone "信息：" 5000

# --- watermark -------------------------------------------------------------------
box_opens() { fl_driver wait-window "输入：" 5000 >/dev/null; }

click_control 选择框_水印
fl_check "checking the box opens the input box" box_opens
fl_check_eq "its prompt" "请输入水印文字信息,将在录像中随机颜色、位置出现！" "$(fl_get "输入：" '#100' text)"
fl_check_eq "its buttons" "确认输入(&O) 取消(&C)" "$(fl_get "输入：" '#1' text) $(fl_get "输入：" '#2' text)"
fl_check "it has the focus" fl_driver wait-foreground "输入：" 5000
shot=$(fl_screenshot input_box)
read -r ex ey ew eh <<<"$(fl_get "输入：" '#101' rect)"
# The initial text is selected: the field, white with grey text otherwise,
# shows the selection's colour behind it.
saturation() {
  timeout 20 convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace HSL -channel G -separate \
    -format '%[fx:int(100*maxima)]' info:
}
fl_check "the initial text is selected" test "$(saturation "$shot" "$ex" "$ey" "$ew" "$eh")" -ge 50
fl_click_at "$(fl_get "输入：" '#2' cx)" "$(fl_get "输入：" '#2' cy)" # 取消
fl_check "Cancel closes it" fl_driver wait-gone "输入：" 5000
fl_check_eq "Cancel unchecks the box" 0 "$(checked)"

click_control 选择框_水印
fl_check "checking again opens it again" box_opens
fl_xdo type --delay 80 "演示 Framelark"
# Typing replaced the selection: nothing is selected any more.
shot=$(fl_screenshot input_box_typed)
fl_check "typing replaced the selected text" test "$(saturation "$shot" "$ex" "$ey" "$ew" "$eh")" -lt 50
fl_key Return
fl_check "Enter is OK" fl_driver wait-gone "输入：" 5000
fl_check_eq "OK keeps the box checked" 1 "$(checked)"

click_control 选择框_水印
sleep 1
fl_check_eq "unchecking asks nothing" "" "$(fl_driver windows | awk -F '\t' '$8 == "输入："')"
fl_check_eq "and unchecks" 0 "$(checked)"

fl_finish
