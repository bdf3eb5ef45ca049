#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU time of a whole Opus and a whole WavPack conversion by tremolix-cli
# (decode, then the archive's opusenc or wavpack fed on standard input)
# against the same encoder fed by the ffmpeg program's decode of the same
# 5-minute FLAC, in the same run.
#   bench/opus-wavpack.sh [BUILD_DIR]   (default build)
# Target: ours/reference at most 1.1 (CPU time, encoder children included).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${RUNS:-3}
. bench/common.sh
find_cli "$build"
make_work

make_flac_source 5 "$work/5min.flac"
mkdir "$work/out"

ours() { # format preset
  measure "$cli" convert --format "$1" --preset "$2" --jobs 1 --when-exists overwrite \
    --target "$work/out" -- "$work/5min.flac"
  o_wall=$best_wall o_cpu=$best_cpu
}
reference() { # pipeline
  measure sh -c "$1"
  r_wall=$best_wall r_cpu=$best_cpu
}
verdicts=""
row() { # name
  printf '%-34s %8s %8s %8s %8s %9s\n' "$1" "$o_wall" "$o_cpu" "$r_wall" "$r_cpu" "$(ratio "$o_cpu" "$r_cpu")"
  if [ "$(echo "$o_cpu <= 1.1 * $r_cpu" | bc)" = 1 ]; then met=met; else met=MISSED; fi
  verdicts="$verdicts$(printf '\ntarget %s ours/ref at most 1.1: %s' "$1" "$met")"
}

printf '%-34s %8s %8s %8s %8s %9s\n' "" "ours" "ours" "ref" "ref" "ours/ref"
printf '%-34s %8s %8s %8s %8s %9s\n' "" "wall s" "cpu s" "wall s" "cpu s" "cpu"

ours Opus "128 kbps VBR (default)"
reference "ffmpeg -nostdin -v error -i '$work/5min.flac' -f wav - | opusenc --quiet --bitrate 128 --vbr --ignorelength - '$work/ref.opus'"
row "Opus 128 kbps (44.1 kHz source)"

ours WavPack "Lossless normal"
reference "ffmpeg -nostdin -v error -i '$work/5min.flac' -f wav - | wavpack -q -g -y -i - -o '$work/ref.wv'"
row "WavPack lossless normal"
echo "$verdicts"

# The WavPack output holds the source's samples.
ffmpeg -nostdin -v error -i "$work/source.wav" -f s16le "$work/source.raw"
if ffmpeg -nostdin -v error -i "$work/out/5min.wv" -f s16le - | cmp -s - "$work/source.raw"; then
  echo "WavPack output lossless: yes"
else
  echo "WavPack output lossless: NO"
  exit 1
fi
