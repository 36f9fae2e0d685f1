#!/usr/bin/env bash
# Packs the build as tools/package.sh does and checks the .deb: its name and
# fields, that it holds everything `cmake --install` installs (man pages
# compressed) and the Debian files, that the libraries loaded at run time
# are named in its fields, that the packed program tells its version, and
# what the validators say of the menu entry, the metainfo and the package.
#   package_test.sh BUILD_DIR VERSION
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
build=$(cd "${1:?build folder}" && pwd)
version=${2:?project version}
tmp=$(mktemp -d /tmp/clipforge-deb.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
# grep -q ends before its input does, which fails a pipe under pipefail.
has() { grep "$@" >/dev/null; }

deb=$("$src/tools/package.sh" --from "$build" --out "$tmp/dist" | tail -n 1)
[ "$(basename "$deb")" = "orvane-clipforge_${version}_amd64.deb" ] || fail "package file named $(basename "$deb")"

field() { dpkg-deb -f "$deb" "$1"; }
while read -r name want; do
  [ "$(field "$name")" = "$want" ] || fail "$name is '$(field "$name")', not '$want'"
done <<FIELDS
Package orvane-clipforge
Version $version
Architecture amd64
Section sound
FIELDS
field Maintainer | grep -Eq '^[^<]+ <[^@ ]+@[^> ]+>$' || fail "Maintainer is no name and address: $(field Maintainer)"
[ "$(field Description | wc -l)" -gt 2 ] || fail "no long description"
# A field as one package name a line, alternatives split.
names() { field "$1" | tr ',|' '\n\n' | sed 's/([^)]*)//; s/^ *//; s/ *$//' | grep -v '^$' || true; }
# dpkg-shlibdeps ran over the program and the modules beside it.
for package in libqt6widgets6 libpulse0 libsndfile1; do
  names Depends | has -x "$package" || fail "Depends lacks $package, which shlibdeps would name"
done

# Each library of the run-time table is in the field the table gives, under
# the package that holds it here.
libdir=/usr/lib/$(gcc -print-multiarch)
table=$(grep '^lib' "$src/cmake/runtime-libraries.txt" | awk '{print $1, $2}')
[ -n "$table" ] || fail "the run-time library table is empty"
while read -r library want; do
  owner=$(dpkg-query -S "$(readlink -f "$libdir/$library")" | cut -d: -f1)
  names "$want" | has -x "$owner" || fail "$want lacks $owner, which holds $library"
done <<<"$table"

dpkg-deb -x "$deb" "$tmp/root"
dpkg-deb -c "$deb" | awk '$2 != "root/root" {bad=1; print} END {exit bad}' || fail "files not owned by root"
app=$tmp/root/usr/lib/orvane-clipforge
# Every library name the sources hand to the loader is ours, packed beside
# the program, or one of the table's.
loaded=$(grep -rhoE '"/?lib[A-Za-z0-9_+-]+\.so(\.[0-9]+)*"' "$src/src" | tr -d '"/' | sort -u)
for known in libbass.so libclipforge_aac.so libcurl.so.4 libaubio.so.5; do
  grep -qx "$known" <<<"$loaded" || fail "the scan of the sources misses $known"
done
for library in $loaded; do
  [ -f "$app/$library" ] || awk '{print $1}' <<<"$table" | has -x "$library" \
    || fail "$library is loaded at run time but neither packed nor in cmake/runtime-libraries.txt"
done

# What cmake --install puts under /usr is all in the package.
DESTDIR=$tmp/installed cmake --install "$build" --prefix /usr >/dev/null
(cd "$tmp/installed" && find . ! -type d | sed -E 's|^\./||; s|^(usr/share/man/.*\.[0-9])$|\1.gz|' | sort) >"$tmp/installed.list"
(cd "$tmp/root" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/packed.list"
missing=$(comm -23 "$tmp/installed.list" "$tmp/packed.list")
[ -z "$missing" ] || fail "installed but not packed: $missing"
for file in usr/lib/orvane-clipforge/orvane-clipforge usr/lib/orvane-clipforge/libbass.so \
            usr/lib/orvane-clipforge/libclipforge_aac.so usr/share/applications/orvane-clipforge.desktop \
            usr/share/icons/hicolor/scalable/apps/orvane-clipforge.svg \
            usr/share/metainfo/io.github.orvane.Clipforge.metainfo.xml usr/share/man/man1/orvane-clipforge.1.gz \
            usr/share/doc/orvane-clipforge/copyright usr/share/doc/orvane-clipforge/changelog.gz; do
  grep -qx "$file" "$tmp/packed.list" || fail "the package lacks /$file"
done
[ "$(readlink "$tmp/root/usr/bin/orvane-clipforge")" = ../lib/orvane-clipforge/orvane-clipforge ] \
  || fail "/usr/bin/orvane-clipforge is no link to the program"
grep -vq '^usr/' "$tmp/packed.list" && fail "files outside /usr: $(grep -v '^usr/' "$tmp/packed.list")"
gzip -dc "$tmp/root/usr/share/doc/orvane-clipforge/changelog.gz" | sed -n 1p | has "^orvane-clipforge ($version) " \
  || fail "the change log does not begin with $version"
for script in preinst postinst prerm postrm; do
  ! dpkg-deb -I "$deb" "$script" >/dev/null 2>&1 || fail "a $script, which nothing needs"
done
! readelf -S "$app/orvane-clipforge" | has '\.symtab' || fail "the program is not stripped"
[ "$("$app/orvane-clipforge" --version)" = "Orvane Clipforge $version" ] || fail "--version of the packed program"

entry=$tmp/root/usr/share/applications/orvane-clipforge.desktop
grep -qx 'Exec=/usr/bin/orvane-clipforge %F' "$entry" || fail "Exec: $(grep ^Exec= "$entry")"
desktop-file-validate "$entry" || fail "desktop-file-validate"
metainfo=$tmp/root/usr/share/metainfo/io.github.orvane.Clipforge.metainfo.xml
python3 - "$metainfo" "$version" "$src/desktop/screenshots" <<'PY' || fail "metainfo"
import os, struct, sys, xml.etree.ElementTree as E
root = E.parse(sys.argv[1]).getroot()
problems = []
release = root.find('releases/release')
if release is None or release.get('version') != sys.argv[2]:
    problems.append('the newest release is not ' + sys.argv[2])
if root.findtext('launchable') != 'orvane-clipforge.desktop':
    problems.append('the launchable is not the menu entry')
keywords = {k.text for k in root.iter('keyword')}
problems += ['no keyword ' + k for k in ('ringtone', 'm4r', 'trim', 'cut') if k not in keywords]
problems += ['a screenshot without caption' for s in root.iter('screenshot') if not s.findtext('caption')]
# Each screenshot is one of ours, of the size the entry gives.
for image in root.iter('image'):
    shot = os.path.join(sys.argv[3], os.path.basename(image.text))
    try:
        with open(shot, 'rb') as f:
            size = struct.unpack('>II', f.read(24)[16:24])
    except OSError:
        problems.append('no screenshot ' + shot)
        continue
    if size != (int(image.get('width')), int(image.get('height'))):
        problems.append('%s is %dx%d' % ((shot,) + size))
if root.find('content_rating') is None:
    problems.append('no content rating')
print('\n'.join(problems), file=sys.stderr)
sys.exit(1 if problems else 0)
PY
# The address checks need a network this test does not assume.
appstreamcli validate --no-net "$metainfo" >"$tmp/appstream.log" 2>&1 || { cat "$tmp/appstream.log" >&2; fail "appstreamcli validate"; }
grep -E '^[EW]:' "$tmp/appstream.log" && fail "appstreamcli warns"
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$tmp/lintian.log" 2>&1 \
    || { cat "$tmp/lintian.log" >&2; fail "lintian"; }
  cat "$tmp/lintian.log"
fi
echo "packed $(basename "$deb"): $(wc -l <"$tmp/packed.list") files"
