#!/usr/bin/env bash
# The README's main picture: Wine's notepad shrunk by the sample settings of
# the release into a live stand-in beside the window in use (WordPad), and the
# same desktop once the cursor rests on the stand-in (notepad restored).
# Saves docs/main-shrunk.png and docs/main-restored.png.
#
# Needs, besides what scripts/setup.sh installs, a window manager and a
# compositing manager (Xvfb composites nothing itself, so a window at layered
# alpha 0 would still show):  apt-get install openbox xcompmgr
# Without Debian's fonts-wine it fetches that package (apt-get download) for
# Wine's Marlett font and gives it to its own Wine prefix only.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
for tool in openbox xcompmgr; do
  command -v $tool >/dev/null || { echo "$tool is missing: apt-get install openbox xcompmgr" >&2; exit 1; }
done
QUILLORA_ARCHS=x86_64 "$root/scripts/build.sh" >/dev/null
work=$root/build/x86_64/main-shot
rm -rf "$work" && mkdir -p "$work" "$root/docs"
cp "$root"/build/x86_64/bin/{Quillora.exe,QuilloraHelper.dll} "$root/build/x86_64/package/Quillora.ini" "$work/"
to_cp932() { iconv -f UTF-8 -t CP932 | sed 's/$/\r/'; }
printf '%s\n' 'Quillora は、選んだウィンドウを小さな' '縮小ウィンドウに置き換えます。' '' \
  'マウスを乗せると元に戻ります。' | to_cp932 >"$work/memo.txt"
printf '%s\n' '作業中の文書' '' '前に出ているウィンドウはそのまま使えます。' \
  'メモ帳は左上で縮小ウィンドウになっています。' | to_cp932 >"$work/report.txt"

# Polls a command every 0.2 s until it succeeds; fails after $1 seconds.
wait_for() {
  local deadline=$((SECONDS + $1)); shift
  until "$@"; do
    ((SECONDS < deadline)) || { echo "timed out waiting for: $*" >&2; return 1; }
    sleep 0.2
  done
}
window_of() {  # the X window of a Wine program ($1: its WM_CLASS, $2: part of the title)
  local w
  for w in $(xdotool search --name "$2" 2>/dev/null); do
    [[ $(xprop -id "$w" WM_CLASS) == *"\"$1\""* ]] && { echo "$w"; return 0; }
  done
  return 1
}
opacity() { xprop -id "$1" _NET_WM_WINDOW_OPACITY | sed -n 's/.* = //p'; }
# Wine sets the X opacity to 0 for layered alpha 0 and removes it for 255.
is_transparent() { [[ $(opacity "$original") == 0 ]]; }
is_opaque() { [[ -z $(opacity "$original") ]]; }
shot() {  # settle the compositor's repaint, then the region the windows use
  sleep 1
  import -window root -crop 980x430+0+0 +repage "$root/docs/$1.png"
}

(
  cd "$work"
  unset DISPLAY
  export QUILLORA_WINEPREFIX=$root/build/wineprefix-main
  source "$root/scripts/wine-session.sh"
  openbox >/dev/null 2>&1 &
  wm=$!
  xcompmgr -n >/dev/null 2>&1 &
  compositor=$!
  trap 'kill $wm $compositor 2>/dev/null; _quillora_session_end' EXIT
  # Wine draws caption buttons with its Marlett font, which Debian ships in
  # fonts-wine (not installed by scripts/setup.sh): this prefix alone gets it.
  fonts=$WINEPREFIX/drive_c/windows/Fonts
  if [[ ! -f $fonts/marlett.ttf ]]; then
    marlett=/usr/share/wine/fonts/marlett.ttf
    if [[ ! -f $marlett ]]; then
      apt-get download -o APT::Sandbox::User=root fonts-wine >/dev/null && dpkg-deb -x fonts-wine_*.deb fonts-wine
      marlett=fonts-wine/usr/share/wine/fonts/marlett.ttf
    fi
    cp "$marlett" "$fonts/"
  fi
  for v in X:40 Y:70 DX:480 DY:320; do
    wine reg add 'HKCU\Software\Microsoft\Notepad' /v "iWindowPos${v%%:*}" /t REG_DWORD /d "${v#*:}" /f >/dev/null 2>&1
  done

  # Quillora first, then notepad, as a user starts a program while it runs.
  wine Quillora.exe >/dev/null 2>&1 &
  wait_for 60 window_of quillora.exe Quillora >/dev/null
  wine notepad memo.txt >/dev/null 2>&1 &
  wait_for 60 window_of notepad.exe memo.txt >/dev/null
  original=$(window_of notepad.exe memo.txt)
  # The window in use: notepad shrinks once it is no longer in front.
  wine 'C:\Program Files\Windows NT\Accessories\wordpad.exe' report.txt >/dev/null 2>&1 &
  wait_for 60 window_of wordpad.exe report.txt >/dev/null
  editor=$(window_of wordpad.exe report.txt)
  xdotool windowsize "$editor" 420 330 windowmove "$editor" 540 70
  wait_for 30 is_transparent
  shot main-shrunk

  # Rest the cursor on the stand-in, at its centre.
  stand_in=$(window_of quillora.exe memo.txt)
  eval "$(xdotool getwindowgeometry --shell "$stand_in")"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2))
  wait_for 30 is_opaque
  shot main-restored
)
ls -l "$root"/docs/main-*.png
