#!/usr/bin/env bash
# Installs what is missing, builds, starts a private sound server when none
# answers, runs every test through ctest and each fuzz target for a short
# while. Exits non-zero on any failure.
#   ./test.sh [--sanitize] [--fuzz SECONDS] [ctest arguments...]
#   --sanitize    also builds build-asan/ (AddressSanitizer and
#                 UndefinedBehaviorSanitizer) and runs every test there too;
#                 any report of theirs fails the test
#   --fuzz N      seconds per fuzz target (default 10; 0 runs none)
set -euo pipefail
cd "$(dirname "$0")"
sanitize=0; fuzz_seconds=10
while [ $# -gt 0 ]; do
  case "$1" in
    --sanitize) sanitize=1; shift ;;
    --fuzz) fuzz_seconds=${2:-}; shift 2 || shift
            case "$fuzz_seconds" in ''|*[!0-9]*) echo "--fuzz takes whole seconds" >&2; exit 2 ;; esac ;;
    *) break ;;
  esac
done
tools/deps.sh
tools/check-layers.sh
tools/build.sh build -DBUILD_TESTING=ON
[ "$sanitize" = 1 ] && tools/build.sh build-asan -DBUILD_TESTING=ON -DCLIPFORGE_SANITIZE=ON

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
[ "$sanitize" = 1 ] && ctest --test-dir build-asan --output-on-failure -j 2 --timeout 600 "$@"
[ "$fuzz_seconds" -gt 0 ] && tools/fuzz.sh "$fuzz_seconds"
exit 0
