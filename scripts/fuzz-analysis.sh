#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the analysers' fuzz targets (clang, libFuzzer, AddressSanitizer and
# UBSan) and runs each for a bounded time on a corpus seeded with real files.
#   scripts/fuzz-analysis.sh [BUILD_DIR] [SECONDS_PER_TARGET]
# Findings are left as BUILD_DIR/crash-<target>-*; the exit code is 1 then.
set -e
cd "$(dirname "$0")/.."
dir=${1:-build-fuzz}
seconds=${2:-60}
targets="mpeg ogg oggpages oggcodecs flac monkey musepack optimfrog aac comments"

CXX=clang++ cmake -S tests/analysis/fuzz -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j2

seeds="$dir/seeds"
if [ ! -f "$seeds/done" ]; then
  mkdir -p "$seeds"
  ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=44100:duration=0.2 \
    -ac 1 "$seeds/tone.wav"
  oggenc --quiet -o "$seeds/tone.ogg" "$seeds/tone.wav"
  flac --silent -f -o "$seeds/tone.flac" "$seeds/tone.wav"
  metaflac --set-tag=TITLE=seed --set-tag=ARTIST=seed "$seeds/tone.flac"
  lame --quiet "$seeds/tone.wav" "$seeds/tone.mp3"
  mpcenc --silent --overwrite "$seeds/tone.wav" "$seeds/tone.mpc"
  ffmpeg -nostdin -loglevel error -y -i "$seeds/tone.wav" -c:a aac -f adts "$seeds/tone.aac"
  printf 'MAC \226\017\000\000\064\000\000\000\030\000\000\000' > "$seeds/tone.ape"
  head -c 80 /dev/zero >> "$seeds/tone.ape"
  printf 'OFR ' > "$seeds/tone.ofr"
  head -c 40 /dev/zero >> "$seeds/tone.ofr"
  printf 'TITLE=caf\303\251 \360\235\204\236' > "$seeds/comment.txt"
  touch "$seeds/done"
fi
# A comment header over several pages, laid out the way mutagen does it.
if [ ! -f "$seeds/pages.ogg" ]; then
  cp "$seeds/tone.ogg" "$seeds/pages.ogg"
  /usr/bin/python3 -c "import sys; from mutagen.oggvorbis import OggVorbis as O; f = O(sys.argv[1]); f['LYRICS'] = ['la ' * 3000]; f.save()" \
    "$seeds/pages.ogg"
fi
# Opus and Ogg FLAC streams with several values in a field.
if [ ! -f "$seeds/tone.opus" ]; then
  ffmpeg -nostdin -loglevel error -y -i "$seeds/tone.wav" -c:a libopus -metadata artist=seed "$seeds/tone.opus"
  ffmpeg -nostdin -loglevel error -y -i "$seeds/tone.wav" -c:a flac -f ogg -metadata artist=seed "$seeds/tone.oga"
  /usr/bin/python3 -c "import sys, mutagen; f = mutagen.File(sys.argv[1]); f['GENRE'] = ['Jazz', 'Rock']; f.save()" \
    "$seeds/tone.opus"
fi

seed_of() {
  case $1 in
    mpeg) echo tone.mp3 ;; ogg) echo tone.ogg ;; oggpages) echo pages.ogg ;; oggcodecs) echo tone.opus ;; flac) echo tone.flac ;; monkey) echo tone.ape ;;
    musepack) echo tone.mpc ;; optimfrog) echo tone.ofr ;; aac) echo tone.aac ;; comments) echo comment.txt ;;
  esac
}

failed=0
for target in $targets; do
  corpus="$dir/corpus/$target"
  mkdir -p "$corpus"
  cp -n "$seeds/$(seed_of "$target")" "$corpus/"
  [ "$target" = oggcodecs ] && cp -n "$seeds/tone.oga" "$corpus/"
  echo "fuzzing $target for ${seconds}s"
  if ! "$dir/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -artifact_prefix="$dir/crash-$target-" -print_final_stats=1 "$corpus" >"$dir/$target.log" 2>&1; then
    echo "  finding in $target: see $dir/$target.log"
    failed=1
  fi
  grep -E "stat::number_of_executed_units|cov:" "$dir/$target.log" | tail -1
done
exit $failed
