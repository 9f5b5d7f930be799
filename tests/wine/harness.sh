# Harness for the Wine tests, sourced by tests/wine/test_*.sh and session.sh.
#
# A session is an Xvfb display of its own, a fresh 32-bit Wine prefix whose
# virtual desktop covers that display, and one idle Wine process that keeps
# the wineserver and the desktop up. ctest starts one session for the whole
# run (session.sh start / stop, a fixture); a test script run by hand starts
# and stops its own.
#
# Settings (environment):
#   FL_WIN32_DIR   the i686 cross-build folder (framelark.exe and
#                  tests/wine/driver/fldriver.exe, flanimate.exe); required
#   FL_WORK        folder for the session and the artefacts
#                  (default: $FL_WIN32_DIR/wine-work)
#   FL_SCREEN      desktop size, default 1280x800
#   FL_TEST_TIMEOUT  seconds before a test script is stopped (default 150)
#   FL_SESSION_LIFETIME  seconds after which a forgotten session stops
#                  itself (default 3600)
#
# A test script:
#   source "$(dirname "$0")/harness.sh"
#   fl_test_begin
#   fl_app_start app
#   fl_check_eq "status text" "..." "$(fl_get app 标签_信息提示 text)"
#   fl_finish
# On any exit the programs the test started are ended, a screenshot is kept
# when it failed, and a session of its own is stopped.

FL_HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
: "${FL_SCREEN:=1280x800}"
: "${FL_TEST_TIMEOUT:=150}"
: "${FL_SESSION_LIFETIME:=3600}"
FL_TITLE="[Quellor] Framelark"
FL_ANIMATE_TITLE="Framelark Animate"
FL_FIRST_STATUS="[F2]开始/停止  [F3]暂停/继续"

declare -A FL_PID=()    # program name -> pid of its `wine` process
declare -A FL_EXIT=()   # program name -> exit code, once it has ended
FL_CHECKS=0
FL_FAILURES=0
FL_OWN_SESSION=0
FL_TIMER_PID=""
FL_DPI_SET=0

fl_log() { printf '%s\n' "$*" >&2; }

# Ends the test at once as failed.
fl_fatal() {
  fl_log "FATAL: $*"
  FL_FAILURES=$((FL_FAILURES + 1))
  exit 1
}

# ---------------------------------------------------------------------------
# Paths and environment.

fl__paths() {
  [ -n "${FL_WIN32_DIR:-}" ] || fl_fatal "FL_WIN32_DIR is not set (the i686 cross-build folder)"
  FL_WIN32_DIR=$(cd "$FL_WIN32_DIR" 2>/dev/null && pwd) ||
    fl_fatal "FL_WIN32_DIR does not exist"
  : "${FL_WORK:=$FL_WIN32_DIR/wine-work}"
  mkdir -p "$FL_WORK"
  FL_WORK=$(cd "$FL_WORK" && pwd)
  FL_SESSION_DIR=$FL_WORK/session
  FL_STATE=$FL_SESSION_DIR/state
  FL_DRIVER=$FL_WIN32_DIR/tests/wine/driver/fldriver.exe
  FL_ANIMATE=$FL_WIN32_DIR/tests/wine/driver/flanimate.exe
  FL_EXE=$(fl__find_exe framelark.exe)
}

# The program's exe: at the top of the cross build, or the first one below it.
fl__find_exe() {
  if [ -f "$FL_WIN32_DIR/$1" ]; then
    printf '%s\n' "$FL_WIN32_DIR/$1"
  else
    find "$FL_WIN32_DIR" -maxdepth 4 -path '*/CMakeFiles' -prune -o -type f -name "$1" -print |
      head -n 1
  fi
}

# What every Wine and X command of the session needs.
fl__export_env() {
  export DISPLAY=":$FL_DISPLAY_NUMBER"
  export WINEPREFIX=$FL_SESSION_DIR/prefix
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  # UTF-8 command lines and file names; Chinese glyphs come from the font
  # links set up in the prefix.
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
  export HOME=${HOME:-$FL_SESSION_DIR}
  unset WAYLAND_DISPLAY
}

