#!/usr/bin/env bash
# Installs what is needed, builds, and starts the program under Wine: on the
# current display, or with no display on an Xvfb of its own, which the
# README tells how to look at.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FRAMELARK_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

exe=$build/win32-i686/framelark.exe
if [ -z "${DISPLAY:-}" ]; then
  # No display: an Xvfb and a Wine prefix of their own, with a virtual
  # desktop (global hot keys need it) and Chinese fonts.
  echo "No display: running on an Xvfb of its own. Look at it with:"
  echo "  bash scripts/wine-session.sh shot framelark.png"
  echo "and stop it with: bash scripts/wine-session.sh stop"
  FL_WIN32_DIR=$build/win32-i686 exec bash "$root/scripts/wine-session.sh" run "$exe"
fi

export WINEPREFIX=${WINEPREFIX:-$HOME/.framelark-wine}
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  timeout 120 wineboot -i >/dev/null 2>&1 || true
  timeout 60 wineserver -w || true
fi
echo "Starting $exe on $DISPLAY"
exec wine "$exe"
