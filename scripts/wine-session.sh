#!/usr/bin/env bash
# A Wine session like the tests' for running the program by hand: an Xvfb
# display of its own, a fresh 32-bit prefix whose virtual desktop covers it,
# Chinese font links. It stops itself after FL_SESSION_LIFETIME seconds.
#
#   scripts/wine-session.sh start       start it; prints the environment to eval
#   scripts/wine-session.sh env         print that environment again
#   scripts/wine-session.sh run [EXE [ARGS...]]
#                                       run framelark.exe (or EXE) in it, starting
#                                       the session first when there is none
#   scripts/wine-session.sh shot FILE   save a screenshot of the desktop (PNG)
#   scripts/wine-session.sh stop        stop it
#
# Settings: FL_WIN32_DIR (default build/win32-i686), FL_WORK (default
# build/wine-session), FL_SCREEN (1280x800), FL_SESSION_LIFETIME (3600).
set -u -o pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
: "${FL_WIN32_DIR:=$root/build/win32-i686}"
: "${FL_WORK:=$root/build/wine-session}"
export FL_WIN32_DIR FL_WORK
source "$root/tests/wine/harness.sh"

print_env() {
  printf 'export DISPLAY=%q WINEPREFIX=%q WINEARCH=%q WINEDEBUG=%q WINEDLLOVERRIDES=%q LANG=%q LC_ALL=%q\n' \
    "$DISPLAY" "$WINEPREFIX" "$WINEARCH" "$WINEDEBUG" "$WINEDLLOVERRIDES" "$LANG" "$LC_ALL"
}

# Joins the running session; false when there is none.
join() {
  fl__paths
  [ -f "$FL_STATE" ] || return 1
  local FL_SESSION_ID="" FL_XVFB_PID="" FL_HOLD_PID=""
  source "$FL_STATE"
  fl__alive "$FL_XVFB_PID" || return 1
  fl__export_env
}

case "${1:-}" in
  start)
    trap 'code=$?; [ $code -eq 0 ] || fl_session_stop quiet; exit $code' EXIT
    fl_session_start
    trap - EXIT
    print_env
    ;;
  env)
    join || { echo "no session: run '$0 start'" >&2; exit 1; }
    print_env
    ;;
  run)
    shift
    join || "$0" start >/dev/null || exit 1
    join || exit 1
    exe=${1:-$FL_EXE}
    [ $# -gt 0 ] && shift
    [ -f "$exe" ] || { echo "no program ${exe:-framelark.exe}: build the cross build first" >&2; exit 1; }
    echo "running $exe on $DISPLAY; look at it with: $0 shot shot.png" >&2
    exec wine "$exe" "$@"
    ;;
  shot)
    [ -n "${2:-}" ] || { echo "usage: $0 shot FILE.png" >&2; exit 2; }
    join || { echo "no session" >&2; exit 1; }
    timeout 20 import -window root "$2"
    ;;
  stop)
    fl_session_stop
    ;;
  *)
    sed -n '2,15p' "$0" >&2
    exit 2
    ;;
esac
