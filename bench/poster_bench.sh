#!/usr/bin/env bash
# Video posters: the export of a website of COUNT one-minute 1080p videos (pages and posters,
# copying "Manual") against ffmpegthumbnailer making the same posters at the same size through
# `xargs -P$(nproc)` in the same round. See README.md.
#
#   bench/poster_bench.sh [ROUNDS]      (default 3 rounds)
#
# Environment: COUNT (videos, default 100), BENCH_DIR (working folder, default
# /tmp/pagelorn-poster-bench; the generated videos in it are kept between runs, as making them
# takes a while), BUILD_DIR (default build/export-bench; a Release build of pagelorn-cli is made
# there).
set -euo pipefail

rounds=${1:-3}
count=${COUNT:-100}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build/export-bench}
work=${BENCH_DIR:-/tmp/pagelorn-poster-bench}
jobs=$(nproc)

for tool in ffmpeg ffmpegthumbnailer python3 vipsheader; do
    command -v "$tool" >/dev/null ||
        { echo "$tool is missing (ffmpeg, ffmpegthumbnailer, python3, libvips-tools)" >&2; exit 2; }
done

echo "== making $count one-minute 1080p videos in $work/videos"
mkdir -p "$work/bases" "$work/videos"
# Five one-minute videos, each of its own kind of picture, at 30 frames a second with a key frame
# every two seconds and at the bit rates phones and cameras write (12 Mbit/s): four H.264 MP4s and
# a VP8 WebM (4 Mbit/s) as websites use it. Making a one-minute 1080p video costs about a minute
# of one core (several on a loaded machine), so the COUNT videos are copies of these five in
# turn. Copies, not hard links: the export makes one poster per file however many names it has.
make_base() {
    local n=$1 name source
    case $n in
        0) source="testsrc2=size=1920x1080:rate=30" ;;
        1) source="testsrc=size=1920x1080:rate=30" ;;
        2) source="smptehdbars=size=1920x1080:rate=30,noise=alls=12:allf=t" ;;
        3) source="life=size=480x270:rate=30:mold=10:ratio=0.3:death_color=#204060,scale=1920:1080" ;;
        4) source="testsrc2=size=1920x1080:rate=30,hue=H=t/3,noise=alls=6:allf=t" ;;
    esac
    if [ "$n" = 4 ]; then
        name=base$n.webm
        set -- -c:v libvpx -deadline realtime -cpu-used 8 -b:v 4M -maxrate 4M -bufsize 8M -g 60
    else
        name=base$n.mp4
        set -- -c:v libx264 -preset veryfast -pix_fmt yuv420p -g 60 -b:v 12M -maxrate 16M \
            -bufsize 24M
    fi
    [ -f "$work/bases/$name" ] && return
    ffmpeg -nostdin -v error -y -f lavfi -i "$source" -t 60 "$@" -threads 1 \
        "$work/bases/.$name" && mv "$work/bases/.$name" "$work/bases/$name"
}
export -f make_base
export work
seq 0 4 | nice xargs -P"$jobs" -I{} bash -c 'make_base {}'
bases=("$work"/bases/base0.mp4 "$work"/bases/base1.mp4 "$work"/bases/base2.mp4
    "$work"/bases/base3.mp4 "$work"/bases/base4.webm)
