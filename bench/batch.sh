#!/bin/sh
# Times a whole batch run: 20 three-minute FLAC files to MP3 at 128 kbit/s
# through tremolix-cli, against a shell loop of ffmpeg over the same files,
# in the same run.
#   bench/batch.sh [BUILD_DIR]   (default build; tremolix-cli and
#                                 encoder_archive must be built there)
# Target: batch/ffmpeg at most 1.15.
set -e
cd "$(dirname "$0")/.."
build=${1:-build}
cli="$build/bin/tremolix-cli"
[ -x "$cli" ] && [ -f "$build/bin/EncodeDLL.dll" ] || {
  echo "build tremolix-cli and encoder_archive in $build first" >&2
  exit 1
}
work=$(mktemp -d "${TMPDIR:-/tmp}/tremolix-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
runs=${RUNS:-1}
count=${FILES:-20}
. bench/common.sh

ffmpeg -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=180" \
  -ac 2 -c:a flac "$work/3min.flac"
mkdir "$work/in" "$work/cli" "$work/ffmpeg"
i=1
while [ $i -le "$count" ]; do
  cp "$work/3min.flac" "$work/in/file $i.flac"
  i=$((i + 1))
done

# Each run starts from an empty target so nothing is skipped as existing.
measure sh -c 'rm -f "$1"/cli/*; TMPDIR="$1" "$2" convert --format MP3 --preset "CBR 128 kbps" \
  --target "$1/cli" "$1"/in/*.flac' sh "$work" "$cli"
b_wall=$best_wall b_cpu=$best_cpu
made=$(ls "$work/cli" | grep -c '\.mp3$' || true)
[ "$made" = "$count" ] || { echo "tremolix-cli made $made of $count files" >&2; exit 1; }
# The preset asks lame for its high quality (-h, lame's -q 2); ffmpeg's
# default is -q 3, so it is told the same to do the same work.
measure sh -c 'for f in "$1"/in/*.flac; do
  ffmpeg -nostdin -v error -y -i "$f" -c:a libmp3lame -b:a 128k -compression_level 2 "$1/ffmpeg/$(basename "$f" .flac).mp3" || exit 1
done' sh "$work"
f_wall=$best_wall f_cpu=$best_cpu

printf '%s three-minute files, FLAC to MP3 at 128 kbit/s, best of %s\n' "$count" "$runs"
printf '%-24s %8s %8s\n' "" "wall s" "cpu s"
printf '%-24s %8s %8s\n' "tremolix-cli convert" "$b_wall" "$b_cpu"
printf '%-24s %8s %8s\n' "ffmpeg loop" "$f_wall" "$f_cpu"
printf 'ratio batch/ffmpeg: wall %s, cpu %s (target at most 1.15)\n' \
  "$(ratio "$b_wall" "$f_wall")" "$(ratio "$b_cpu" "$f_cpu")"
