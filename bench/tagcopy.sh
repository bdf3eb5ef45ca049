#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the tag copy of a batch run: a three-minute FLAC with a 500 KB front
# cover and a full set of values, converted to MP3 by tremolix-cli with and
# without --copy-tags, the two runs alternating, in the same run.
#   bench/tagcopy.sh [BUILD_DIR]   (default build; tremolix-cli and
#                                   encoder_archive must be built there)
# Target: with/without at most 1.05.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/common.sh
find_cli "$build"
make_work
pairs=${RUNS:-3}
runs=1
ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=180" \
  -ac 2 -c:a flac "$work/song.flac"
# Noise does not compress: the cover stays about 500 KB.
ffmpeg -nostdin -v error -y -f lavfi \
  -i "nullsrc=s=600x600,format=rgb24,geq=r='random(1)*255':g='random(2)*255':b='random(3)*255'" \
  -frames:v 1 "$work/cover.png"
metaflac --set-tag="TITLE=A Song" --set-tag="ARTIST=The Artist" --set-tag="ALBUM=An Album" \
  --set-tag="ALBUMARTIST=The Album Artist" --set-tag="TRACKNUMBER=3" --set-tag="TRACKTOTAL=12" \
  --set-tag="DISCNUMBER=1" --set-tag="DISCTOTAL=2" --set-tag="LYRICS=la la la" --set-tag="BPM=120" \
  --set-tag="REPLAYGAIN_TRACK_GAIN=-6.50 dB" --set-tag="REPLAYGAIN_TRACK_PEAK=0.98" \
  --set-tag="MUSICBRAINZ_TRACKID=c5b4f1d2-0000-4000-8000-000000000001" --set-tag="ARTISTSORT=Artist, The" \
  --import-picture-from="3|image/png|Front||$work/cover.png" "$work/song.flac"
mkdir "$work/plain" "$work/tagged"

convert() { # target [--copy-tags]
  target=$1
  shift
  measure sh -c 'dir=$1 work=$2 cli=$3; shift 3; rm -f "$dir"/*
    TMPDIR="$work" "$cli" convert --format MP3 --preset "CBR 128 kbps" --target "$dir" "$@" "$work/song.flac"' \
    sh "$work/$target" "$work" "$cli" "$@"
}

p_wall="" p_cpu="" t_wall="" t_cpu=""
pair=0
while [ $pair -lt "$pairs" ]; do
  convert plain
  [ -z "$p_cpu" ] || [ "$(echo "$best_cpu < $p_cpu" | bc)" = 1 ] && p_cpu=$best_cpu
  [ -z "$p_wall" ] || [ "$(echo "$best_wall < $p_wall" | bc)" = 1 ] && p_wall=$best_wall
  convert tagged --copy-tags
  [ -z "$t_cpu" ] || [ "$(echo "$best_cpu < $t_cpu" | bc)" = 1 ] && t_cpu=$best_cpu
  [ -z "$t_wall" ] || [ "$(echo "$best_wall < $t_wall" | bc)" = 1 ] && t_wall=$best_wall
  pair=$((pair + 1))
done

# The copy must have happened: the tagged output carries the cover.
plain_size=$(stat -c %s "$work/plain/song.mp3")
tagged_size=$(stat -c %s "$work/tagged/song.mp3")
cover_size=$(stat -c %s "$work/cover.png")
[ $((tagged_size - plain_size)) -ge "$cover_size" ] || {
  echo "the tagged output lacks the cover ($plain_size vs $tagged_size bytes)" >&2
  exit 1
}

printf 'three-minute FLAC (%s KB cover) to MP3 at 128 kbit/s, best of %s alternating pairs\n' \
  $((cover_size / 1024)) "$pairs"
printf '%-24s %8s %8s\n' "" "wall s" "cpu s"
printf '%-24s %8s %8s\n' "without --copy-tags" "$p_wall" "$p_cpu"
printf '%-24s %8s %8s\n' "with --copy-tags" "$t_wall" "$t_cpu"
printf 'ratio with/without: wall %s, cpu %s (target at most 1.05)\n' \
  "$(ratio "$t_wall" "$p_wall")" "$(ratio "$t_cpu" "$p_cpu")"
