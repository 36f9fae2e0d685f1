#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each of them for
# a bounded time:  tools/fuzz.sh [seconds per target, default 10]
# Seeds (short WAV, AIFF, FLAC, Ogg and MP3 files made with sox and lame,
# M4A, AAC, WMA, Matroska, WebM and MP4 made with ffmpeg)
# are made once per build folder. The corpus grows in build-fuzz/corpus/
# from run to run. Exits non-zero when a target finds a crash, a leak or
# undefined behaviour; the input is left in build-fuzz/findings/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
case "$seconds" in ''|*[!0-9]*) echo "usage: $0 [seconds per target]" >&2; exit 2 ;; esac
build=${FUZZ_BUILD_DIR:-build-fuzz}

generator=()
command -v ninja >/dev/null 2>&1 && [ ! -f "$build/Makefile" ] && generator=(-G Ninja)
cmake -S fuzz -B "$build" "${generator[@]}" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null

seeds="$build/seeds"
if [ ! -d "$seeds" ]; then
  sounds="$build/sounds"
  rm -rf "$sounds" "$seeds.tmp"
  mkdir -p "$sounds"
  tone=(synth 0.05 sine 440)
  sox -n -r 8000 -c 1 -b 16 "$sounds/s16.wav" "${tone[@]}"
  sox -n -r 8000 -c 2 -b 8 -e unsigned-integer "$sounds/u8.wav" "${tone[@]}"
  sox -n -r 11025 -c 1 -b 32 -e floating-point "$sounds/f32.wav" "${tone[@]}"
  sox -n -r 22050 -c 3 -b 24 "$sounds/s24_extensible.wav" "${tone[@]}"
  sox -n -r 8000 -c 1 -b 16 --comment "a LIST chunk" "$sounds/list_chunk.wav" "${tone[@]}"
  sox -n -r 8000 -c 1 -b 16 "$sounds/a.aiff" "${tone[@]}"
  sox -n -r 8000 -c 1 -b 16 "$sounds/a.flac" "${tone[@]}"
  sox -n -r 8000 -c 1 "$sounds/a.ogg" synth 0.2 sine 440
  lame --quiet -b 32 "$sounds/s16.wav" "$sounds/a.mp3"
  lame --quiet -V 5 "$sounds/s16.wav" "$sounds/vbr.mp3"
  for made in "aac a.m4a" "alac alac.m4a" "aac adts.aac" "wmav2 a.wma" "flac a.mka" "libopus a.webm"; do
    set -- $made
    ffmpeg -v error -i "$sounds/s16.wav" -c:a "$1" "$sounds/$2"
  done
  ffmpeg -v error -f lavfi -i color=s=16x16:r=5:d=0.2 -i "$sounds/s16.wav" -c:v mpeg4 -c:a aac \
    -movflags +faststart "$sounds/video.mp4"
  python3 fuzz/make_seeds.py "$sounds" "$seeds.tmp"
  mv "$seeds.tmp" "$seeds"
fi

export QT_QPA_PLATFORM=offscreen

status=0
for target in "$build"/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/corpus/$name"; findings="$build/findings/$name"
  mkdir -p "$corpus" "$findings" "$seeds/$name"
  echo "== $name: ${seconds}s"
  if ! "$target" "$corpus" "$seeds/$name" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -malloc_limit_mb=512 -max_len=262144 -artifact_prefix="$findings/" -print_final_stats=1 \
       >"$build/$name.log" 2>&1; then
    echo "$name FAILED; see $build/$name.log and $findings/" >&2
    tail -40 "$build/$name.log" >&2
    status=1
  else
    grep -E "^stat::(number_of_executed_units|peak_rss_mb)" "$build/$name.log" | tr '\n' ' ' || true
    echo
  fi
done
exit $status
