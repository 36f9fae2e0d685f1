#!/usr/bin/env bash
# A long recording through libbass.so from the null sink's monitor while a
# 440 Hz tone plays into the sink (bench_record): the samples delivered
# against the time that passed (no block lost: within 0.1%), the worst time
# in the recording procedure, and the process's memory at the end against
# the recorded WAV image (within 1%).
#   bench/record_soak.sh [MINUTES] [BUILD_DIR]    (defaults: 10, build)
# Uses the sound server that answers; else starts the private one of the tests.
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:-10}; build=${2:-build}
[ -f "$build/CMakeCache.txt" ] || tools/build.sh "$build" >/dev/null
cmake --build "$build" --target bench_record -j2 >/dev/null
for t in sox pacat pactl; do command -v "$t" >/dev/null || { echo "$t is needed (tools/deps.sh)" >&2; exit 1; }; done

pulse_dir=""; tone_pid=""
cleanup() {
  [ -n "$tone_pid" ] && kill "$tone_pid" 2>/dev/null
  [ -n "$pulse_dir" ] && tools/pulse-server.sh stop "$pulse_dir"
  return 0
}
trap cleanup EXIT
if ! pactl info >/dev/null 2>&1; then
  pulse_dir=$(mktemp -d /tmp/clipforge-pulse.XXXXXX)
  eval "$(tools/pulse-server.sh start "$pulse_dir")"
  echo "started a private PulseAudio with a null sink ($PULSE_SERVER)"
fi
pactl list short sinks | grep -q clipforge_sink || { echo "the sound server has no clipforge_sink" >&2; exit 1; }

seconds=$(awk -v m="$minutes" 'BEGIN { printf "%g", m * 60 }')
# The tone, made as it is played (sox is held back by pacat), a little longer than the recording.
sox -n -r 44100 -c 2 -b 16 -t raw - synth "$(awk -v s="$seconds" 'BEGIN { print s + 10 }')" sine 440 vol 0.5 2>/dev/null |
  pacat --playback --device=clipforge_sink --rate=44100 --channels=2 --format=s16le --latency-msec=50 \
        --client-name="record soak tone" &
tone_pid=$!
sleep 1
echo "recording ${minutes} min from Monitor of ClipforgeSink"
report=$(mktemp /tmp/record-soak.XXXXXX)
status=0
"$build/bin/bench_record" "$seconds" "Monitor of ClipforgeSink" | tee "$report" || status=$?
# The line of bench/run.sh's table: no reference tool, the soak's own limits.
field() { sed -n "s/^$1 *: //p" "$report"; }
echo "@row | Recording ${minutes} min from the null sink's monitor: $(field 'first to last block' | sed 's/.*expected: //'), callback $(field callback | sed 's/ inside.*//'), memory $(field 'memory after 2 s' | sed 's/.*bytes: //') | – | – | – | | |"
rm -f "$report"
exit "$status"
