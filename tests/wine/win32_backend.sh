#!/usr/bin/env bash
# The Win32 backend's own tests (framelark_win32_tests.exe) inside the Wine
# session: real windows, real mouse, real screen pixels.
#
#   tests/wine/win32_backend.sh GTEST_FILTER
set -u -o pipefail
source "$(dirname "${BASH_SOURCE[0]}")/harness.sh"
FL_TEST=win32_${1%%.*}
fl_test_begin

exe=$(fl__find_exe framelark_win32_tests.exe)
[ -n "$exe" ] || fl_fatal "no framelark_win32_tests.exe under $FL_WIN32_DIR"
(cd "$(dirname "$exe")" && timeout 150 wine "$exe" --gtest_filter="$1" --gtest_color=no) \
  >"$FL_ARTEFACTS/gtest.txt" 2>&1
code=$?
cat "$FL_ARTEFACTS/gtest.txt" >&2
fl_check_eq "backend tests $1 pass" 0 "$code"
fl_check "some test ran" grep -q '^\[  PASSED  \] [1-9]' "$FL_ARTEFACTS/gtest.txt"
fl_finish
