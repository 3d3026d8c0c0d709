#!/usr/bin/env bash
# Sets everything up, builds both architectures and runs every test.
# Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
start=$(date +%s)
"$root/scripts/setup.sh"
"$root/scripts/build.sh"

status=0
echo "== release archives"
package_ok=0
if "$root/scripts/package.sh" && python3 "$root/tests/tools/check_package.py" "$root/CMakeLists.txt" "$root/dist"; then
  package_ok=1
else
  status=1
fi

source "$root/scripts/wine-session.sh"
for arch in i686 x86_64; do
  echo "== tests of the $arch build"
  (cd "$root/build/$arch" && ctest --output-on-failure) || status=1
done

# Test cases across both trees: each GoogleTest program's cases, and every
# other ctest entry (the static checks) as one.
logs=("$root"/build/{i686,x86_64}/Testing/Temporary/LastTest.log)
passed=0 failed=0
read -r passed failed < <(awk '
  /^[0-9]+\/[0-9]+ Testing: / { gtest = 0 }
  /^\[  PASSED  \] [0-9]+ test/ { passed += $4; gtest = 1 }
  # Brief output names each failed case once and prints no failure count.
  /^\[  FAILED  \] [A-Za-z0-9_\/]+\.[A-Za-z0-9_\/]+ \(/ { failed++; gtest = 1 }
  /^Test Passed\./ { if (!gtest) passed++ }
  /^Test Failed/ { if (!gtest) failed++ }
  END { print passed + 0, failed + 0 }' "${logs[@]}" 2>/dev/null) || true
echo "test command took $(( $(date +%s) - start )) s"
# The archive check counts as one.
passed=$(( ${passed:-0} + package_ok )) failed=$(( ${failed:-0} + 1 - package_ok ))
echo "tests: $passed passed, $failed failed"
exit $status
