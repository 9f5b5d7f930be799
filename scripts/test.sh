#!/usr/bin/env bash
# Installs what is needed, builds, and runs every test: the threading tests
# under ThreadSanitizer, then the native tests (AddressSanitizer + UBSan) and
# the Win32 tests of the real program under Wine in Xvfb. Ends with a line
# of counts.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FRAMELARK_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh" || { echo "0 passed, 1 failed"; exit 1; }
bash "$root/scripts/build.sh" || { echo "build failed"; echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
# ctest's summary: "NN% tests passed, F tests failed out of T".
count() {
  local log=$1 line total bad
  line=$(grep -E "tests passed, [0-9]+ tests? failed out of [0-9]+" "$log" | tail -1)
  if [ -z "$line" ]; then
    if grep -q "No tests were found" "$log"; then return 0; fi
    failed=$((failed + 1))
    return 0
  fi
  bad=$(echo "$line" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/')
  total=$(echo "$line" | sed -E 's/.* failed out of ([0-9]+).*/\1/')
  passed=$((passed + total - bad))
  failed=$((failed + bad))
}

log=$(mktemp)
if [ -d "$build/tsan/tests/engine_threads" ]; then
  echo "== threading tests under ThreadSanitizer"
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$build/tsan" -L threads --output-on-failure --timeout 300 2>&1 | tee "$log"
  count "$log"
fi

echo "== native tests (AddressSanitizer + UBSan) and Win32 tests under Wine"
ctest --test-dir "$build/test" --output-on-failure --timeout 600 2>&1 | tee "$log"
count "$log"
rm -f "$log"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
