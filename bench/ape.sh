#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Monkey's Audio encoder (tremolix-mac) against flac -8 in the same run:
# size and encoding speed per level on ten minutes of music, every output
# checked lossless by FFmpeg with CRC checking, plus the frame edges of the
# largest level. Targets: -c2000 smaller than flac -8, and at least 20x
# real time.
#   bench/ape.sh [BUILD_DIR]      (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
mac=$build/tools-bin/tremolix-mac
cmake --build "$build" --target tremolix-mac -j2 >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

music_dir=/usr/share/games/wesnoth/1.16/data/core/music
if [ ! -d "$music_dir" ] && [ "$(id -u)" = 0 ]; then
  apt-get install -y wesnoth-1.16-music >/dev/null 2>&1 || true
fi

input=$work/music.wav
if [ -f "$music_dir/knalgan_theme.ogg" ] && [ -f "$music_dir/vengeful.ogg" ]; then
  echo "source: real music (two game soundtrack tracks, Ogg decoded to 44.1 kHz stereo), 600 s"
  ffmpeg -nostdin -v error -i "$music_dir/knalgan_theme.ogg" -i "$music_dir/vengeful.ogg" \
    -filter_complex "[0][1]concat=n=2:v=0:a=1,aresample=44100,aformat=sample_fmts=s16:channel_layouts=stereo" \
    -t 600 -c:a pcm_s16le "$input"
else
  echo "source: SYNTHESISED music-like audio (no real music available), 600 s"
  ffmpeg -nostdin -v error \
    -f lavfi -i "sine=frequency=220:sample_rate=44100:duration=600" \
    -f lavfi -i "sine=frequency=277:sample_rate=44100:duration=600" \
    -f lavfi -i "anoisesrc=color=pink:amplitude=0.05:sample_rate=44100:duration=600:seed=7" \
    -filter_complex "[0]volume='0.3+0.2*sin(t)':eval=frame[a];[1]volume='0.3+0.2*cos(0.7*t)':eval=frame[b];[a][b]join=inputs=2:channel_layout=stereo[ab];[2]aformat=channel_layouts=stereo[n];[ab][n]amix=inputs=2:normalize=0,aformat=sample_fmts=s16" \
    -c:a pcm_s16le "$input"
fi
seconds=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$input")
wav_bytes=$(stat -c %s "$input")
ffmpeg -nostdin -v error -i "$input" -f s16le "$work/reference.raw"

# CPU seconds (user + system) of one command, its output discarded: steadier
# than wall time on a machine shared with other work.
timed() {
  /usr/bin/time -f "%U + %S" -o "$work/time" "$@" >/dev/null 2>&1
  bc -l <"$work/time"
}
# Lossless: FFmpeg decodes exactly the reference samples, CRCs checked.
lossless() {
  ffmpeg -nostdin -v error -err_detect crccheck+explode -i "$1" -f s16le - 2>/dev/null | cmp -s - "$2"
}

printf "\n%-10s %12s %8s %9s %10s  %s\n" encoder bytes "% wav" "cpu s" "x realtime" lossless
report() {
  printf "%-10s %12d %8.2f %9.2f %10.1f  %s\n" "$1" "$2" "$(echo "100 * $2 / $wav_bytes" | bc -l)" "$3" \
    "$(echo "$seconds / $3" | bc -l)" "$4"
}

flac_time=$(timed flac -8 -s -f -o "$work/music.flac" "$input")
flac_bytes=$(stat -c %s "$work/music.flac")
report "flac -8" "$flac_bytes" "$flac_time" "-"

failures=0
for level in 1000 2000 3000 4000 5000; do
  t=$(timed "$mac" "$input" "$work/music.ape" -c$level)
  bytes=$(stat -c %s "$work/music.ape")
  if lossless "$work/music.ape" "$work/reference.raw"; then ok=yes; else ok=NO; failures=$((failures + 1)); fi
  report "-c$level" "$bytes" "$t" "$ok"
  if [ $level = 2000 ]; then c2000_bytes=$bytes; c2000_time=$t; fi
done

echo
if [ "$c2000_bytes" -lt "$flac_bytes" ]; then echo "target -c2000 smaller than flac -8: met"; else echo "target -c2000 smaller than flac -8: MISSED"; fi
if [ "$(echo "$seconds / $c2000_time >= 20" | bc -l)" = 1 ]; then echo "target -c2000 at least 20x real time: met"; else echo "target -c2000 at least 20x real time: MISSED"; fi

# Frame edges of the two levels with the longest frames, mono and stereo.
for level in 4000 5000; do
  frame=$((level == 4000 ? 294912 : 1179648))
  for channels in 1 2; do
    for blocks in 1 $((frame - 1)) $frame $((frame + 1)); do
      ffmpeg -nostdin -v error -y -i "$input" -af "atrim=end_sample=$blocks" -ac $channels -c:a pcm_s16le "$work/edge.wav"
      ffmpeg -nostdin -v error -y -i "$work/edge.wav" -f s16le "$work/edge.raw"
      "$mac" "$work/edge.wav" "$work/edge.ape" -c$level >/dev/null
      if lossless "$work/edge.ape" "$work/edge.raw"; then ok=yes; else ok=NO; failures=$((failures + 1)); fi
      echo "-c$level edge: $channels channel(s), $blocks blocks: lossless $ok"
    done
  done
done
[ $failures = 0 ]
