#!/usr/bin/env bash
# Runs every benchmark beside its reference tool and prints one Markdown
# table: task | ours (median) | reference (median) | ratio | peak memory |
# CPU time.
#   bench/run.sh [BUILD_DIR] [RUNS]    (defaults: build, 5)
# Each script's full output goes to a log whose path is printed at the end.
# Every script adds its line to the table by printing it through table_row
# (bench/lib.sh) or as a line starting with "@row ".
source "$(dirname "$0")/lib.sh"
bench_init "${1:-build}"
runs=${2:-5}
cmake --build "$build" -j2 >/dev/null
log=$(mktemp /tmp/clipforge-bench-log.XXXXXX)
load_at_start=$(cut -d' ' -f1 /proc/loadavg)

pulse_dir=
trap '[ -z "$pulse_dir" ] || tools/pulse-server.sh stop "$pulse_dir"; rm -rf "$tmp"' EXIT
# The recording soak needs a sound server: a private one is started for it
# when none answers, and only then, since its work shows in the others' times.
sound_server() {
  if [ -z "$pulse_dir" ] && ! pactl info >/dev/null 2>&1; then
    pulse_dir=$tmp/pulse
    eval "$(tools/pulse-server.sh start "$pulse_dir")"
  fi
}

rows=()
# bench SCRIPT ARG...: runs one script, keeps its table line, or a line
# saying it failed.
bench() {
  local script=$1 out; shift
  echo "== $script" | tee -a "$log" >&2
  if out=$(bench/"$script" "$@" 2>&1); then :; else out+=$'\n'"@row | $script | failed, see the log | | | | |"; fi
  printf '%s\n' "$out" >>"$log"
  local found
  found=$(printf '%s\n' "$out" | sed -n 's/^@row //p')
  [ -n "$found" ] || found="| $script | no table line, see the log | | | | |"
  mapfile -t -O "${#rows[@]}" rows <<<"$found"
}
bench import_mp3.sh "$build" "$runs"
bench import_formats.sh "$build" "$runs"
bench encode_mp3.sh "$build" "$runs"
bench encode_ringtone.sh "$build" "$runs"
bench join_wav.sh "$build" "$runs"
bench cut_wav.sh "$build" "$runs"
bench export_list.sh "$build" "$runs"
bench startup.sh "$build" "$((runs * 2 - 1))"
bench waveform.sh "$build" "$runs"
bench loudness.sh "$build" "$runs"
bench trim_silence.sh "$build" "$runs"
bench chorus.sh "$build" "$runs"
bench chorus_set.sh "$build"
bench beats.sh "$build" "$runs"
bench cli_batch.sh "$build" "$runs"
sound_server
bench record_soak.sh 1 "$build" # the short form: one minute

echo
echo "Medians of $runs runs (start-up: $((runs * 2 - 1))), $(nproc) cores, load average $load_at_start at the start and $(cut -d' ' -f1 /proc/loadavg) at the end."
echo
table_header
printf '%s\n' "${rows[@]}"
echo
echo "full output: $log"