fl__alive() {
  local pid=$1 stat
  [ -n "$pid" ] && [ -r "/proc/$pid/stat" ] || return 1
  stat=$(cat "/proc/$pid/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  [ "${stat%% *}" != Z ]
}

# ---------------------------------------------------------------------------
# Session.

fl__registry_file() {
  local size=$1 link="wqy-zenhei.ttc,WenQuanYi Zen Hei" font hex
  # REG_MULTI_SZ as UTF-16LE bytes: the link and two terminating NULs.
  hex=$(printf '%s' "$link" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 -v | tr -s ' \n' ',,')
  hex=${hex#,}
  hex="${hex}00,00,00,00"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
    '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"Default\"=\"$size\"" '' \
    '[HKEY_CURRENT_USER\Software\Wine\DllOverrides]' '"winemenubuilder.exe"=""' '' \
    '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]'
  for font in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "SimSun" \
    "Segoe UI"; do
    printf '"%s"=hex(7):%s\r\n' "$font" "$hex"
  done
  printf '\r\n'
}

# Starts Xvfb, makes the prefix and brings the desktop up.
fl_session_start() {
  fl__paths
  fl_session_stop quiet
  mkdir -p "$FL_SESSION_DIR"
  rm -rf "$FL_SESSION_DIR/prefix" "$FL_SESSION_DIR"/*.log "$FL_SESSION_DIR/display"
  local id="$$-$(date +%s%N)" started=$SECONDS
  local width=${FL_SCREEN%x*} height=${FL_SCREEN#*x}

  # Xvfb picks a free display itself and writes its number to fd 3.
  Xvfb -displayfd 3 -screen 0 "${FL_SCREEN}x24" -nolisten tcp -noreset \
    3>"$FL_SESSION_DIR/display" >"$FL_SESSION_DIR/xvfb.log" 2>&1 </dev/null &
  local xvfb_pid=$!
  local deadline=$((SECONDS + 15))
  until [ -s "$FL_SESSION_DIR/display" ]; do
    fl__alive "$xvfb_pid" || fl_fatal "Xvfb ended: $(tail -n 5 "$FL_SESSION_DIR/xvfb.log")"
    [ $SECONDS -lt $deadline ] || { kill "$xvfb_pid"; fl_fatal "Xvfb did not start in 15 s"; }
    sleep 0.1
  done
  FL_DISPLAY_NUMBER=$(tr -dc 0-9 <"$FL_SESSION_DIR/display")
  fl__export_env
  # Recorded now, so that a stop after a failure below still finds Xvfb.
  fl__write_state "$id" "$xvfb_pid" ""

  local log=$FL_SESSION_DIR/wine.log
  timeout 120 wineboot -i >>"$log" 2>&1 </dev/null || fl_fatal "wineboot failed, see $log"
  fl__registry_file "$FL_SCREEN" | iconv -f UTF-8 -t UTF-16LE |
    { printf '\xff\xfe'; cat; } >"$FL_SESSION_DIR/setup.reg"
  timeout 60 wine regedit /S "$FL_SESSION_DIR/setup.reg" >>"$log" 2>&1 </dev/null ||
    fl_fatal "regedit failed, see $log"
  # Restart Wine so that the desktop comes up virtual, with the settings
  # above (-k saves the registry).
  timeout 30 wineserver -k >>"$log" 2>&1 </dev/null
  timeout 30 wineserver -w >>"$log" 2>&1 </dev/null

  wine "$FL_DRIVER" hold $((FL_SESSION_LIFETIME * 1000)) >>"$log" 2>&1 </dev/null &
  local hold_pid=$!
  fl__write_state "$id" "$xvfb_pid" "$hold_pid"
  fl__watchdog "$id" "$xvfb_pid" &

  local size
  size=$(fl_driver screen-size) || fl_fatal "the Wine desktop did not come up"
  [ "$size" = "$width $height" ] || fl_fatal "desktop is $size, not $width $height"
  fl_log "wine session up on $DISPLAY in $((SECONDS - started)) s (prefix $WINEPREFIX)"
}

fl__write_state() {
  {
    printf 'FL_SESSION_ID=%q\n' "$1"
    printf 'FL_DISPLAY_NUMBER=%q\n' "$FL_DISPLAY_NUMBER"
    printf 'FL_XVFB_PID=%q\n' "$2"
    printf 'FL_HOLD_PID=%q\n' "$3"
  } >"$FL_STATE.new"
  mv "$FL_STATE.new" "$FL_STATE"
}

# Stops the session after FL_SESSION_LIFETIME, or as soon as its state file
# is gone or names another session. Runs in the background with no output,
# so that it never holds a test runner's pipes.
fl__watchdog() {
  exec >/dev/null 2>&1 </dev/null
  trap - EXIT INT TERM
  local id=$1 xvfb_pid=$2 deadline=$((SECONDS + FL_SESSION_LIFETIME))
  while sleep 2; do
    fl__alive "$xvfb_pid" || exit 0
    if [ ! -f "$FL_STATE" ] || ! grep -q "^FL_SESSION_ID=$id\$" "$FL_STATE"; then
      exit 0
    fi
    if [ $SECONDS -ge $deadline ]; then
      fl_session_stop quiet
      exit 0
    fi
  done
}

# Stops the recorded session: every Wine process of the prefix, then Xvfb.
fl_session_stop() {
  [ -n "${FL_STATE:-}" ] || fl__paths
  [ -f "$FL_STATE" ] || return 0
  local FL_SESSION_ID="" FL_XVFB_PID="" FL_HOLD_PID=""
  # shellcheck disable=SC1090
  source "$FL_STATE"
  rm -f "$FL_STATE"
  if fl__alive "$FL_XVFB_PID"; then
    fl__export_env
    timeout 30 wineserver -k >/dev/null 2>&1 </dev/null
    [ -n "$FL_HOLD_PID" ] && kill "$FL_HOLD_PID" 2>/dev/null
    kill "$FL_XVFB_PID" 2>/dev/null
    local deadline=$((SECONDS + 10))
    while fl__alive "$FL_XVFB_PID" && [ $SECONDS -lt $deadline ]; do sleep 0.1; done
    fl__alive "$FL_XVFB_PID" && kill -KILL "$FL_XVFB_PID" 2>/dev/null
  fi
  # The prefix is large and made anew by every start.
  rm -rf "$FL_SESSION_DIR/prefix"
  [ "${1:-}" = quiet ] || fl_log "wine session stopped"
  return 0
}

# Joins the session of the ctest run, or starts one of the test's own.
fl_session_attach() {
  fl__paths
  if [ -f "$FL_STATE" ]; then
    local FL_SESSION_ID="" FL_XVFB_PID="" FL_HOLD_PID=""
    # shellcheck disable=SC1090
    source "$FL_STATE"
    if fl__alive "$FL_XVFB_PID"; then
      fl__export_env
      return 0
    fi
  fi
  FL_OWN_SESSION=1
  fl_session_start
}

# ---------------------------------------------------------------------------
# Test life.

# Call first: joins a session, arms the test's timeout and the clean-up.
fl_test_begin() {
  FL_TEST=${FL_TEST:-$(basename "$0" .sh)}
  FL_TEST=${FL_TEST#test_}
  trap fl__on_exit EXIT
  trap 'fl_log "interrupted"; exit 130' INT
  trap 'fl_log "test stopped after ${FL_TEST_TIMEOUT} s"; exit 124' TERM
  fl__start_timer
  fl_session_attach
  FL_ARTEFACTS=$FL_WORK/artefacts/$FL_TEST
  rm -rf "$FL_ARTEFACTS"
  mkdir -p "$FL_ARTEFACTS"
  fl__end_leftovers
  [ -f "$FL_DRIVER" ] || fl_fatal "no $FL_DRIVER: build the cross build first"
}

fl__start_timer() {
  local parent=$$
  (
    exec >/dev/null 2>&1 </dev/null
    trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
    sleep "$FL_TEST_TIMEOUT" &
    sleeper=$!
    wait "$sleeper" && kill -TERM "$parent"
  ) &
  FL_TIMER_PID=$!
}

fl__on_exit() {
  local code=$?
  trap - EXIT INT TERM
  [ $code -ne 0 ] || [ $FL_FAILURES -eq 0 ] || code=1
  if [ $code -ne 0 ] && [ -n "${FL_ARTEFACTS:-}" ] && [ -n "${DISPLAY:-}" ]; then
    fl_screenshot failure >/dev/null 2>&1 && fl_log "screenshot: $FL_ARTEFACTS/failure.png"
  fi
  local name
  for name in "${!FL_PID[@]}"; do fl_kill "$name"; done
  if [ $FL_DPI_SET -eq 1 ]; then
    timeout 30 wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1
  fi
  [ $FL_OWN_SESSION -eq 1 ] && fl_session_stop
  [ -n "$FL_TIMER_PID" ] && kill "$FL_TIMER_PID" 2>/dev/null
  exit $code
}

# Programs of a test that was killed before its clean-up ran.
fl__end_leftovers() {
  local list=$FL_SESSION_DIR/programs pid
  if [ -f "$list" ]; then
    while read -r pid; do
      if fl__alive "$pid" && grep -q '\.exe' "/proc/$pid/cmdline" 2>/dev/null; then
        fl_log "ending program $pid left over from an earlier test"
        kill -KILL "$pid" 2>/dev/null
      fi
    done <"$list"
  fi
  : >"$list"
}

# Prints a summary and exits: 0 when every check passed (and there was one).
fl_finish() {
  fl_log "$FL_TEST: $FL_CHECKS checks, $FL_FAILURES failed"
  [ $FL_CHECKS -gt 0 ] || fl_fatal "the test made no checks"
  [ $FL_FAILURES -eq 0 ]
  exit
}

# ---------------------------------------------------------------------------
# Checks: they count, log and go on.

fl_check_eq() {
  local what=$1 expected=$2 actual=$3
  FL_CHECKS=$((FL_CHECKS + 1))
  if [ "$expected" = "$actual" ]; then
    fl_log "ok: $what"
  else
    FL_FAILURES=$((FL_FAILURES + 1))
    fl_log "FAIL: $what: expected '$expected', got '$actual'"
  fi
}

# fl_check WHAT COMMAND...: passes when the command succeeds.
fl_check() {
  local what=$1
  shift
  FL_CHECKS=$((FL_CHECKS + 1))
  if "$@"; then
    fl_log "ok: $what"
  else
    FL_FAILURES=$((FL_FAILURES + 1))
    fl_log "FAIL: $what (failed: $*)"
    return 1
  fi
}

# fl_wait_until SECONDS COMMAND...: runs the command every 0.2 s until it
# succeeds; fails after SECONDS.
fl_wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@" >/dev/null 2>&1; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

# fl_set_dpi DPI: programs started from now on run at DPI dots per inch
# (96 is 100 %); the end of the test puts the default back.
fl_set_dpi() {
  FL_DPI_SET=1
  timeout 30 wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
}

# ---------------------------------------------------------------------------
# Programs.

# fl_start NAME EXE [ARGS...]: starts a Windows program in the session, in
# the test's artefacts folder, with its output in NAME.log there. Must be
# called from the test's own shell (not in $(...)) so that its exit code can
# be collected.
fl_start() {
  local name=$1 exe=$2
  shift 2
  [ -f "$exe" ] || fl_fatal "no program $exe"
  [ -z "${FL_PID[$name]:-}" ] || fl_fatal "program '$name' already started"
  (cd "$FL_ARTEFACTS" && exec wine "$exe" "$@") >"$FL_ARTEFACTS/$name.log" 2>&1 </dev/null &
  FL_PID[$name]=$!
  unset "FL_EXIT[$name]"
  echo "${FL_PID[$name]}" >>"$FL_SESSION_DIR/programs"
}

fl_running() { fl__alive "${FL_PID[$1]:-}"; }

# fl_wait_exit NAME SECONDS: waits for the program to end and sets
# FL_EXIT[NAME]. Fails (and leaves it running) when it has not ended in time.
fl_wait_exit() {
  local name=$1 pid=${FL_PID[$1]:-}
  [ -n "$pid" ] || { [ -n "${FL_EXIT[$name]:-}" ] && return 0; fl_fatal "'$name' not started"; }
  fl_wait_until "$2" eval '! fl__alive '"$pid" || return 1
  local code=0
  wait "$pid" || code=$?
  FL_EXIT[$name]=$code
  unset "FL_PID[$name]"
}

# Ends a program at once (no clean exit) and collects it.
fl_kill() {
  local name=$1 pid=${FL_PID[$1]:-}
  [ -n "$pid" ] || return 0
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  FL_EXIT[$name]=killed
  unset "FL_PID[$name]"
}

# ---------------------------------------------------------------------------
# The driver (fldriver.exe, see tests/wine/driver/fldriver.cpp for commands).

# fl_driver COMMAND ARGS...: prints the driver's output; its exit code.
# Output goes through a file: a Wine process that the call starts must never
# hold a pipe of ours.
fl_driver() {
  local out err code limit=30 last=${*: -1}
  case "$1" in wait-*) [[ $last =~ ^[0-9]+$ ]] && limit=$((last / 1000 + 15)) ;; esac
  out=$(mktemp "${FL_SESSION_DIR}/driver.XXXXXX")
  err=$out.err
  timeout "$limit" wine "$FL_DRIVER" "$@" >"$out" 2>"$err" </dev/null
  code=$?
  cat "$out"
  [ -s "$err" ] && cat "$err" >&2
  [ $code -eq 124 ] && fl_log "fldriver $1 hung for $limit s"
  rm -f "$out" "$err"
  return $code
}

# ---------------------------------------------------------------------------
# X input, on the Wine desktop (screen coordinates are Windows coordinates).

fl_xdo() { timeout 15 xdotool "$@"; }

fl_click_at() { fl_xdo mousemove --sync "$1" "$2" click "${3:-1}"; }

# fl_drag X1 Y1 X2 Y2: left press at the first point, release at the second.
fl_drag() {
  fl_xdo mousemove --sync "$1" "$2" mousedown 1 &&
    fl_xdo mousemove --sync $((($1 + $3) / 2)) $((($2 + $4) / 2)) &&
    fl_xdo mousemove --sync "$3" "$4" mouseup 1
}

# fl_key CHORD: X key names, e.g. F2, alt+F4, Return.
fl_key() { fl_xdo key "$1"; }

fl_type() { fl_xdo type --delay 30 "$1"; }

# ---------------------------------------------------------------------------
# Screen.

# fl_screenshot NAME: the whole screen to $FL_ARTEFACTS/NAME.png; prints the path.
fl_screenshot() {
  local file=$FL_ARTEFACTS/$1.png
  timeout 20 import -window root "$file" || return 1
  printf '%s\n' "$file"
}

# fl_pixel FILE X Y: the pixel's colour as rrggbb.
fl_pixel() {
  local text
  text=$(timeout 20 convert "$1" -crop "1x1+$2+$3" -depth 8 txt:-) || return 1
  text=$(grep -o '#[0-9A-Fa-f]\{6\}' <<<"$text" | head -n 1)
  [ -n "$text" ] || return 1
  printf '%s\n' "${text#\#}" | tr 'A-F' 'a-f'
}

# fl_colours FILE X Y W H: how many different colours the area holds.
fl_colours() {
  timeout 20 convert "$1" -crop "$4x$5+$2+$3" +repage -format '%k' info:
}

# fl_differing_pixels FILE1 FILE2 X Y W H: how many pixels of the area differ.
fl_differing_pixels() {
  local a=$FL_ARTEFACTS/.crop_a.png b=$FL_ARTEFACTS/.crop_b.png count
  timeout 20 convert "$1" -crop "$5x$6+$3+$4" +repage "$a" &&
    timeout 20 convert "$2" -crop "$5x$6+$3+$4" +repage "$b" || return 1
  count=$(timeout 20 compare -metric AE "$a" "$b" null: 2>&1)
  rm -f "$a" "$b"
  [[ $count =~ ^[0-9]+$ ]] || return 1
  printf '%s\n' "$count"
}

# ---------------------------------------------------------------------------
# Windows and controls.

# fl_window TITLE [FIELD] / fl_get TITLE CONTROL [FIELD]: see the driver.
fl_window() { fl_driver window "$@"; }
fl_get() { fl_driver get "$@"; }

# fl_free_point TITLE: a point (x y, screen) inside the window that no
# visible control covers, for clicks that must not hit a control.
fl_free_point() {
  local title=$1 rect controls
  rect=$(fl_driver window-rect "$title") || return 1
  controls=$(fl_driver controls "$title") || return 1
  awk -v rect="$rect" -F '\t' '
    $6 == 1 { n++; x[n] = $7; y[n] = $8; w[n] = $9; h[n] = $10 }
    END {
      split(rect, r, " ")
      for (py = r[2] + 3; py < r[2] + r[4] - 3; py += 4)
        for (px = r[1] + 3; px < r[1] + r[3] - 3; px += 4) {
          free = 1
          for (i = 1; i <= n; i++)
            if (px >= x[i] - 2 && px < x[i] + w[i] + 2 && py >= y[i] - 2 && py < y[i] + h[i] + 2) {
              free = 0; break
            }
          if (free) { print px, py; exit 0 }
        }
      exit 1
    }' <<<"$controls"
}

# ---------------------------------------------------------------------------
# Framelark.

# fl_app_start [NAME]: starts framelark.exe and waits for its main window.
fl_app_start() {
  local name=${1:-app}
  [ -n "$FL_EXE" ] || fl_fatal "no framelark.exe under $FL_WIN32_DIR: build the cross build"
  if fl_driver wait-gone "$FL_TITLE" 0 2>/dev/null; then :; else
    fl_fatal "a window \"$FL_TITLE\" is already shown"
  fi
  fl_start "$name" "$FL_EXE"
  if ! fl_driver wait-window "$FL_TITLE" 20000 >/dev/null; then
    fl_running "$name" || fl_fatal "framelark.exe ended at start: $(tail -n 5 "$FL_ARTEFACTS/$name.log")"
    fl_fatal "framelark.exe shows no window"
  fi
}

# The main window's status line, and a click on one of its controls.
fl_status() { fl_driver get "$FL_TITLE" 标签_信息提示 text; }
fl_app_click() { fl_driver click "$FL_TITLE" "$1"; }

# fl_animate_start NAME [flanimate options]: the animated test window.
fl_animate_start() {
  local name=$1 title=$FL_ANIMATE_TITLE
  shift
  local args=("$@") i
  for ((i = 0; i < ${#args[@]}; i++)); do
    [ "${args[$i]}" = --title ] && title=${args[$((i + 1))]}
  done
  fl_start "$name" "$FL_ANIMATE" "$@"
  fl_driver wait-window "$title" 15000 >/dev/null || fl_fatal "flanimate shows no window"
}
