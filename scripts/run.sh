#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program under Wine: on the
# current display, or with no display on an Xvfb of its own (:77), which the
# README tells how to look at.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FRAMELARK_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

export WINEPREFIX=${WINEPREFIX:-$HOME/.framelark-wine}
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ -z "${DISPLAY:-}" ]; then
  export DISPLAY=:77
  if ! xdpyinfo >/dev/null 2>&1; then
    Xvfb :77 -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  fi
  echo "No display: running on Xvfb $DISPLAY. Look at it with:"
  echo "  DISPLAY=:77 import -window root framelark.png"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 120 wineboot -i >/dev/null 2>&1 || true
  timeout 60 wineserver -w || true
fi
echo "Starting $build/win32-i686/framelark.exe"
exec wine "$build/win32-i686/framelark.exe"
