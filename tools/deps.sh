#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# when any of them is missing.
set -euo pipefail
PACKAGES=(
  cmake g++ clang ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpulse-dev libmpg123-dev libsndfile1-dev libopenmpt-dev libmp3lame-dev libsoxr-dev libcurl4-openssl-dev
  libavcodec-dev libavformat-dev libavutil-dev libvorbis-dev libogg-dev libopusenc-dev libopus-dev libtag1-dev
  libgtest-dev libclang-rt-14-dev
  pulseaudio pulseaudio-utils xvfb xauth
  sox libsox-fmt-all ffmpeg mpg123 lame opus-tools python3
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
