#!/usr/bin/env bash
# Configures and builds into the given folder (default build/).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}; shift || true
gen=()
command -v ninja >/dev/null && [ ! -f "$dir/Makefile" ] && gen=(-G Ninja)
# ccache, where installed, keeps rebuilds of other checkouts and build folders short.
command -v ccache >/dev/null && gen+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$dir" "${gen[@]}" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
