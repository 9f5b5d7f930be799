#!/usr/bin/env bash
# Region mode at 150 % (144 dots per inch): the overlay still covers the
# screen pixel for pixel, the rectangle is drawn where the mouse dragged it,
# and the GIF has the size dragged in physical pixels.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/selection_common.sh"
fl_test_begin

fl_set_dpi 144
sel_region_scenario
fl_finish
