#!/usr/bin/env bash
# Sets everything up, builds, and starts Quillora.exe under wine64 with its
# settings file beside it (build/run/Quillora.ini, kept between runs).
#
# A first run (no settings file yet) starts from the release's sample
# settings, whose active rule shrinks Wine's notepad: it opens notepad, then
# WordPad in front as the window in use, and notepad turns into its live
# stand-in. Without a display it makes a virtual one and writes a screenshot
# of it to build/run/screen.png every few seconds. Ctrl+C or a signal ends
# Quillora (which gives every window back), the programs it opened, and the
# display and wineserver it started.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# A window manager and a compositor for the virtual display made when there
# is no display.
"$root/scripts/setup.sh" openbox xcompmgr
QUILLORA_ARCHS=x86_64 "$root/scripts/build.sh"
run=$root/build/run
mkdir -p "$run"
cp "$root/build/x86_64/bin/Quillora.exe" "$root/build/x86_64/bin/QuilloraHelper.dll" "$run/"
first_run=
if [[ ! -f $run/Quillora.ini ]]; then
  # The build's copy: code page 932 with CRLF, as the release ships it.
  cp "$root/build/x86_64/package/Quillora.ini" "$run/Quillora.ini"
  first_run=1
fi

display_given=${DISPLAY:-}
source "$root/scripts/wine-session.sh"
cd "$run"

shooter=
desktop=()
quillora=
others=()
# Quillora first, asked to close as the shell would (it gives every window
# back on the way out), then what this script opened, then the session.
# Every step runs whatever the one before gave: Ctrl+C reaches the whole
# process group, so the window manager may be gone already and a kill of it
# fail, which under set -e ended the script with the wineserver running.
end_run() {
  trap - INT TERM EXIT
  set +e
  [[ -n $shooter ]] && kill "$shooter" 2>/dev/null
  ((${#desktop[@]})) && kill "${desktop[@]}" 2>/dev/null
  if [[ -n $quillora ]] && kill -0 "$quillora" 2>/dev/null; then
    wine taskkill /im Quillora.exe >/dev/null 2>&1 || true
    for _ in $(seq 50); do kill -0 "$quillora" 2>/dev/null || break; sleep 0.1; done
  fi
  for image in "${others[@]}"; do wine taskkill /im "$image" >/dev/null 2>&1 || true; done
  _quillora_session_end
}
trap end_run EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Waits up to $1 seconds for a top-level window of Wine program $2 (its X
# class, e.g. notepad.exe).
wait_window() {
  local deadline=$((SECONDS + $1))
  until xdotool search --classname "$2" >/dev/null 2>&1; do
    ((SECONDS < deadline)) || return 1
    sleep 0.3
  done
}

# A bare X server draws a transparent window as if it were opaque, and
# places every window at the same spot: on the virtual display a window
# manager and a compositor show what a desktop would, the original gone and
# its stand-in in its place.
if [[ -z $display_given ]]; then
  openbox >/dev/null 2>&1 &
  desktop+=($!)
  xcompmgr -n >/dev/null 2>&1 &
  desktop+=($!)
fi

# The virtual display's pointer rests at its centre, maybe on notepad, which
# keeps a window from shrinking: move it aside (never a user's own pointer).
[[ -z $display_given ]] && xdotool mousemove 1270 1010 2>/dev/null || true
wine Quillora.exe &
quillora=$!
if [[ -n $first_run ]]; then
  # Started one after the other: two Wine programs started in the same
  # instant can stall each other.
  wait_window 60 quillora.exe || true
  wine notepad &
  others+=(notepad.exe)
  wait_window 60 notepad.exe || true
  wine 'C:\Program Files\Windows NT\Accessories\wordpad.exe' &
  others+=(wordpad.exe)
  # WordPad opens where notepad stood, over the stand-in at notepad's
  # corner: move it aside on the virtual display.
  if [[ -z $display_given ]] && wait_window 60 wordpad.exe; then
    xdotool search --classname wordpad.exe windowmove %@ 540 70 2>/dev/null || true
  fi
  echo "First run: $run/Quillora.ini is the release's sample; its rule shrinks notepad once it is neither in front nor under the cursor (WordPad is in front)."
fi

echo "Quillora is running; settings: $run/Quillora.ini (edit them from the tray icon's menu)"
if [[ -n $display_given ]]; then
  echo "Look at display $DISPLAY."
else
  ( while sleep 3; do import -window root "$run/screen.png.tmp.png" 2>/dev/null && mv -f "$run/screen.png.tmp.png" "$run/screen.png"; done ) &
  shooter=$!
  echo "Virtual display $DISPLAY: a screenshot every 3 s in $run/screen.png (or attach a viewer to $DISPLAY)."
fi
echo "Ctrl+C ends Quillora and everything this script started."
wait "$quillora" || true
