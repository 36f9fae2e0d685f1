#!/usr/bin/env bash
# Installs the build into a temporary prefix, checks the files a desktop
# needs, then starts the installed program the way the menu entry does,
# offscreen, with an MP3, a WAV and an M4A song to open: all must become
# clips (the MP3 only decodes when the program has found libbass.so beside
# it, the M4A when libbass.so has found its FFmpeg module).
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "${1:?build folder}" && pwd)
tmp=$(mktemp -d /tmp/clipforge-install.XXXXXX)
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; wait 2>/dev/null; rm -rf "$tmp"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
app=$prefix/lib/orvane-clipforge
entry=$prefix/share/applications/orvane-clipforge.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/orvane-clipforge.svg
[ -x "$app/orvane-clipforge" ] || fail "no program in $app"
[ -f "$app/libbass.so" ] || fail "no libbass.so beside the program"
# FFmpeg comes in with the M4R writer only when one is saved, not at start.
[ -f "$app/libclipforge_aac.so" ] || fail "no libclipforge_aac.so beside the program"
! ldd "$app/orvane-clipforge" | grep -q libavcodec || fail "the program loads FFmpeg at start"
# Nor does the audio library: its FFmpeg reader is a module loaded at the first song that needs it.
[ -f "$app/libbass_media.so" ] || fail "no libbass_media.so beside libbass.so"
! ldd "$app/libbass.so" | grep -q libavcodec || fail "libbass.so loads FFmpeg when it is loaded"
[ -x "$prefix/bin/orvane-clipforge" ] || fail "no launcher in bin"
[ -f "$entry" ] || fail "no menu entry"
[ -f "$icon" ] || fail "no scalable icon"
python3 -c 'import sys, xml.etree.ElementTree as E
root = E.parse(sys.argv[1]).getroot()
sys.exit(0 if root.tag == "{http://www.w3.org/2000/svg}svg" else 1)' "$icon" || fail "the icon is not an SVG document"

field() { sed -n "s/^$1=//p" "$entry"; }
[ "$(field Type)" = Application ] || fail "Type"
[ "$(field Name)" = "Orvane Clipforge" ] || fail "Name"
[ "$(field Icon)" = orvane-clipforge ] || fail "Icon names the installed icon"
for mime in audio/mpeg audio/x-wav audio/flac audio/mp4 video/mp4; do
  field MimeType | tr ';' '\n' | grep -qx "$mime" || fail "MimeType lacks $mime"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$entry" || fail "desktop-file-validate"
fi
exec_line=$(field Exec)
case "$exec_line" in *" %F") ;; *) fail "Exec does not take files: $exec_line" ;; esac
program=${exec_line% %F}
[ -x "$program" ] || fail "Exec names no program: $program"

# Songs to open, in a folder of the user's.
home=$tmp/home; mkdir -p "$home/Music"
sox -n -r 44100 -c 2 -b 16 "$home/Music/tone.wav" synth 1 sine 440 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$tmp/src.wav" synth 2 sine 660 vol 0.5
lame --quiet -b 128 "$tmp/src.wav" "$home/Music/My Song.mp3"
ffmpeg -v error -i "$tmp/src.wav" -c:a aac "$home/Music/Voice Note.m4a"

# The menu entry's command, from another folder, with the user's folders private.
work=$tmp/cache/orvane
(cd "$tmp" && HOME=$home XDG_CACHE_HOME=$tmp/cache XDG_CONFIG_HOME=$tmp/config QT_QPA_PLATFORM=offscreen \
  exec "$program" "$home/Music/My Song.mp3" "$home/Music/tone.wav" "$home/Music/Voice Note.m4a" >"$tmp/out.log" 2>&1) &
pid=$!
for _ in $(seq 1 300); do
  [ -f "$work/My Song.wav" ] && [ -f "$work/tone.wav" ] && [ -f "$work/Voice Note.wav" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$tmp/out.log" >&2; fail "the program ended"; }
  sleep 0.1
done
[ -f "$work/My Song.wav" ] || { cat "$tmp/out.log" >&2; fail "the MP3 was not imported"; }
[ -f "$work/tone.wav" ] || fail "the WAV was not imported"
cmp -s "$work/tone.wav" "$home/Music/tone.wav" || fail "the WAV clip is no copy of the song"
frames=$(soxi -s "$work/My Song.wav")
[ "$frames" -ge 88200 ] || fail "the MP3 clip holds $frames frames, not 2 s"
[ -f "$work/Voice Note.wav" ] || fail "the M4A was not imported (libbass_media.so not found beside libbass.so?)"
frames=$(soxi -s "$work/Voice Note.wav")
[ "$frames" -ge 88200 ] || fail "the M4A clip holds $frames frames, not 2 s"
grep -q "$app/libbass.so" "/proc/$pid/maps" || fail "the installed program did not load the libbass.so beside it"

# The command line beside the program: its link, its manual page, no Qt GUI
# or Widgets, and an MP3 decoded through the libbass.so beside it.
cli=$prefix/bin/orvane-clipforge-cli
[ -x "$app/orvane-clipforge-cli" ] || fail "no command line in $app"
[ -x "$cli" ] || fail "no link to the command line in bin"
[ -f "$prefix/share/man/man1/orvane-clipforge-cli.1" ] || fail "no manual page of the command line"
! ldd "$app/orvane-clipforge-cli" | grep -Eq 'libQt6(Gui|Widgets)' || fail "the command line links Qt GUI or Widgets"
(cd "$tmp" && TMPDIR=$tmp HOME=$home "$cli" make "$home/Music/My Song.mp3" -o "$tmp/ring.wav" --length 1) \
  || fail "the installed command line made no ringtone"
frames=$(soxi -s "$tmp/ring.wav")
[ "$frames" -eq 44100 ] || fail "the ringtone holds $frames frames, not 1 s"
echo "installed into $prefix; the program started from its menu entry and imported the three songs; the command line made a ringtone"
