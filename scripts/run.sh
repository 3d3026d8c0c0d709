#!/usr/bin/env bash
# Sets everything up, builds, and starts Quillora.exe under wine64 with its
# settings file beside it (build/run/Quillora.ini, kept between runs).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
QUILLORA_ARCHS=x86_64 "$root/scripts/build.sh"
run=$root/build/run
mkdir -p "$run"
cp "$root/build/x86_64/bin/Quillora.exe" "$root/build/x86_64/bin/QuilloraHelper.dll" "$run/"
source "$root/scripts/wine-session.sh"
echo "Quillora is running on display $DISPLAY; settings: $run/Quillora.ini"
wine "$run/Quillora.exe"
