#!/usr/bin/env bash
# Renders every dialog and page under a private Xvfb (Japanese locale and
# fonts) and saves them as PNG files in docs/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUILLORA_ARCHS=x86_64 "$root/scripts/build.sh" >/dev/null
out=$root/build/x86_64/gallery
rm -rf "$out" && mkdir -p "$out" "$root/docs"
(
  unset DISPLAY
  # A prefix of its own, where the dialog font resolves to a Japanese
  # proportional Gothic face as it does on a Japanese system (here the
  # substitute for "MS UI Gothic" is missing and the metrics come out wrong).
  export QUILLORA_WINEPREFIX=$root/build/wineprefix-gallery
  source "$root/scripts/wine-session.sh"
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f >/dev/null 2>&1
  "$root/scripts/wine-exec.sh" "$root/build/x86_64/bin/dialog_gallery.exe" "$(winepath -w "$out")"
)
for bmp in "$out"/*.bmp; do
  convert "$bmp" "$root/docs/$(basename "${bmp%.bmp}").png"
done
ls "$root"/docs/*.png

# The same dialogs at 150 % (144 DPI), to see that no text is clipped there;
# they stay in the build folder.
out=$root/build/x86_64/gallery-144dpi
rm -rf "$out" && mkdir -p "$out"
"$root/scripts/wine-at-dpi.sh" 144 "$root/build/wineprefix-gallery-144dpi" \
  "$root/build/x86_64/bin/dialog_gallery.exe" "Z:${out//\//\\}"
for bmp in "$out"/*.bmp; do
  convert "$bmp" "${bmp%.bmp}.png" && rm "$bmp"
done
ls "$out"/*.png
