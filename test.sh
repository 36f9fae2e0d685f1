#!/usr/bin/env bash
# Installs what is missing, builds, starts a private sound server when none
# answers, and runs every test through ctest. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh build -DBUILD_TESTING=ON

pulse_dir=""
cleanup() { [ -n "$pulse_dir" ] && tools/pulse-server.sh stop "$pulse_dir"; return 0; }
trap cleanup EXIT
if ! pactl info >/dev/null 2>&1; then
  pulse_dir=$(mktemp -d /tmp/clipforge-pulse.XXXXXX)
  eval "$(tools/pulse-server.sh start "$pulse_dir")"
  echo "No sound server answered: started a private PulseAudio with a null sink ($PULSE_SERVER)"
fi
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j 2 --timeout 300 "$@"
