#!/usr/bin/env bash
# Records a few real clips and compares gifbench with ffmpeg (two passes,
# palettegen stats_mode=diff + paletteuse) and ImageMagick -layers Optimize
# followed by gifsicle -O3: bytes, seconds, peak memory and mean PSNR of the
# decoded frames against the sources.
#
# usage: bench/compare.sh [WORK_DIR]     (FRAMES=40 by default; REUSE_CLIPS=1
#        encodes the clips already in WORK_DIR/clips again without recording)
# Clips are written under WORK_DIR (default /tmp/framelark-bench), the table
# to WORK_DIR/results.md and to the screen.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
WORK=${1:-/tmp/framelark-bench}
FRAMES=${FRAMES:-40}
PY=/usr/bin/python3

need=()
for p in ffmpeg gifsicle imagemagick xvfb xterm x11-apps x11-utils x11-xserver-utils xdotool xfonts-base time \
         python3-pil python3-numpy cmake ninja-build; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${need[@]}"
fi

cmake -S "$ROOT" -B "$ROOT/build/gifbench" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$ROOT/build/gifbench" --target gifbench >/dev/null
GIFBENCH=$ROOT/build/gifbench/bench/gifbench

mkdir -p "$WORK"
CLIPS=$WORK/clips
OUT=$WORK/out
rm -rf "$OUT"
mkdir -p "$OUT"
if [ "${REUSE_CLIPS:-0}" != 1 ] || [ ! -d "$CLIPS/plasma" ]; then
rm -rf "$CLIPS"
mkdir -p "$CLIPS"

# --- Screen clips under a virtual X server ---------------------------------
DISPLAY_NUM=:97
export DISPLAY=$DISPLAY_NUM
XVFB=""
start_x() {  # a fresh virtual screen for each clip
  Xvfb $DISPLAY_NUM -screen 0 1280x800x24 -br -noreset -nolisten tcp >/dev/null 2>&1 &
  XVFB=$!
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}
stop_x() {
  [ -n "$XVFB" ] && kill "$XVFB" 2>/dev/null || true
  wait "$XVFB" 2>/dev/null || true
  XVFB=""
}
trap 'stop_x; jobs -p | xargs -r kill 2>/dev/null || true' EXIT

grab() {  # grab FILE: the whole screen as a 24-bit bitmap file
  xwd -root -silent | convert xwd:- -type TrueColor "BMP3:$1"
}

record() {  # record NAME DELAY STEP_COMMAND: grab FRAMES frames, running STEP between grabs
  local dir=$CLIPS/$1 delay=$2 step=$3
  mkdir -p "$dir"
  : >"$dir/delays.txt"
  for i in $(seq 0 $((FRAMES - 1))); do
    eval "$step $i" || true
    sleep 0.25
    grab "$(printf '%s/%04d.bmp' "$dir" "$i")"
    echo "$delay" >>"$dir/delays.txt"
  done
}

