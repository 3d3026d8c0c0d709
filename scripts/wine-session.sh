# Sourced: starts what Wine needs (a display and a wineserver) unless it is
# there already, and stops only what it started when the shell exits.
_qs_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
_qs_started_xvfb=
if [[ -z ${DISPLAY:-} ]]; then
  for n in $(seq 99 -1 80); do
    if [[ ! -e /tmp/.X11-unix/X$n && ! -e /tmp/.X$n-lock ]]; then
      Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
      _qs_started_xvfb=$!
      export DISPLAY=":$n"
      break
    fi
  done
  for _ in $(seq 50); do [[ -e /tmp/.X11-unix/X${DISPLAY#:} ]] && break; sleep 0.1; done
fi
source "$_qs_root/scripts/wine-env.sh"
mkdir -p "$WINEPREFIX"
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  echo "preparing the Wine prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 || true
fi
wineserver -p >/dev/null 2>&1 || true
# Start Wine's background services now, detached from our output: started by a
# test they would inherit its pipes and keep the caller waiting for them.
wineboot >/dev/null 2>&1 </dev/null || true
_quillora_session_end() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n $_qs_started_xvfb ]] && kill "$_qs_started_xvfb" 2>/dev/null || true
}
trap _quillora_session_end EXIT
