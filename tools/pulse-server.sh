#!/usr/bin/env bash
# A private PulseAudio server with one null sink, for the tests and for
# machines without a desktop sound server.
#   tools/pulse-server.sh start DIR   -> prints "export PULSE_SERVER=..." lines
#   tools/pulse-server.sh stop DIR
set -euo pipefail
cmd=${1:?start|stop}; dir=${2:?folder}
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
case "$cmd" in
start)
  export PULSE_RUNTIME_PATH="$dir/runtime" PULSE_STATE_PATH="$dir/state" HOME="$dir"
  mkdir -p "$PULSE_RUNTIME_PATH" "$PULSE_STATE_PATH"
  pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n \
    --use-pid-file=yes --log-target=file:"$dir/pulse.log" \
    --load="module-null-sink sink_name=clipforge_sink sink_properties=device.description=ClipforgeSink" \
    --load="module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
    --load="module-always-sink" >/dev/null 2>&1 || true
  for _ in $(seq 1 50); do
    PULSE_SERVER="unix:$dir/native" pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  PULSE_SERVER="unix:$dir/native" pactl set-default-sink clipforge_sink >/dev/null 2>&1 || true
  PULSE_SERVER="unix:$dir/native" pactl set-default-source clipforge_sink.monitor >/dev/null 2>&1 || true
  PULSE_SERVER="unix:$dir/native" pactl info >/dev/null 2>&1 || { echo "pulseaudio did not start" >&2; cat "$dir/pulse.log" >&2 || true; exit 1; }
  # A null sink with no stream renders two seconds ahead, so the first
  # stream after a quiet spell is heard two seconds late. A hardware sink
  # keeps its latency as low as its streams ask; one silent low-latency
  # stream held open for the server's life makes the null sink do the same.
  PULSE_SERVER="unix:$dir/native" nohup pacat --playback --latency-msec=20 \
    --device=clipforge_sink --client-name="clipforge latency keeper" \
    </dev/zero >/dev/null 2>&1 &
  echo $! >"$dir/keeper.pid"
  sleep 2.5 # the block rendered before the keeper came is used up
  echo "export PULSE_SERVER=unix:$dir/native"
  ;;
stop)
  [ -f "$dir/keeper.pid" ] && kill "$(cat "$dir/keeper.pid" 2>/dev/null)" 2>/dev/null || true
  PULSE_RUNTIME_PATH="$dir/runtime" HOME="$dir" pulseaudio --kill >/dev/null 2>&1 || true
  pid=$(cat "$dir/runtime/pid" 2>/dev/null || true)
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  ;;
esac
