#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the measuring pass of normalising against the FLAC to MP3 job it is
# added to (the engine's decode to WAV plus lame -b 128 on that WAV), and
# against ffmpeg's astats pass over the same file, on a 3-minute FLAC.
#   bench/normalize.sh [BUILD_DIR]   (default build)
# Target: pass/job at most 0.25 (CPU time); the pass at 48000 Hz is the one
# an input of another rate gets (MPC, say).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-normalize-bench tremolix-decode-bench -j2 >/dev/null
bench="$build/bench-bin/tremolix-normalize-bench"
runs=${RUNS:-3}

. bench/common.sh
make_work

make_flac_source 3 "$work/3min.flac"
input="$work/3min.flac"

measure "$build/bench-bin/tremolix-decode-bench" "$input" "$work/decoded.wav"
decode_cpu=$best_cpu
measure lame --quiet -b 128 "$work/decoded.wav" "$work/out.mp3"
job_cpu=$(echo "$decode_cpu + $best_cpu" | bc)

printf '%-22s %8s %8s %9s\n' pass cpu wall pass/job
for rate in 0 48000; do
  measure "$bench" "$input" "$rate"
  label=$([ "$rate" = 0 ] && echo "measure, own rate" || echo "measure at $rate Hz")
  printf '%-22s %8s %8s %9s\n' "$label" "$best_cpu" "$best_wall" "$(ratio "$best_cpu" "$job_cpu")"
done
measure ffmpeg -nostdin -v error -i "$input" -af astats=measure_perchannel=none -f null -
printf '%-22s %8s %8s %9s\n' "ffmpeg astats" "$best_cpu" "$best_wall" "$(ratio "$best_cpu" "$job_cpu")"
printf '%-22s %8s\n' "job (decode + lame)" "$job_cpu"
