#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the tag classes' fuzz targets (clang, libFuzzer, AddressSanitizer
# and UBSan) and runs each for a bounded time on a corpus seeded with tagged
# files.
#   scripts/fuzz-tags.sh [BUILD_DIR] [SECONDS_PER_TARGET]
# Findings are left as BUILD_DIR/crash-<target>-*; the exit code is 1 then.
set -e
cd "$(dirname "$0")/.."
dir=${1:-build-fuzz-tags}
seconds=${2:-30}
targets="id3v1 id3v2 ape"

CXX=clang++ cmake -S tests/tags/fuzz -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j2

seeds="$dir/seeds"
if [ ! -f "$seeds/done" ]; then
  mkdir -p "$seeds"
  ffmpeg -nostdin -loglevel error -y -f lavfi -i sine=frequency=440:sample_rate=8000:duration=0.1 \
    -ac 1 "$seeds/tone.wav"
  lame --quiet -b 8 "$seeds/tone.wav" "$seeds/plain.mp3"
  cp "$seeds/plain.mp3" "$seeds/v23.mp3"
  id3v2 -t "Title" -a "Artist" -T 3/9 -g 17 -c "Comment" "$seeds/v23.mp3"
  cp "$seeds/plain.mp3" "$seeds/v24.mp3"
  /usr/bin/python3 -c 'import sys, mutagen.id3 as id3
t = id3.ID3(); t.add(id3.TIT2(encoding=1, text="T\u00eftle")); t.add(id3.APIC(mime="image/png", data=b"png"))
t.add(id3.COMM(encoding=0, lang="eng", desc="d", text="c")); t.save(sys.argv[1])' "$seeds/v24.mp3"
  cp "$seeds/plain.mp3" "$seeds/utf8.mp3"
  /usr/bin/python3 -c 'import sys, mutagen.id3 as id3
t = id3.ID3(); t.add(id3.TIT2(encoding=3, text="T\u00eftle")); t.add(id3.TPE1(encoding=3, text=["A", "\u0411"]))
t.add(id3.TDRC(encoding=3, text="2004-05-01T10:20")); t.add(id3.TCON(encoding=3, text="17"))
t.add(id3.COMM(encoding=3, lang="eng", desc="iTunNORM", text="x")); t.add(id3.COMM(encoding=3, lang="eng", desc="", text="c"))
t.add(id3.APIC(encoding=3, mime="image/png", desc="d", data=b"png")); t.save(sys.argv[1], v2_version=4)' "$seeds/utf8.mp3"
  # A 2.2 tag with a picture, a compressed 2.4 frame and a 2.4 tag with plain
  # frame sizes (older iTunes), made by hand.
  /usr/bin/python3 -c 'import sys, zlib
def f22(i, d): return i + len(d).to_bytes(3, "big") + d
def ss(n): return bytes(((n >> 21) & 127, (n >> 14) & 127, (n >> 7) & 127, n & 127))
def tag(v, body): return b"ID3" + bytes((v, 0, 0)) + ss(len(body)) + body
body = f22(b"TT2", b"\0Old") + f22(b"PIC", b"\0PNG\3desc\0png") + f22(b"ULT", b"\0engd\0words") + f22(b"TXX", b"\0rg\0-1 dB")
open(sys.argv[1], "wb").write(tag(2, body) + open(sys.argv[3], "rb").read())
packed = ss(5) + zlib.compress(b"\3Song")
open(sys.argv[2], "wb").write(tag(4, b"TIT2" + ss(len(packed)) + b"\0\x09" + packed) + open(sys.argv[3], "rb").read())
def plain(i, d): return i + len(d).to_bytes(4, "big") + b"\0\0" + d
body = plain(b"TIT2", b"\0Old") + plain(b"TPE1", b"\0" + b"a" * 200) + plain(b"COMM", b"\0eng\0" + b"c" * 300)
open(sys.argv[4], "wb").write(tag(4, body + bytes(20)) + open(sys.argv[3], "rb").read())' \
    "$seeds/v22.mp3" "$seeds/zlib.mp3" "$seeds/plain.mp3" "$seeds/plainsizes.mp3"
  printf 'LYRICSBEGININD0000210LYR00005a\rb\rcETT00003abc000038LYRICS200' >> "$seeds/v23.mp3"
  printf 'TAG%-30s%-30s%-30s1999%-28s\000\007\021' Title Artist Album Comment >> "$seeds/v23.mp3"
  printf 'APETAGEX\320\007\000\000\057\000\000\000\001\000\000\000\000\000\000\240\000\000\000\000\000\000\000\000' > "$seeds/ape.bin"
  printf '\003\000\000\000\000\000\000\000Title\000abc' >> "$seeds/ape.bin"
  printf 'APETAGEX\320\007\000\000\057\000\000\000\001\000\000\000\000\000\000\200\000\000\000\000\000\000\000\000' >> "$seeds/ape.bin"
  touch "$seeds/done"
fi

failed=0
for target in $targets; do
  corpus="$dir/corpus/$target"
  mkdir -p "$corpus"
  cp -n "$seeds"/*.mp3 "$seeds/ape.bin" "$corpus/"
  echo "fuzzing $target for ${seconds}s"
  if ! "$dir/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=20000 \
       -artifact_prefix="$dir/crash-$target-" -print_final_stats=1 "$corpus" >"$dir/$target.log" 2>&1; then
    echo "  finding in $target: see $dir/$target.log"
    failed=1
  fi
  grep -E "stat::number_of_executed_units" "$dir/$target.log" | tail -1
done
exit $failed
