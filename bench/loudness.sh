#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Times a FLAC to MP3 job (tremolix-cli convert, lame at 128 kbit/s) with and
# without the loudness scan, on a 5-minute music-like FLAC, and the scan on
# its own: a decode with the meter (tags --replaygain, sample peak; probe
# --loudness, true peak) less the decode alone, as a share of the job, and
# ffmpeg's ebur128 filter as a reference measure.
#   bench/loudness.sh [BUILD_DIR]   (default build; RUNS, default 3)
# Target: the scan adds at most 3 % to the job's CPU time (user + system,
# lame included).
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target tremolix-cli encoder_archive program_folder tremolix-decode-bench -j2 >/dev/null
runs=${RUNS:-3}

. bench/common.sh
find_cli "$build"
make_work

make_flac_source 5 "$work/5min.flac"
input="$work/5min.flac"

convert() { # more options...
  measure "$cli" convert --format MP3 --preset "CBR 128 kbps" --target "$work/out" --when-exists overwrite \
    --jobs 1 "$@" "$input"
}
lower() { [ -z "$1" ] || [ "$(echo "$2 < $1" | bc)" = 1 ] && echo "$2" || echo "$1"; }

# The three jobs take turns, one run each, so that a change in the machine's
# other load falls on all of them alike; the best of each is kept.
plain="" track="" album=""
rounds=$runs
runs=1
round=0
while [ $round -lt "$rounds" ]; do
  convert
  plain=$(lower "$plain" "$best_cpu")
  convert --replaygain track
  track=$(lower "$track" "$best_cpu")
  convert --replaygain album
  album=$(lower "$album" "$best_cpu")
  round=$((round + 1))
done
runs=$rounds
printf '%-28s %8s %8s\n' run cpu added
printf '%-28s %8s\n' "job" "$plain"
printf '%-28s %8s %7s%%\n' "job --replaygain track" "$track" "$(echo "scale=2; 100 * ($track - $plain) / $plain" | bc)"
printf '%-28s %8s %7s%%\n' "job --replaygain album" "$album" "$(echo "scale=2; 100 * ($album - $plain) / $plain" | bc)"

measure "$build/bench-bin/tremolix-decode-bench" "$input" "$work/decoded.wav"
decode=$best_cpu
printf '%-28s %8s\n' "decode alone" "$decode"
# The scan a job makes (sample peak), with the tag write, and the one that
# applying a gain makes (true peak).
cp "$input" "$work/tagged.flac"
measure "$cli" tags --replaygain track "$work/tagged.flac"
printf '%-28s %8s %8s %7s%%\n' "tags --replaygain track" "$best_cpu" "$best_wall" \
  "$(echo "scale=2; 100 * ($best_cpu - $decode) / $plain" | bc)"
measure "$cli" probe --loudness "$input"
printf '%-28s %8s %8s %7s%%\n' "probe --loudness (true pk)" "$best_cpu" "$best_wall" \
  "$(echo "scale=2; 100 * ($best_cpu - $decode) / $plain" | bc)"
measure ffmpeg -nostdin -v error -i "$input" -af ebur128=peak=true -f null -
printf '%-28s %8s %8s\n' "ffmpeg ebur128 (reference)" "$best_cpu" "$best_wall"
