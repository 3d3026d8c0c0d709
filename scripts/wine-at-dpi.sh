#!/usr/bin/env bash
# Runs a Windows program (through wine-exec.sh) on a display of its own and in
# a Wine prefix of its own that looks like a Japanese Windows at another
# display scale. Wine 8 takes the system DPI from HKCU\Control Panel\Desktop
# LogPixels when a process starts; the dialog font's Japanese face is mapped
# to IPA P Gothic (Wine's own substitute for "MS UI Gothic" is missing here,
# and the fallback has other metrics).
# usage: wine-at-dpi.sh DPI PREFIX PROGRAM [ARGUMENTS...]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
dpi=$1
mkdir -p "$2"
export QUILLORA_WINEPREFIX=$(cd "$2" && pwd)
shift 2
unset DISPLAY
source "$here/wine-session.sh"
stamp=$WINEPREFIX/.quillora-dpi
if [[ $(cat "$stamp" 2>/dev/null) != "$dpi" ]]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null 2>&1
  # Wine's own processes (the desktop, the services) started at the old
  # scale; programs that run at another scale than the desktop get window
  # sizes scaled by the ratio. Start them again at the new one.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -p >/dev/null 2>&1 || true
  wineboot >/dev/null 2>&1 </dev/null || true
  echo "$dpi" >"$stamp"
fi
"$here/wine-exec.sh" "$@"
