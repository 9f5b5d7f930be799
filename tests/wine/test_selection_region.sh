#!/usr/bin/env bash
# Region mode as a user works it: the radio button, the crosshair, a
# rectangle dragged over another program on the frozen screen, Enter, then a
# recording whose GIF has exactly the size of the rectangle dragged.
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
source "$(dirname "${BASH_SOURCE[0]}")/selection_common.sh"
fl_test_begin

sel_region_scenario
fl_finish
