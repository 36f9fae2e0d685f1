#!/usr/bin/env bash
# Builds the Debian package dist/orvane-clipforge_<version>_amd64.deb with
# CPack from a clean Release build of its own (build-package/), compiled with
# Debian's hardening flags.
#   tools/package.sh [--from BUILD_DIR] [--out DIR]
#   --from BUILD_DIR  package that configured and built folder instead (the
#                     tests use theirs, to spare a second build)
#   --out DIR         where the .deb goes (default dist/)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
from=""; out=$root/dist
while [ $# -gt 0 ]; do
  case "$1" in
    --from) from=${2:?--from takes a build folder}; shift 2 ;;
    --out) out=${2:?--out takes a folder}; shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done
for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run tools/deps.sh" >&2; exit 1; }
done

if [ -z "$from" ]; then
  from=$root/build-package
  rm -rf "$from"
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  tools/build.sh "$from" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    "-DCMAKE_C_FLAGS=$(dpkg-buildflags --get CFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
    "-DCMAKE_SHARED_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" \
    "-DCMAKE_MODULE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
fi
from=$(cd "$from" && pwd)
[ -f "$from/CPackConfig.cmake" ] || { echo "$from is no configured build folder" >&2; exit 1; }

# Staged and packed in a folder of its own, so that runs on two build
# folders never meet; the files are owned by root in the package.
stage=$(mktemp -d "${TMPDIR:-/tmp}/clipforge-package.XXXXXX")
trap 'rm -rf "$stage"' EXIT
(cd "$stage" && fakeroot cpack --config "$from/CPackConfig.cmake" -B "$stage" >"$stage/cpack.log" 2>&1) \
  || { cat "$stage/cpack.log" >&2; echo "cpack failed" >&2; exit 1; }
deb=$(find "$stage" -maxdepth 1 -name 'orvane-clipforge_*.deb')
[ -n "$deb" ] || { cat "$stage/cpack.log" >&2; echo "cpack made no package" >&2; exit 1; }
mkdir -p "$out"
mv -f "$deb" "$out/"
echo "$out/$(basename "$deb")"
