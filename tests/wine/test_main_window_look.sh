#!/usr/bin/env bash
# The main window as the user sees it: the skin with its gold band, the
# disabled stop and save buttons, the checked full-screen radio button, the
# blinking crosshair, all as in the reference picture beside this script;
# dragging the skin moves the window, pressing a control does not; the
# minimise button minimises.
#
# FL_UPDATE_REFERENCE=1 writes the reference picture from this run.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
fl_test_begin
reference=$(dirname "${BASH_SOURCE[0]}")/reference/main_window.png

# The mouse rests away from where the window appears, so that no button
# shows its hover picture.
fl_xdo mousemove --sync 5 5
fl_app_start app
read -r wx wy _ _ <<<"$(fl_driver window-rect "$FL_TITLE")"
sleep 0.5

shot=$(fl_screenshot look)
window=$FL_ARTEFACTS/window.png
convert "$shot" -crop "332x167+$wx+$wy" +repage "$window"

# Colours present in an area of the window (x y w h), as rrggbb lines.
colours_in() {
  convert "$window" -crop "$3x$4+$1+$2" +repage -unique-colors -depth 8 txt:- |
    grep -o '#[0-9A-Fa-f]\{6\}' | tr 'A-F#' 'a-f '
}
has_colour() { colours_in "$1" "$2" "$3" "$4" | grep -q " $5"; }
lacks_colour() { ! has_colour "$@"; }
placed_at() { [ "$(fl_driver window-rect "$FL_TITLE" | cut -d' ' -f1,2)" = "$1 $2" ]; }
# A drag at a person's pace: Wine's window-move loop starts a moment after
# the press and must see the moves after that.
slow_drag() {
  fl_xdo mousemove --sync "$1" "$2" mousedown 1
  sleep 0.3
  fl_xdo mousemove --sync $((($1 + $3) / 2)) $((($2 + $4) / 2))
  sleep 0.2
  fl_xdo mousemove --sync "$3" "$4"
  sleep 0.2
  fl_xdo mouseup 1
}
minimised() { [ "$(fl_driver is-minimised "$FL_TITLE")" = 1 ]; }

gold=ffbc08
fl_check "hazard band rows 30-45 hold gold stripes" has_colour 1 30 330 16 "$gold"
fl_check "hazard band rows 30-45 hold grey stripes" has_colour 1 30 330 16 555555
fl_check "start button text is gold" has_colour 74 75 61 27 "$gold"
fl_check "stop button is disabled: grey text" has_colour 138 75 61 27 888888
fl_check "stop button is disabled: no gold text" lacks_colour 138 75 61 27 "$gold"
fl_check "save button is disabled: grey text" has_colour 201 75 61 27 888888
fl_check "gradient bar's top row" has_colour 1 158 330 1 553f03
fl_check "gradient bar's bottom row" has_colour 1 165 330 1 a97d05

# The checked full-screen radio button looks unlike the unchecked window
# radio button next to it.
radio() { convert "$window" -crop "12x12+$1+$2" +repage "$FL_ARTEFACTS/radio_$3.png"; }
radio 8 139 full
radio 75 139 window
differ=$(compare -metric AE "$FL_ARTEFACTS/radio_full.png" "$FL_ARTEFACTS/radio_window.png" null: 2>&1)
fl_check "the checked radio button differs from an unchecked one ($differ pixels)" \
  test "${differ:-0}" -gt 4

# The crosshair blinks: its cross turns white and gold within a second or two.
cross_white=0 cross_gold=0
for _ in $(seq 16); do
  s=$(fl_screenshot blink)
  case $(fl_pixel "$s" $((wx + 16 + 26)) $((wy + 75 + 26))) in
    ffffff) cross_white=1 ;;
    "$gold") cross_gold=1 ;;
  esac
  [ $cross_white -eq 1 ] && [ $cross_gold -eq 1 ] && break
  sleep 0.2
done
fl_check_eq "the crosshair's cross was seen white and gold" "1 1" "$cross_white $cross_gold"

# The window against the reference picture, leaving out the blinking
# crosshair.
masked() { convert "$1" -fill black -draw "rectangle 16,75 67,126" "$2"; }
if [ "${FL_UPDATE_REFERENCE:-0}" = 1 ]; then
  cp "$window" "$reference"
  fl_log "reference picture written: $reference"
fi
masked "$window" "$FL_ARTEFACTS/window_masked.png"
masked "$reference" "$FL_ARTEFACTS/reference_masked.png"
differ=$(compare -metric AE "$FL_ARTEFACTS/window_masked.png" "$FL_ARTEFACTS/reference_masked.png" null: 2>&1)
fl_check "the window matches the reference picture ($differ pixels differ)" \
  test "${differ:-999999}" -le 150

# Dragging the skin moves the window with the mouse.
read -r fx fy <<<"$(fl_free_point "$FL_TITLE")"
slow_drag "$fx" "$fy" $((fx + 40)) $((fy + 30))
fl_wait_until 5 placed_at $((wx + 40)) $((wy + 30))
read -r mx my _ _ <<<"$(fl_driver window-rect "$FL_TITLE")"
fl_check_eq "dragging the skin moves the window" "$((wx + 40)) $((wy + 30))" "$mx $my"

# Pressing a control and moving does not: the crosshair box in full-screen
# mode takes the press and does nothing with it.
slow_drag $((mx + 16 + 20)) $((my + 75 + 20)) $((mx + 16 + 80)) $((my + 75 + 60))
sleep 0.5
read -r cx cy _ _ <<<"$(fl_driver window-rect "$FL_TITLE")"
fl_check_eq "pressing a control does not move the window" "$mx $my" "$cx $cy"

fl_app_click 图形按钮_最小化
fl_wait_until 5 minimised
fl_check_eq "the minimise button minimises" 1 "$(fl_driver is-minimised "$FL_TITLE")"
fl_check "minimised, the program goes on" fl_running app

fl_finish
