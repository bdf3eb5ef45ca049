#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times one whole conversion job (a 5-minute FLAC to MP3 at 128 kbit/s:
# decode to WAV, then the archive's lame) against ffmpeg doing the same in
# one process, and against lame alone on the WAV, in the same run.
#   bench/convert.sh [BUILD_DIR]   (default build; builds tremolix-convert-bench)
# Target: job/ffmpeg at most 1.15. The job's own split shows where the time
# goes (decode phase, encode phase).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-convert-bench encoder_archive -j2 >/dev/null
bench="$build/bench-bin/tremolix-convert-bench"
archive="$build/bin/EncodeDLL.dll"
runs=${RUNS:-3}
. bench/common.sh
make_work

make_flac_source 5 "$work/5min.flac"

measure env TMPDIR="$work" "$bench" "$archive" "$work/5min.flac" "$work/job.mp3" "-b 128"
j_wall=$best_wall j_cpu=$best_cpu
measure ffmpeg -nostdin -v error -y -i "$work/5min.flac" -c:a libmp3lame -b:a 128k "$work/ffmpeg.mp3"
f_wall=$best_wall f_cpu=$best_cpu
measure lame --quiet -b 128 "$work/source.wav" "$work/lame.mp3"
l_wall=$best_wall l_cpu=$best_cpu
# Where the job's time goes, from one more run.
set -- $(TMPDIR="$work" "$bench" "$archive" "$work/5min.flac" "$work/job.mp3" "-b 128")

printf '%-22s %8s %8s %10s %10s\n' "" wall cpu "job/this" "job/this"
printf '%-22s %8s %8s %10s %10s\n' "" s s wall cpu
printf '%-22s %8s %8s\n' "whole job" "$j_wall" "$j_cpu"
printf '%-22s %8s %8s %10s %10s\n' "ffmpeg libmp3lame" "$f_wall" "$f_cpu" "$(ratio "$j_wall" "$f_wall")" "$(ratio "$j_cpu" "$f_cpu")"
printf '%-22s %8s %8s %10s %10s\n' "lame on the WAV" "$l_wall" "$l_cpu" "$(ratio "$j_wall" "$l_wall")" "$(ratio "$j_cpu" "$l_cpu")"
printf 'job phases (wall s): decode to WAV %s, lame %s, total %s\n' "$1" "$2" "$3"