# Terminal: text typed and listed in an xterm.
cat >"$WORK/typing.sh" <<'TYPING'
#!/usr/bin/env bash
text="framelark records the screen into small, sharp animated pictures. "
while true; do
  for ((i = 0; i < ${#text}; i++)); do printf '%s' "${text:i:1}"; sleep 0.05; done
  echo; ls -l /usr/bin | head -n 6; sleep 0.3
done
TYPING
chmod +x "$WORK/typing.sh"
start_x
xterm -geometry 120x45+10+10 -bg white -fg black -e "$WORK/typing.sh" &
TERM_PID=$!
sleep 1
record terminal 30 ":"
kill $TERM_PID 2>/dev/null || true
stop_x

# Desktop: photo-like wallpaper, a clock, and a window moving across it.
$PY "$ROOT/bench/make_clips.py" "$WORK/gen" 1 >/dev/null
convert "$WORK/gen/wallpaper/0000.bmp" -resize 1280x800! "$WORK/wall.png"
start_x
display -window root "$WORK/wall.png" &
sleep 1
xclock -geometry 160x160+1100+20 -update 1 &
xterm -T framelark-moving -geometry 70x20+100+100 -e "top -d 0.5" &
MOVE_PID=$!
WIN=""
for _ in $(seq 50); do
  WIN=$(xdotool search --name framelark-moving 2>/dev/null | head -n1 || true)
  [ -n "$WIN" ] && break
  sleep 0.2
done
move_step() { [ -n "$WIN" ] && xdotool windowmove "$WIN" $((100 + 17 * $1)) $((100 + 7 * $1)); }
record desktop 30 move_step
kill $MOVE_PID 2>/dev/null || true
stop_x

# Dialogs: message boxes and a calculator coming and going on a flat desktop.
start_x
xsetroot -solid '#3a6ea5'
xcalc -geometry +700+150 &
CALC=$!
dialog_step() {
  local i=$1
  if [ $((i % 5)) -eq 0 ]; then
    xmessage -geometry +$((100 + 20 * i))+$((200 + 5 * i)) -buttons OK,Cancel \
      "Save changes to recording $i before closing?" &
    DIALOG_PIDS="${DIALOG_PIDS:-} $!"
  fi
  if [ $((i % 5)) -eq 3 ]; then
    for p in ${DIALOG_PIDS:-}; do kill "$p" 2>/dev/null || true; done
    DIALOG_PIDS=""
  fi
}
record dialogs 30 dialog_step
for p in ${DIALOG_PIDS:-}; do kill "$p" 2>/dev/null || true; done
kill $CALC 2>/dev/null || true
stop_x

# --- Generated colourful clips ---------------------------------------------
$PY "$ROOT/bench/make_clips.py" "$CLIPS" "$FRAMES" >/dev/null
fi

# --- Encoders ----------------------------------------------------------------
measure() {  # measure LOG CMD...: appends "cpu_seconds wall_seconds peak_kb" of CMD to LOG
  local log=$1
  shift
  /usr/bin/time -f "%U %S %e %M" -o "$log.t" "$@" >/dev/null 2>"$log.err"
  awk '{ printf "%.2f %.2f %d\n", $1 + $2, $3, $4 }' "$log.t" >>"$log"
}

sum_log() {  # CPU seconds and wall seconds summed, peak memory maximum
  awk '{ c += $1; w += $2; if ($3 > m) m = $3 } END { printf "%.2f %.2f %.1f", c, w, m / 1024 }' "$1"
}

row() {  # row CLIP TOOL GIF LOG
  local bytes psnr
  bytes=$(stat -c %s "$3")
  psnr=$($PY "$ROOT/bench/psnr.py" "$3" "$CLIPS/$1")
  read -r cpu wall peak <<<"$(sum_log "$4")"
  printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$1" "$2" "$bytes" "$cpu" "$wall" "$peak" \
    "${psnr%% *}"
}

RESULTS=$WORK/results.md
{
  echo "| clip | tool | bytes | CPU s | wall s | peak MB | mean PSNR dB |"
  echo "| --- | --- | ---: | ---: | ---: | ---: | ---: |"
} >"$RESULTS"

export MAGICK_THREAD_LIMIT=1 OMP_NUM_THREADS=1
for clip in ${CLIP_LIST:-terminal desktop dialogs plasma wallpaper}; do
  dir=$CLIPS/$clip
  delay=$(head -n1 "$dir/delays.txt")
  fps="100/$delay"
  o=$OUT/$clip
  mkdir -p "$o"
  rm -f "$o"/*.log

  measure "$o/gifbench.log" "$GIFBENCH" "$dir" "$o/gifbench.gif"

  measure "$o/ffmpeg.log" ffmpeg -v error -y -threads 1 -filter_threads 1 -framerate "$fps" \
    -i "$dir/%04d.bmp" -vf palettegen=stats_mode=diff "$o/palette.png"
  measure "$o/ffmpeg.log" ffmpeg -v error -y -threads 1 -filter_threads 1 -framerate "$fps" \
    -i "$dir/%04d.bmp" -i "$o/palette.png" -lavfi paletteuse "$o/ffmpeg.gif"

  measure "$o/magick.log" convert -delay "$delay" "$dir"/*.bmp -layers Optimize "$o/magick.gif"
  measure "$o/magick.log" gifsicle -O3 "$o/magick.gif" -o "$o/magick-gifsicle.gif"

  row "$clip" gifbench "$o/gifbench.gif" "$o/gifbench.log" | tee -a "$RESULTS"
  row "$clip" "ffmpeg 2-pass" "$o/ffmpeg.gif" "$o/ffmpeg.log" | tee -a "$RESULTS"
  row "$clip" "magick+gifsicle -O3" "$o/magick-gifsicle.gif" "$o/magick.log" | tee -a "$RESULTS"
done

[ "${SKIP_SYNTHETIC:-0}" = 1 ] && exit 0
echo
echo "Synthetic 1920x1080 screen recording, 200 and 2000 frames:" | tee -a "$RESULTS"
for n in 200 2000; do
  echo "- $n frames: $("$GIFBENCH" --synthetic $n "$OUT/synthetic.gif" | tail -n1)" | tee -a "$RESULTS"
done
echo "- changed frame:" | tee -a "$RESULTS"
"$GIFBENCH" --frame-time "$OUT/frame.gif" | head -n2 | sed 's/^/  - /' | tee -a "$RESULTS"
echo "Results in $RESULTS"
