#!/usr/bin/env bash
# Builds both architectures: build/x86_64 (runs under wine64 here, with the
# tests) and build/i686 (the shipped 32-bit build, checked statically).
# QUILLORA_ARCHS picks the architectures, QUILLORA_BUILD_ROOT the folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
archs=${QUILLORA_ARCHS:-"x86_64 i686"}
for arch in $archs; do
  dir=${QUILLORA_BUILD_ROOT:-$root/build}/$arch
  if [[ ! -f $dir/build.ninja ]]; then
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake"
  fi
  cmake --build "$dir"
done
