#!/bin/bash
# Runs framelark_win32_tests.exe under Wine on a display of its own: an Xvfb,
# a fresh 32-bit prefix with a virtual desktop covering it, and Chinese font
# links. Everything it starts is stopped at the end.
#
#   platform/win32/tests/run_under_wine.sh BUILD_DIR [gtest arguments...]
#
# BUILD_DIR is the i686 cross build (e.g. build/win32-i686). The exit code is
# the test program's. FL_DISPLAY picks the display number (default: the
# first free one from 71).
set -u
build=${1:?usage: run_under_wine.sh BUILD_DIR [gtest arguments...]}
shift
exe=$(cd "$build" && pwd)/platform/win32/tests/framelark_win32_tests.exe
[ -f "$exe" ] || { echo "no $exe: build the i686 cross build first" >&2; exit 2; }

work=$(mktemp -d /tmp/framelark-win32-tests.XXXXXX)
display=${FL_DISPLAY:-71}
while [ -z "${FL_DISPLAY:-}" ] && [ -e "/tmp/.X11-unix/X$display" -o -e "/tmp/.X$display-lock" ]; do
  display=$((display + 1))
done

xvfb_pid=""
cleanup() {
  WINEPREFIX=$work/prefix timeout 20 wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb ":$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done

export DISPLAY=":$display" WINEPREFIX=$work/prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=C.UTF-8 LC_ALL=C.UTF-8
timeout 120 wineboot -i >/dev/null 2>&1
timeout 60 wineserver -w
reg() { timeout 30 wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800
for font in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif"; do
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$font" \
    /t REG_MULTI_SZ /d "wqy-zenhei.ttc,WenQuanYi Zen Hei"
done
timeout 60 wineserver -w

cd "$(dirname "$exe")" || exit 2
timeout 300 wine "$exe" "$@"
