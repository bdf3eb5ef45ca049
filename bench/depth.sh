#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the 24-bit path against the 16-bit path on the same music: a
# 24-bit FLAC (MINUTES long, default 10) and the same audio dithered to 16
# bits, each decoded by the engine for a FLAC output (which keeps the
# source's depth) and by `ffmpeg -i X -f wav` as the reference, in the same
# run.
#   bench/depth.sh [BUILD_DIR]   (default build; builds tremolix-decode-bench)
# Target: the engine's 24-bit run at most 1.1 times its 16-bit run (CPU),
# next to ffmpeg's own 24/16 ratio on the same files.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-decode-bench -j2 >/dev/null
bench="$build/bench-bin/tremolix-decode-bench"
runs=${RUNS:-5}
minutes=${MINUTES:-10}
flac_format=3
. bench/common.sh
make_work

make_minute "$work/minute.wav"
# The same music at both depths: scaled in float, so the 24-bit copy has
# all of its low bits, and that copy dithered to 16.
ffmpeg -nostdin -v error -y -stream_loop $((minutes - 1)) -i "$work/minute.wav" -af volume=0.9 -c:a pcm_s24le "$work/24.wav"
ffmpeg -nostdin -v error -y -i "$work/24.wav" -af aresample=osf=s16:dither_method=triangular -c:a pcm_s16le "$work/16.wav"
for bits in 24 16; do
  flac --silent -f -o "$work/$bits.flac" "$work/$bits.wav"
  rm -f "$work/$bits.wav"
done

for bits in 24 16; do
  measure "$bench" "$work/$bits.flac" "$work/engine.wav" $flac_format
  eval "e${bits}_wall=\$best_wall e${bits}_cpu=\$best_cpu"
  measure ffmpeg -nostdin -v error -y -i "$work/$bits.flac" -f wav "$work/ffmpeg.wav"
  eval "f${bits}_wall=\$best_wall f${bits}_cpu=\$best_cpu"
done
# The engine's 24-bit WAV must hold what ffmpeg reads from the FLAC.
"$bench" "$work/24.flac" "$work/engine.wav" $flac_format
[ "$(ffmpeg -nostdin -v error -i "$work/engine.wav" -f s24le - | md5sum)" = \
  "$(ffmpeg -nostdin -v error -i "$work/24.flac" -f s24le - | md5sum)" ] || {
  echo "the engine's 24-bit decode differs from ffmpeg's" >&2
  exit 1
}

printf '%-22s %8s %8s %8s %8s\n' "" "24 wall" "16 wall" "24 cpu" "16 cpu"
printf '%-22s %8s %8s %8s %8s\n' "engine, FLAC output" "$e24_wall" "$e16_wall" "$e24_cpu" "$e16_cpu"
printf '%-22s %8s %8s %8s %8s\n' "ffmpeg -f wav" "$f24_wall" "$f16_wall" "$f24_cpu" "$f16_cpu"
printf '24/16 ratio (cpu): engine %s, ffmpeg %s\n' "$(ratio "$e24_cpu" "$e16_cpu")" "$(ratio "$f24_cpu" "$f16_cpu")"
