#!/usr/bin/env bash
# Builds the program for Windows (i686, the main artefact, and x86_64) and the
# native test build. Usage: scripts/build.sh [native-build-options...]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${FRAMELARK_BUILD_DIR:-$root/build}
jobs=$(nproc)

for arch in i686 x86_64; do
  dir=$build/win32-$arch
  cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-$arch.cmake" >/dev/null
  cmake --build "$dir" -j "$jobs"
done

# Native tests run under AddressSanitizer + UBSan and include the Wine tests
# of the i686 program; the threading tests also get a ThreadSanitizer build.
cmake -S "$root" -B "$build/test" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFRAMELARK_SANITIZE=address -DFRAMELARK_WIN32_DIR="$build/win32-i686" >/dev/null
cmake --build "$build/test" -j "$jobs"
cmake -S "$root" -B "$build/tsan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DFRAMELARK_SANITIZE=thread >/dev/null
if cmake --build "$build/tsan" --target help | grep -q engine_thread_tests; then
  cmake --build "$build/tsan" -j "$jobs" --target engine_thread_tests
fi
