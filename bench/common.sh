# SPDX-License-Identifier: GPL-3.0-or-later
# Shell functions shared by the benchmark scripts. The caller sets $work (a
# scratch folder) and $runs (how many times measure runs a command).

# A music-like signal: a few drifting tones over quiet noise, stereo 44100 Hz.
# One minute is synthesised; longer sources repeat it.
make_minute() { # output
  ffmpeg -nostdin -v error -y \
    -f lavfi -i "aevalsrc=0.3*sin(2*PI*(220+20*sin(t/3))*t)+0.2*sin(2*PI*330*t)*sin(t)+0.1*sin(2*PI*1760*t)|0.3*sin(2*PI*(277+15*sin(t/5))*t)+0.2*sin(2*PI*440*t):s=44100:d=60" \
    -f lavfi -i "anoisesrc=a=0.05:c=pink:r=44100:d=60" \
    -filter_complex "[1]aformat=channel_layouts=stereo[n];[0][n]amix=inputs=2:normalize=0" \
    -bitexact -c:a pcm_s16le "$1"
}

# Minutes of that signal, the minute made first in $work/minute.wav.
make_source() { # minutes output
  ffmpeg -nostdin -v error -y -stream_loop $(($1 - 1)) -i "$work/minute.wav" -bitexact -c:a pcm_s16le "$2"
}

# The signal as a FLAC of that many minutes, for the scripts timing a
# conversion of a real-world input; the WAV stays in $work/source.wav.
make_flac_source() { # minutes output
  make_minute "$work/minute.wav"
  make_source "$1" "$work/source.wav"
  flac --silent -f -o "$2" "$work/source.wav"
}

# Best wall and CPU (user + system) seconds and peak resident kB over $runs
# runs of a command. CPU time is the steadier figure on a busy machine.
measure() {
  best_wall=""
  best_cpu=""
  best_rss=0
  i=0
  while [ $i -lt "$runs" ]; do
    start=$(date +%s%N)
    /usr/bin/time -f "%U %S %M" -o "$work/usage" "$@" >/dev/null 2>&1
    wall=$(echo "scale=3; ($(date +%s%N) - $start) / 1000000000" | bc)
    read -r user system rss <"$work/usage"
    cpu=$(echo "$user + $system" | bc)
    if [ -z "$best_wall" ] || [ "$(echo "$wall < $best_wall" | bc)" = 1 ]; then best_wall=$wall; fi
    if [ -z "$best_cpu" ] || [ "$(echo "$cpu < $best_cpu" | bc)" = 1 ]; then best_cpu=$cpu; fi
    [ "$rss" -gt "$best_rss" ] && best_rss=$rss
    i=$((i + 1))
  done
}

ratio() { echo "scale=2; $1 / $2" | bc; }

# A scratch folder in $work, removed when the script ends.
make_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-bench-XXXXXX")
  trap 'rm -rf "$work"' EXIT
}

# $cli: the build tree's tremolix-cli, which needs its encoder archive.
find_cli() { # build dir
  cli="$1/bin/tremolix-cli"
  [ -x "$cli" ] && [ -f "$1/bin/EncodeDLL.dll" ] || {
    echo "build tremolix-cli and encoder_archive in $1 first" >&2
    exit 1
  }
}
