#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs a built tree into a scratch prefix and checks what a desktop and
# a package manager look for: the programs, their data, a valid desktop
# entry and AppStream file, icons, manual pages and the licence.
#   install-check.sh BUILD_DIR
set -e
build=$1
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
share=$prefix/share
fail() { echo "install-check: $*" >&2; exit 1; }
for f in bin/tremolix bin/tremolix-cli; do
  [ -x "$prefix/$f" ] || fail "$f is not installed"
done
for f in tremolix/EncodeDLL.dll tremolix/help.html tremolix/Preset doc/tremolix/LICENSE \
         man/man1/tremolix.1 man/man1/tremolix-cli.1 icons/hicolor/scalable/apps/tremolix.svg; do
  [ -e "$share/$f" ] || fail "share/$f is not installed"
done
for size in 16 32 48 64 128 256; do
  png=$share/icons/hicolor/${size}x${size}/apps/tremolix.png
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  # The PNG header holds the width at bytes 16..19.
  width=$(od -An -tu1 -j16 -N4 "$png" | awk '{print $1*16777216 + $2*65536 + $3*256 + $4}')
  [ "$width" = "$size" ] || fail "the ${size}x${size} icon is $width wide"
done
desktop=$share/applications/example.tremolix.Tremolix.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refused the entry"
grep -q '^Exec=tremolix %F$' "$desktop" || fail "the entry does not pass files"
grep -q '^MimeType=.*audio/flac;' "$desktop" || fail "the entry names no audio types"
appstreamcli validate --no-net "$share/metainfo/example.tremolix.Tremolix.metainfo.xml" >/dev/null ||
  fail "appstreamcli refused the metainfo"
for page in tremolix tremolix-cli; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$share/man/man1/$page.1" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
# The installed programs find their data beside them, whatever prefix the
# build was configured for: a fresh user converts with the installed encoders.
user=$prefix/user
mkdir -p "$user/music"
ffmpeg -nostdin -loglevel error -f lavfi -i sine=frequency=440:duration=0.5 "$user/music/tone.wav"
env -u TREMOLIX_HOME HOME="$user" XDG_DATA_HOME= XDG_CACHE_HOME= "$prefix/bin/tremolix-cli" convert \
  --format "FLAC (Free Lossless Audio Codec)" --preset "$(env -u TREMOLIX_HOME HOME="$user" \
  "$prefix/bin/tremolix-cli" presets "FLAC (Free Lossless Audio Codec)" | head -1)" \
  --target "$user/out" "$user/music/tone.wav" >/dev/null || fail "the installed program did not convert"
[ -s "$user/out/tone.flac" ] || fail "no output from the installed program"
echo "install-check: all present and valid"
