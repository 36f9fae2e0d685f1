#!/usr/bin/env bash
# Tries a package as a Debian 12 user meets it, in a copy of a fresh root:
# `apt install` of the .deb, the program started by its menu entry's Exec
# line under Xvfb with a song to open, the clip checked, a ringtone saved as
# M4R through the window (and through the command line where the package
# has one), then `apt remove`, after which nothing of the package may be
# left. As root; needs network access to the Debian archive.
#   tools/try-package.sh BASE_ROOT DEB
# BASE_ROOT is a fresh root made once with
#   debootstrap --variant=minbase bookworm BASE_ROOT http://deb.debian.org/debian
# and is left as it is: the try runs in a copy beside it (BASE_ROOT.try).
set -euo pipefail
base=$(cd "${1:?fresh Debian 12 root}" && pwd)
deb=$(readlink -f "${2:?package}")
[ "$(id -u)" -eq 0 ] || { echo "run as root (chroot, mount)" >&2; exit 1; }
[ -x "$base/usr/bin/apt-get" ] || { echo "$base is no Debian root" >&2; exit 1; }
root=$base.try
step() { echo "== $*"; }
fail() { echo "FAIL: $*" >&2; exit 1; }
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() { in_root /usr/sbin/runuser -u tester -- /usr/bin/env HOME=/home/tester XDG_RUNTIME_DIR=/tmp/run-tester "$@"; }

step "a fresh copy of $base"
rm -rf "$root"
cp -a "$base" "$root"
for fs in proc sys dev; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
cp /etc/resolv.conf "$root/etc/resolv.conf"
in_root useradd -m tester
install -d -o 1000 -g 1000 -m 700 "$root/tmp/run-tester"
# A song of the user's, made here by tools nobody here wrote.
sox -n -r 44100 -c 2 -b 16 "$root/tmp/src.wav" synth 6 sine 440 sine 660 vol 0.5
lame --quiet -b 160 "$root/tmp/src.wav" "$root/home/tester/My Song.mp3"
chown 1000:1000 "$root/home/tester/My Song.mp3"
in_root apt-get update -qq
# What the check itself uses, installed before the package so that they are
# not taken for what the package left behind.
in_root apt-get install -y -qq --no-install-recommends xvfb xauth xdotool >/dev/null
find "$root" -xdev \( -path "$root/proc" -o -path "$root/sys" -o -path "$root/dev" \) -prune -o -print \
  | sed "s|^$root||" | sort >"$root.before"

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get install -y "/tmp/$(basename "$deb")" | tee "$root.install.log" | tail -n 3
in_root dpkg -s orvane-clipforge | grep -q '^Status: install ok installed' || fail "not installed"
# Every library the program, libbass.so and the modules link is there.
for binary in $(in_root dpkg -L orvane-clipforge | grep '^/usr/lib/orvane-clipforge/'); do
  [ -f "$root$binary" ] || continue
  missing=$(in_root ldd "$binary" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$binary: $missing"
done
# And every library the package names for run-time loading.
for library in $(in_root dpkg -s orvane-clipforge | sed -n 's/^\(Depends\|Recommends\): //p' | tr ',|' '\n\n' \
                   | sed 's/([^)]*)//; s/ //g' | grep -E '^lib(av|swresample|aubio|curl)' | sort -u); do
  in_root dpkg -s "$library" >/dev/null 2>&1 || fail "$library is named but not installed"
done
in_root orvane-clipforge --version

step "started from the menu entry, under Xvfb, with the song"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/orvane-clipforge.desktop")
program=${exec_line% %F}
as_user /bin/sh -c "Xvfb :7 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 & echo \$! >/tmp/run-tester/xvfb.pid"
sleep 2
as_user DISPLAY=:7 /bin/sh -c "cd /home/tester && exec '$program' '/home/tester/My Song.mp3' >/tmp/run-tester/program.log 2>&1 & echo \$! >/tmp/run-tester/program.pid"
clip=$root/home/tester/.cache/orvane/My Song.wav
for _ in $(seq 1 300); do [ -s "$clip" ] && break; sleep 0.1; done
[ -s "$clip" ] || { cat "$root/tmp/run-tester/program.log" >&2; fail "the song was not imported"; }
sleep 1
frames=$(soxi -s "$clip")
[ "$frames" -ge $((44100 * 5)) ] || fail "the clip holds $frames frames"
echo "the clip of My Song.mp3 holds $frames frames"

step "Save As Ringtone... as M4R, through the window"
ringtone=$root/home/tester/ring.m4r
xdo() { as_user DISPLAY=:7 xdotool "$@"; }
window=$(xdo search --sync --name '^Orvane Clipforge$' | head -n 1)
xdo windowmove --sync "$window" 0 0
sleep 0.5
# The button's middle, from its place in twips on the panel (15 twips a pixel).
xdo mousemove --window "$window" "${CLICK_X:-420}" "${CLICK_Y:-150}" click 1
sleep 2
xdo type --delay 20 /home/tester/ring.m4r
xdo key Return
for _ in $(seq 1 300); do [ -s "$ringtone" ] && break; sleep 0.1; done
sleep 2
xdo key Return   # "Finish Save"
[ -s "$ringtone" ] || { as_user DISPLAY=:7 xwd -root -silent >"$root.xwd" || true; fail "no ringtone saved"; }
ffprobe -v error -show_entries stream=codec_name:format=format_name -of compact "$ringtone" | tee "$root.probe"
grep -q 'codec_name=aac' "$root.probe" || fail "the ringtone is not AAC"
grep -q 'format_name=mov,mp4' "$root.probe" || fail "the ringtone is not MP4"
kill "$(cat "$root/tmp/run-tester/program.pid")" "$(cat "$root/tmp/run-tester/xvfb.pid")" 2>/dev/null || true
sleep 1

if [ -x "$root/usr/bin/orvane-clipforge-cli" ]; then
  step "the command line: a ringtone as M4R"
  as_user /usr/bin/orvane-clipforge-cli make "/home/tester/My Song.mp3" -o /home/tester/cli.m4r
  ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$root/home/tester/cli.m4r" | grep -qx aac \
    || fail "the command line saved no AAC"
fi

step "apt remove orvane-clipforge"
in_root apt-get remove -y orvane-clipforge | tail -n 2
state=$(in_root dpkg-query -W -f='${db:Status-Abbrev}' orvane-clipforge 2>/dev/null || true)
case "$state" in ""|"un "*|"pn "*) ;; *) fail "dpkg still holds the package: '$state'" ;; esac
find "$root" -xdev \( -path "$root/proc" -o -path "$root/sys" -o -path "$root/dev" \) -prune -o -print \
  | sed "s|^$root||" | sort >"$root.after"
left=$(comm -13 "$root.before" "$root.after" | grep -iE 'orvane|clipforge' | grep -vE '^/(home/tester|tmp)(/|$)' || true)
[ -z "$left" ] || fail "left behind: $left"
echo "OK: installed with every library, started from the menu entry, imported a song, saved an M4R, removed without a trace"
