#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads the ID3v1 and ID3v2 tags of 2000 MP3 files with the tag classes and
# with TagLib, same files, same run, and reports the time ratio.
#   bench/tags.sh [RUNS]    (default 5; the best time of each is taken)
# Target: ratio (ours / TagLib) at most 1.0.
set -e
cd "$(dirname "$0")/.."
runs=${1:-5}
work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-tags-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

CXXFLAGS="-std=c++20 -O2 -I."
g++ $CXXFLAGS bench/tags_read.cpp tags/classes/*.cpp platform/SafeRewrite.cpp -lz -o "$work/tags_read"
g++ $CXXFLAGS bench/tags_taglib.cpp $(pkg-config --cflags --libs taglib) -o "$work/tags_taglib"

# One tagged MP3 (ID3v2.3 with a cover picture, ID3v1), copied 2000 times with its own title.
ffmpeg -nostdin -v error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=3 -ac 2 "$work/tone.wav"
lame --quiet -b 128 "$work/tone.wav" "$work/sample.mp3"
id3v2 -t "Sample" -a "Some Artist" -A "Some Album" -y 2020 -T 1/12 -g 17 -c "A comment" "$work/sample.mp3"
/usr/bin/python3 -c 'import sys, mutagen.id3 as id3
t = id3.ID3(sys.argv[1]); t.add(id3.APIC(mime="image/jpeg", type=3, data=b"\xff" * 20000)); t.save(sys.argv[1], v2_version=3)' \
  "$work/sample.mp3"
mkdir "$work/files"
"$work/tags_read" make "$work/sample.mp3" "$work/files" 2000

ours=$(cd "$work/files" && "$work/tags_read" *.mp3)
theirs=$(cd "$work/files" && "$work/tags_taglib" *.mp3)
[ "$ours" = "$theirs" ] || echo "warning: the two readers found different texts ($ours / $theirs characters)"

best() { # command...
  best_time=""
  i=0
  while [ $i -lt "$runs" ]; do
    start=$(date +%s%N)
    (cd "$work/files" && "$@" *.mp3 >/dev/null)
    t=$(( $(date +%s%N) - start ))
    if [ -z "$best_time" ] || [ "$t" -lt "$best_time" ]; then best_time=$t; fi
    i=$((i + 1))
  done
  echo "$best_time"
}
t_ours=$(best "$work/tags_read")
t_theirs=$(best "$work/tags_taglib")
printf 'tag classes: %s ms\nTagLib:      %s ms\nratio:       %s\n' \
  "$(echo "scale=1; $t_ours / 1000000" | bc)" "$(echo "scale=1; $t_theirs / 1000000" | bc)" \
  "$(echo "scale=2; $t_ours / $t_theirs" | bc)"
