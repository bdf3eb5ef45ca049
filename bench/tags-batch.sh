#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU time (user + system) of `tremolix-cli tags` over 500 small tagged MP3
# files: one process for all of them against one process per file, same
# files, same run; checks that both print the same records.
#   bench/tags-batch.sh [BUILD_DIR]   (default build; tremolix-cli and
#                                      encoder_archive must be built there)
# RUNS (default 3) repeats each command and keeps its best figures.
# Target: one process at least 5 times cheaper than one per file.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
. bench/common.sh
find_cli "$build"
make_work
runs=${RUNS:-3}
count=500

ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=1 -ac 2 "$work/tone.wav"
lame --quiet -b 128 "$work/tone.wav" "$work/sample.mp3"
id3v2 -t "Sample" -a "Some Artist" -A "Some Album" -y 2020 -T 1/12 -g 17 -c "A comment" "$work/sample.mp3"
mkdir "$work/files"
i=1
while [ $i -le $count ]; do
  cp "$work/sample.mp3" "$work/files/$(printf 'track %03d.mp3' $i)"
  i=$((i + 1))
done

"$cli" tags "$work"/files/*.mp3 | grep -v '^File=' >"$work/one"
for f in "$work"/files/*.mp3; do "$cli" tags "$f"; done >"$work/each"
cmp -s "$work/one" "$work/each" || echo "warning: one process and one per file printed different records"

measure "$cli" tags "$work"/files/*.mp3
one_cpu=$best_cpu one_wall=$best_wall
# shellcheck disable=SC2016 # the inner shell expands them
measure sh -c 'for f in "$1"/*.mp3; do "$2" tags "$f" || exit 1; done' sh "$work/files" "$cli"
each_cpu=$best_cpu each_wall=$best_wall

printf '%s MP3 files, best of %s\n' "$count" "$runs"
printf '%-22s %8s %8s\n' "" "cpu s" "wall s"
printf '%-22s %8s %8s\n' "one process" "$one_cpu" "$one_wall"
printf '%-22s %8s %8s\n' "one process per file" "$each_cpu" "$each_wall"
printf 'cpu: per file / one process %s (target at least 5)\n' "$(ratio "$each_cpu" "$one_cpu")"
