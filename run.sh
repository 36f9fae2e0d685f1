#!/usr/bin/env bash
# Installs what is missing, builds and starts Orvane Clipforge.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh build

cleanup() {
  [ -n "${pulse_dir:-}" ] && tools/pulse-server.sh stop "$pulse_dir"
  [ -n "${xvfb_pid:-}" ] && kill "$xvfb_pid" 2>/dev/null
  return 0
}
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  export DISPLAY=:87
  Xvfb "$DISPLAY" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  sleep 1
  echo "No display available: started a virtual one (Xvfb on $DISPLAY)"
fi
if ! pactl info >/dev/null 2>&1; then
  pulse_dir=$(mktemp -d /tmp/clipforge-pulse.XXXXXX)
  eval "$(tools/pulse-server.sh start "$pulse_dir")"
  echo "No sound server answered: started a private PulseAudio with a null sink ($PULSE_SERVER)"
fi
build/bin/orvane-clipforge
