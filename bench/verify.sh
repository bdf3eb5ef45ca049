#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times the check every job makes of its output (its length read from the
# packets' timestamps) against the job it is part of, on 5 minutes of a
# music-like signal: a whole FLAC to MP3 job, and the encoders of FLAC and
# Monkey's Audio on the same audio. A whole decode of each output, the way
# the check could otherwise be made, is shown beside it.
#   bench/verify.sh [BUILD_DIR]   (default build)
# Target: check/job under 5 % for FLAC to MP3 (CPU time).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-convert-bench tremolix-verify-bench tremolix-mac encoder_archive \
  -j2 >/dev/null
verify="$build/bench-bin/tremolix-verify-bench"
runs=${RUNS:-3}
. bench/common.sh
make_work

make_flac_source 5 "$work/5min.flac"

# The job includes its check; without it is the job less the check.
measure env TMPDIR="$work" "$build/bench-bin/tremolix-convert-bench" "$build/bin/EncodeDLL.dll" \
  "$work/5min.flac" "$work/job.mp3" "-b 128"
mp3_job=$best_cpu
measure flac --silent -f -5 -o "$work/job.flac" "$work/source.wav"
flac_job=$best_cpu
measure "$build/tools-bin/tremolix-mac" "$work/source.wav" "$work/job.ape" -c2000
ape_job=$best_cpu

percent() { printf '%.2f %%' "$(echo "scale=6; 100 * $1 / $2" | bc)"; }

printf '%-22s %9s %9s %10s %9s %11s\n' "5 minutes to" "job cpu s" "check s" "check/job" "decode s" "decode/job"
for row in "MP3 (whole job):$mp3_job:job.mp3" "FLAC -5 (encoder):$flac_job:job.flac" \
  "APE -c2000 (encoder):$ape_job:job.ape"; do
  label=${row%%:*}
  rest=${row#*:}
  job=${rest%%:*}
  set -- $("$verify" "$work/${rest#*:}" 300 "$runs")
  printf '%-22s %9s %9s %10s %9s %11s\n' "$label" "$job" "$1" "$(percent "$1" "$job")" "$2" "$(percent "$2" "$job")"
  [ "$label" = "MP3 (whole job)" ] && without=$(echo "$job - $1" | bc)
done
printf 'FLAC to MP3 job: %s s with the check, %s s without (target: check/job under 5 %%)\n' "$mp3_job" "$without"
