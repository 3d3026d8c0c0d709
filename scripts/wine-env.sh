# Sourced: the environment every Wine process of the project runs with.
# QUILLORA_WINEPREFIX may point elsewhere; the default lives in the repository's
# build folder so nothing outside the checkout is touched.
_quillora_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${QUILLORA_WINEPREFIX:-$_quillora_root/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export DISPLAY=${DISPLAY:-:99}
