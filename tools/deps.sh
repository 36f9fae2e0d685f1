#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# when any of them is missing: as root directly, else through sudo. Without
# either it names the missing packages and the command that installs them,
# and fails.
set -euo pipefail
PACKAGES=(
  cmake g++ clang ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libpulse-dev libmpg123-dev libsndfile1-dev libopenmpt-dev libmp3lame-dev libsoxr-dev libebur128-dev libcurl4-openssl-dev
  libfftw3-dev libaubio-dev
  libavcodec-dev libavformat-dev libavutil-dev libswresample-dev libvorbis-dev libogg-dev libopusenc-dev libopus-dev libtag1-dev
  libgtest-dev libclang-rt-14-dev
  # llvm-symbolizer for clang's sanitizer runtime: the leak suppressions
  # match function names, which only a symbolized stack has.
  llvm-14
  pulseaudio pulseaudio-utils xvfb xauth
  sox libsox-fmt-all ffmpeg mpg123 lame aubio-tools opus-tools python3
  # Screenshots of the window under Xvfb, to look at its layout.
  x11-apps xdotool
  # The Debian package (tools/package.sh) and the checks of it and its entries.
  dpkg-dev fakeroot appstream desktop-file-utils lintian
)
missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

install="apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -eq 0 ]; then
  as_root=(bash -c)
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo bash -c)
else
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them as root (this user has no sudo), then run this again:" >&2
  echo "  su -c '$install'" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
if ! "${as_root[@]}" "$install"; then
  echo "Could not install: ${missing[*]}. As root:" >&2
  echo "  $install" >&2
  exit 1
fi
