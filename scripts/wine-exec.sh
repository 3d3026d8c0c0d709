#!/usr/bin/env bash
# Runs a Windows program under wine64 with the test environment: the private
# prefix, the Japanese locale (code page 932) and a quiet Wine.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
exec wine "$@"
