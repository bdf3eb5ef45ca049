#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times whole batch runs of 20 tracks of real music (Debian's wesnoth-1.16-music,
# installed here) made into FLAC, to MP3 CBR 128 and to Ogg, in one run and
# alternating: tremolix-cli with one job and with one job per core, a
# sequential ffmpeg loop at the same encoder quality, xargs -P over ffmpeg,
# and soundconverter's batch mode at its default.
#   bench/batch.sh [BUILD_DIR]   (default build; tremolix-cli and
#                                 encoder_archive must be built there)
# RUNS (default 1) repeats each command and keeps its best figures; FILES
# (default 20) sets the track count; FORMATS (default "mp3 ogg") the outputs.
# Targets on 2 cores: N=cores at most 0.55x of N=1 and 0.6x of the ffmpeg
# loop, below soundconverter.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/common.sh
find_cli "$build"
# What the comparison needs; never part of the project's own set-up.
need=""
for p in wesnoth-1.16-music soundconverter gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly time bc; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need="$need $p"
done
[ -z "$need" ] || { apt-get update -qq && apt-get install -y --no-install-recommends $need >/dev/null; }

make_work
runs=${RUNS:-1}
count=${FILES:-20}
formats=${FORMATS:-"mp3 ogg"}
cores=$(nproc)
mkdir "$work/in" "$work/out" "$work/tmp"
tracks=0
for track in $(find /usr/share/games/wesnoth/1.16/data/core/music -name '*.ogg' | sort); do
  [ $tracks -lt "$count" ] || break
  tracks=$((tracks + 1))
  ffmpeg -nostdin -v error -y -i "$track" -ac 2 -ar 44100 -c:a flac "$work/in/track $tracks.flac"
done
[ $tracks -gt 0 ] || { echo "no music found" >&2; exit 1; }
minutes=$(for f in "$work"/in/*.flac; do ffprobe -v error -show_entries format=duration -of csv=p=0 "$f"; done |
  awk '{s += $1} END {printf "%.1f", s / 60}')

row() { printf '%-30s %8s %8s %8s\n' "$1" "$2" "$3" "$4"; }

for format in $formats; do
  case $format in
  mp3) name=MP3 preset="CBR 128 kbps" ff="-c:a libmp3lame -b:a 128k -compression_level 2" sc="-f mp3 -m cbr -q 128" ;;
  ogg) name="Ogg vorbis" preset="Quality 4 (about 128 kbps)" ff="-c:a libvorbis -q:a 4" sc="-f ogg -q 0.4" ;;
  esac
  # Each command starts from an empty target, so nothing is skipped.
  cli_run='rm -rf "$1"/out/*; TMPDIR="$1/tmp" "$2" convert --format "$3" --preset "$4" --jobs "$5" --target "$1/out" "$1/in"'
  measure sh -c "$cli_run" sh "$work" "$cli" "$name" "$preset" 1
  n1_wall=$best_wall n1_cpu=$best_cpu n1_rss=$best_rss
  measure sh -c "$cli_run" sh "$work" "$cli" "$name" "$preset" "$cores"
  nc_wall=$best_wall nc_cpu=$best_cpu nc_rss=$best_rss
  measure sh -c 'rm -rf "$1"/out/*; for f in "$1"/in/*.flac; do
    ffmpeg -nostdin -v error -y -i "$f" '"$ff"' "$1/out/$(basename "$f" .flac).'"$format"'" || exit 1; done' sh "$work"
  ff_wall=$best_wall ff_cpu=$best_cpu
  measure sh -c 'rm -rf "$1"/out/*; ls "$1"/in/*.flac | tr "\n" "\0" | xargs -0 -P "$2" -I{} sh -c '"'"'
    ffmpeg -nostdin -v error -y -i "$1" '"$ff"' "$2/out/$(basename "$1" .flac).'"$format"'"'"'"' _ {} "$1"' \
    sh "$work" "$cores"
  fx_wall=$best_wall fx_cpu=$best_cpu
  sc_wall="-" sc_cpu="-"
  if command -v soundconverter >/dev/null; then
    measure sh -c 'rm -rf "$1"/out/*; soundconverter -b '"$sc"' -e overwrite -o "$1/out" "$1"/in/*.flac' sh "$work"
    sc_wall=$best_wall sc_cpu=$best_cpu
  fi
  printf '\n%s tracks (%s min of music), FLAC to %s, best of %s, %s cores\n' "$tracks" "$minutes" "$format" "$runs" "$cores"
  row "" "wall s" "cpu s" "peak kB"
  row "tremolix-cli --jobs 1" "$n1_wall" "$n1_cpu" "$n1_rss"
  row "tremolix-cli --jobs $cores" "$nc_wall" "$nc_cpu" "$nc_rss"
  row "ffmpeg loop" "$ff_wall" "$ff_cpu" ""
  row "xargs -P $cores ffmpeg" "$fx_wall" "$fx_cpu" ""
  row "soundconverter -b" "$sc_wall" "$sc_cpu" ""
  printf 'wall: jobs %s / jobs 1 %s (target 0.55), / ffmpeg loop %s (target 0.6)\n' "$cores" \
    "$(ratio "$nc_wall" "$n1_wall")" "$(ratio "$nc_wall" "$ff_wall")"
done