if [ "$(find "$work/videos" -type f | wc -l)" != "$count" ]; then
    rm -f "$work"/videos/*
    for n in $(seq 0 $((count - 1))); do
        base=${bases[$((n % 5))]}
        cp "$base" "$(printf '%s/videos/video%03d.%s' "$work" "$n" "${base##*.}")"
    done
fi
videos=$(find "$work/videos" -type f | sort)
echo "   $count videos, $(du -sb "$work/videos" | cut -f1 | awk '{printf "%d MB", $1 / 1048576}')"
[ "${GENERATE_ONLY:-0}" = 1 ] && exit 0

echo "== building pagelorn-cli (Release) in $build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_GUI=OFF -DPAGELORN_TESTS=OFF \
    -DPAGELORN_BENCH=OFF >/dev/null
cmake --build "$build" --target pagelorn-cli -j"$jobs" >/dev/null
cli=$build/bin/pagelorn-cli

echo "== making the project with pagelorn-cli"
rm -f "$work/site.www" "$work/site.www.json"
"$cli" new "$work/site.www" >/dev/null
"$cli" import "$work/site.www" "$work/videos" >/dev/null
# Copying "Manual": the export writes the pages and the posters only, which is what
# ffmpegthumbnailer is compared with. copyLinkedFiles is at 300 + 776 of a new project.
python3 - "$work/site.www" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
assert struct.unpack_from("<i", data, 300)[0] == 0x0044D8C8, "general block not where expected"
struct.pack_into("<i", data, 300 + 776, 0)
open(sys.argv[1], "wb").write(data)
PY
side=$(python3 -c 'import json, sys; p = json.load(open(sys.argv[1])).get("pictures", {});
print(p.get("box", 100) * p.get("density", 2))' "$work/site.www.json")
echo "   posters of at most $side pixels a side"

seconds() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
ratio() { python3 -c 'import sys; print("%.2f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$@"; }
now() { date +%s.%N; }
summary() { sed -n 's/^Exported to [^:]*: //p' "$1"; }

echo "== warming the page cache"
find "$work/videos" -type f -exec cat {} + >/dev/null

echo "== posters: the export (pages and posters) against ffmpegthumbnailer -s $side"
printf "%-5s %9s %18s %6s %11s\n" round export ffmpegthumbnailer ratio unchanged
for round in $(seq 1 "$rounds"); do
    rm -rf "$work/out" "$work/ft"
    mkdir -p "$work/ft"
    sync
    t0=$(now)
    "$cli" export "$work/site.www" --to "$work/out" --yes >"$work/export.log"
    t1=$(now)
    find "$work/videos" -type f -print0 |
        xargs -0 -P"$jobs" -I{} sh -c 'ffmpegthumbnailer -i "$1" -o "$2/$(basename "$1").jpg" \
            -s "$3" -t 10% -q 8 2>/dev/null' sh {} "$work/ft" "$side"
    t2=$(now)
    "$cli" export "$work/site.www" --to "$work/out" --yes >"$work/unchanged.log"
    t3=$(now)
    export_time=$(seconds "$t0" "$t1")
    ft=$(seconds "$t1" "$t2")
    printf "%-5s %9s %18s %6s %11s\n" "$round" "$export_time" "$ft" "$(ratio "$export_time" "$ft")" \
        "$(seconds "$t2" "$t3")"
done
echo "   export:    $(summary "$work/export.log")"
echo "   unchanged: $(summary "$work/unchanged.log")"
# Modern pages also get each poster at the box size, made from the poster itself.
made=$(find "$work/out/thumb" -type f -name "*.${side}q*" | wc -l)
wanted=$(echo "$videos" | wc -l)
[ "$made" = "$wanted" ] || { echo "expected $wanted posters, found $made" >&2; exit 1; }
[ "$(find "$work/ft" -type f | wc -l)" = "$wanted" ] || { echo "ffmpegthumbnailer missed some" >&2; exit 1; }
one=$(find "$work/out/thumb" -type f -name "*.${side}q*" | sort | head -1)
echo "   a poster: $(vipsheader "$one" | sed 's/^[^:]*: //'); ffmpegthumbnailer's:" \
    "$(vipsheader "$(find "$work/ft" -type f | sort | head -1)" | sed 's/^[^:]*: //')"
echo "   posters: $(du -sb "$work/out/thumb" | cut -f1) bytes; ffmpegthumbnailer's:" \
    "$(du -sb "$work/ft" | cut -f1) bytes"
