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
# grep -q ends before its input does, which fails a pipe under pipefail.
has() { grep "$@" >/dev/null; }
mounted=()
cleanup() {
  # What still runs in the root (the check's own processes) ends first.
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/root" 2>/dev/null)" = "$root" ] && kill "${proc#/proc/}" 2>/dev/null
  done
  sleep 1
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[i]}" 2>/dev/null || true; done
}
trap cleanup EXIT
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive "$@"; }
as_user() { in_root /usr/sbin/runuser -u tester -- /usr/bin/env HOME=/home/tester XDG_RUNTIME_DIR=/tmp/run-tester "$@"; }

# Mounts under the root, deepest first.
mounts_under() { awk -v r="$1" '$2 == r || index($2, r "/") == 1 {print $2}' /proc/mounts | sort -r; }
# A root left by an earlier try goes, but never through a mount into the
# machine's own /dev, /proc or /sys: what is mounted there is let go first,
# and the removal stays on the root's own file system.
drop_root() {
  for point in $(mounts_under "$root"); do umount -l "$point"; done
  [ -z "$(mounts_under "$root")" ] || fail "still mounted under $root: $(mounts_under "$root")"
  rm -rf --one-file-system "$root"
}

step "a fresh copy of $base"
drop_root
cp -a "$base" "$root"
for fs in proc sys dev; do
  mount --bind "/$fs" "$root/$fs"
  mounted+=("$root/$fs")
done
# The downloaded archives are kept beside the root for the next try.
mkdir -p "$base.archives"
mount --bind "$base.archives" "$root/var/cache/apt/archives"
mounted+=("$root/var/cache/apt/archives")
cp /etc/resolv.conf "$root/etc/resolv.conf"
# No services start in a chroot.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"
in_root useradd -m tester
install -d -o 1000 -g 1000 -m 700 "$root/tmp/run-tester"
# A song of the user's, made here by tools nobody here wrote.
sox -n -r 44100 -c 2 -b 16 "$root/tmp/src.wav" synth 6 sine 440 sine 660 vol 0.5
lame --quiet -b 160 "$root/tmp/src.wav" "$root/home/tester/My Song.mp3"
chown 1000:1000 "$root/home/tester/My Song.mp3"
in_root apt-get update -qq
# What the check itself uses, installed before the package so that they are
# not taken for what the package left behind.
in_root apt-get install -y -qq --no-install-recommends xvfb xauth xdotool >/dev/null 2>&1
files() {
  find "$root" -xdev \( -path "$root/proc" -o -path "$root/sys" -o -path "$root/dev" \
    -o -path "$root/var/cache/apt/archives" \) -prune -o -print | sed "s|^$root||" | sort
}
files >"$root.before"

step "apt install ./$(basename "$deb")"
cp "$deb" "$root/tmp/"
in_root apt-get install -y "/tmp/$(basename "$deb")" 2>&1 | tee "$root.install.log" | tail -n 3
in_root dpkg -s orvane-clipforge | has '^Status: install ok installed' || fail "not installed"
# Every library the program, libbass.so and the modules link is there.
for binary in $(in_root dpkg -L orvane-clipforge | grep '^/usr/lib/orvane-clipforge/'); do
  [ -f "$root$binary" ] || continue
  missing=$(in_root ldd "$binary" | grep 'not found' || true)
  [ -z "$missing" ] || fail "$binary: $missing"
done
# And every library the program loads by name at run time.
table=$(dirname "$(readlink -f "$0")")/../cmake/runtime-libraries.txt
ldcache=$(in_root ldconfig -p)
for library in $(awk '/^lib/ && $1 ~ /\.so\./ {print $1}' "$table"); do
  grep -qE "^\s+$library " <<<"$ldcache" || fail "$library, loaded at run time, is not installed"
done
in_root orvane-clipforge --version

step "started from the menu entry, under Xvfb: a song opened, a ringtone saved as M4R"
exec_line=$(sed -n 's/^Exec=//p' "$root/usr/share/applications/orvane-clipforge.desktop")
# The user's session: the program started as the menu starts it, the clip
# waited for, then "Save As Ringtone..." clicked (its middle, 596,127 from
# the corner of the window, which no window manager moves), the file name
# typed into the dialog, and "Finish Save" answered.
cat >"$root/tmp/run-tester/session.sh" <<SESSION
set -u
cd /home/tester
${exec_line% %F} "/home/tester/My Song.mp3" >/tmp/run-tester/program.log 2>&1 &
program=\$!
for _ in \$(seq 1 300); do [ -s "/home/tester/.cache/orvane/My Song.wav" ] && break; sleep 0.1; done
sleep 1
window=\$(xdotool search --sync --name '^Orvane Clipforge\$' | head -n 1)
xdotool mousemove --window "\$window" 596 127 click 1
dialog=\$(xdotool search --sync --name '^Save As\$' | head -n 1)
sleep 1
xdotool type --window "\$dialog" --delay 20 /home/tester/ring.m4r
xdotool key --window "\$dialog" Return
for _ in \$(seq 1 300); do [ -s /home/tester/ring.m4r ] && break; sleep 0.1; done
sleep 2
xdotool key Return
kill \$program
wait
SESSION
as_user timeout 300 xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" sh /tmp/run-tester/session.sh || true
clip="$root/home/tester/.cache/orvane/My Song.wav"
[ -s "$clip" ] || { cat "$root/tmp/run-tester/program.log" >&2; fail "the song was not imported"; }
frames=$(soxi -s "$clip")
[ "$frames" -ge $((44100 * 5)) ] || fail "the clip holds $frames frames"
echo "the clip of My Song.mp3 holds $frames frames"
ringtone=$root/home/tester/ring.m4r
[ -s "$ringtone" ] || { cat "$root/tmp/run-tester/program.log" >&2; fail "no ringtone saved"; }
ffprobe -v error -show_entries stream=codec_name:format=format_name -of compact "$ringtone" | tee "$root.probe"
grep -q 'codec_name=aac' "$root.probe" || fail "the ringtone is not AAC"
grep -q 'format_name=mov,mp4' "$root.probe" || fail "the ringtone is not MP4"

if [ -x "$root/usr/bin/orvane-clipforge-cli" ]; then
  step "the command line: a ringtone as M4R"
  as_user /usr/bin/orvane-clipforge-cli make "/home/tester/My Song.mp3" -o /home/tester/cli.m4r
  ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$root/home/tester/cli.m4r" | has -x aac \
    || fail "the command line saved no AAC"
fi

step "apt remove orvane-clipforge"
in_root apt-get remove -y orvane-clipforge | tail -n 2
state=$(in_root dpkg-query -W -f='${db:Status-Abbrev}' orvane-clipforge 2>/dev/null || true)
case "$state" in ""|"un "*|"pn "*) ;; *) fail "dpkg still holds the package: '$state'" ;; esac
files >"$root.after"
left=$(comm -13 "$root.before" "$root.after" | grep -iE 'orvane|clipforge' | grep -vE '^/(home/tester|tmp)(/|$)' || true)
[ -z "$left" ] || fail "left behind: $left"
echo "OK: installed with every library, started from the menu entry, imported a song, saved an M4R, removed without a trace"
