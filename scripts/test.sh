#!/usr/bin/env bash
# Sets everything up, builds both architectures and runs every test.
# Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
start=$(date +%s)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"
source "$root/scripts/wine-session.sh"

status=0
for arch in i686 x86_64; do
  echo "== tests of the $arch build"
  (cd "$root/build/$arch" && ctest --output-on-failure) || status=1
done
echo "test command took $(( $(date +%s) - start )) s"
exit $status
