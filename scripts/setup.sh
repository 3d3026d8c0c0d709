#!/usr/bin/env bash
# Installs what building and testing needs (Debian packages, the ja_JP.UTF-8
# locale), and the packages named as arguments (what running needs beyond
# that). Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  cmake ninja-build python3
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64
  libboost1.81-dev googletest
  wine wine64 xvfb xauth xdotool locales
  imagemagick fonts-ipafont-gothic zip
  "$@"
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if ((${#missing[@]})); then
  if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages (run as root to install): ${missing[*]}" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi

# wine32 cannot run on this kernel and makes the wine wrapper fail (status 126).
if dpkg-query -W -f='${Status}' wine32 2>/dev/null | grep -q 'install ok installed'; then
  echo "wine32 is installed; remove it (apt-get remove wine32) so that wine runs wine64" >&2
  exit 1
fi

# Wine takes the ANSI code page from the locale: ja_JP.UTF-8 gives 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  if [[ $(id -u) -ne 0 ]]; then
    echo "the ja_JP.UTF-8 locale is missing (run as root to generate it)" >&2
    exit 1
  fi
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
  locale-gen
fi
