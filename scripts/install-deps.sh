#!/usr/bin/env bash
# Installs every Debian package the build and the tests need (Debian 12, as root).
# Safe to run again: it does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev libgif-dev
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64
  xvfb xdotool x11-utils imagemagick fonts-wqy-zenhei python3 python3-pil
)

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}
  [ "$arch" = "$p" ] && arch=""
  if ! dpkg-query -W -f='${Status}' "${name}${arch:+:$arch}" 2>/dev/null | grep -q "ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
timeout 900 apt-get update -q
timeout 1800 apt-get install -y -q --no-install-recommends "${missing[@]}"
