#!/usr/bin/env bash
# Thumbnail files of 200 generated 12-megapixel JPEGs (4000 x 3000) in 20 folders: the export of
# the pages and thumbnails against `vipsthumbnail` over the same files through
# `xargs -P$(nproc)` in the same round, the peak resident memory of the export, and the weight of
# a page of nine such pictures (its HTML and every picture it loads). See README.md.
#
#   bench/thumbnail_bench.sh [ROUNDS]      (default 3 rounds)
#
# Environment: BENCH_DIR (working folder, default a new temporary folder, removed at the end
# unless KEEP=1; the generated pictures in it are kept between runs), BUILD_DIR (default
# build/export-bench; a Release build of pagelorn-cli is made there).
set -euo pipefail

rounds=${1:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build/export-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/pagelorn-thumbnail-bench.XXXXXX)}
jobs=$(nproc)
folders=20
per_folder=10

cleanup() { if [ "${KEEP:-0}" != 1 ] && [ -z "${BENCH_DIR:-}" ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

for tool in vips vipsthumbnail python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (libvips-tools, python3, time)" >&2; exit 2; }
done

echo "== building pagelorn-cli (Release) in $build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_GUI=OFF -DPAGELORN_TESTS=OFF \
    -DPAGELORN_BENCH=OFF >/dev/null
cmake --build "$build" --target pagelorn-cli -j"$jobs" >/dev/null
cli=$build/bin/pagelorn-cli

echo "== making $((folders * per_folder)) pictures of 4000 x 3000 in $work/src"
mkdir -p "$work"
if [ -f "$work/src.done" ]; then
    echo "   (kept from an earlier run)"
else
    rm -rf "$work/src" "$work/bases"
    mkdir -p "$work/bases"
    # Four bases of coloured Perlin noise with grain, each band of its own cell size, so that the
    # pictures have the soft shapes and the fine noise of photos.
    for base in 1 2 3 4; do
        b="$work/bases"
        for band in 1 2 3; do
            vips perlin "$b/p$band.v" 4000 3000 --cell-size $((80 + 90 * ((base + band) % 4))) \
                --seed $((base * 10 + band))
        done
        vips bandjoin "$b/p1.v $b/p2.v $b/p3.v" "$b/rgb.v"
        vips linear "$b/rgb.v" "$b/scaled.v" 110 128
        vips gaussnoise "$b/grain.v" 4000 3000 --mean 0 --sigma $((6 + 4 * base))
        vips add "$b/scaled.v" "$b/grain.v" "$b/sum.v"
        vips cast "$b/sum.v" "$b/base$base.v" uchar
        rm -f "$b"/p?.v "$b/rgb.v" "$b/scaled.v" "$b/grain.v" "$b/sum.v"
    done
    # The rest by flips and JPEG qualities: 4 bases x 4 flips x 13 qualities, 200 of them.
    n=0
    for quality in 95 70 92 74 89 78 86 81 83 90 72 94 76; do
        for flip in none horizontal vertical both; do
            for base in 1 2 3 4; do
                [ "$n" -lt $((folders * per_folder)) ] || continue
                folder=$(printf '%s/src/folder%02d' "$work" $((n / per_folder)))
                echo "$work/bases/base$base.v $flip $quality $folder/photo$(printf %03d "$n").jpg"
                n=$((n + 1))
            done
        done
    done >"$work/pictures.txt"
    cut -d' ' -f4 "$work/pictures.txt" | xargs -n1 dirname | sort -u | xargs mkdir -p
    # shellcheck disable=SC2016
    xargs -P"$jobs" -L1 sh -c '
        case $2 in
            none) vips copy "$1" "$4[Q=$3]" ;;
            both) vips rot "$1" "$4[Q=$3]" d180 ;;
            *) vips flip "$1" "$4[Q=$3]" "$2" ;;
        esac' sh <"$work/pictures.txt"
    rm -rf "$work/bases"
    touch "$work/src.done"
fi
pictures=$(find "$work/src" -name '*.jpg' | wc -l)
bytes=$(du -sb "$work/src" | cut -f1)
echo "   $pictures pictures, $((bytes / 1024 / 1024)) MB"

echo "== making the projects with pagelorn-cli"
project=$work/site.www
manual=$work/manual.www
rm -f "$project" "$project.json" "$manual" "$manual.json"
"$cli" new "$project" >/dev/null
"$cli" import "$project" "$work/src" >/dev/null
# The same project with copying "Manual": the export writes the pages and the thumbnails only,
# which is what vipsthumbnail is compared with. copyLinkedFiles is at 300 + 776 of a new project.
python3 - "$project" "$manual" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
assert struct.unpack_from("<i", data, 300)[0] == 0x0044D8C8, "general block not where expected"
struct.pack_into("<i", data, 300 + 776, 0)
open(sys.argv[2], "wb").write(data)
PY
cp "$project.json" "$manual.json"
cat "$project.json"

seconds() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
ratio() { python3 -c 'import sys; print("%.2f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$@"; }
now() { date +%s.%N; }
summary() { sed -n 's/^Exported to [^:]*: //p' "$1"; }

echo "== warming the page cache"
find "$work/src" -name '*.jpg' -exec cat {} + >/dev/null

echo "== thumbnails: the export (pages and thumbnails, copying Manual) against vipsthumbnail"
printf "%-5s %9s %13s %6s %14s %6s %11s %9s\n" round export "vipsthumbnail" ratio \
    "vipsthumb x20" ratio unchanged "w/ copies"
for round in $(seq 1 "$rounds"); do
    rm -rf "$work/out" "$work/vt1" "$work/vt20" "$work/full"
    mkdir -p "$work/vt1" "$work/vt20"
    sync
    t0=$(now)
    if [ "$round" = 1 ]; then
        /usr/bin/time -f "%M" -o "$work/rss.txt" "$cli" export "$manual" --to "$work/out" --yes \
            >"$work/export.log"
    else
        "$cli" export "$manual" --to "$work/out" --yes >"$work/export.log"
    fi
    t1=$(now)
    # One vipsthumbnail per picture, as a shell loop or a Makefile runs it.
    find "$work/src" -name '*.jpg' -print0 |
        xargs -0 -n1 -P"$jobs" vipsthumbnail -s 200x200 -o "$work/vt1/%s.jpg[Q=85,strip]"
    t2=$(now)
    # Twenty pictures per vipsthumbnail: the start of the program paid ten times only.
    find "$work/src" -name '*.jpg' -print0 |
        xargs -0 -n20 -P"$jobs" vipsthumbnail -s 200x200 -o "$work/vt20/%s.jpg[Q=85,strip]"
    t3=$(now)
    "$cli" export "$manual" --to "$work/out" --yes >"$work/unchanged.log"
    t4=$(now)
    "$cli" export "$project" --to "$work/full" --yes >"$work/full.log"
    t5=$(now)
    export_time=$(seconds "$t0" "$t1")
    vt1=$(seconds "$t1" "$t2")
    vt20=$(seconds "$t2" "$t3")
    printf "%-5s %9s %13s %6s %14s %6s %11s %9s\n" "$round" "$export_time" "$vt1" \
        "$(ratio "$export_time" "$vt1")" "$vt20" "$(ratio "$export_time" "$vt20")" \
        "$(seconds "$t3" "$t4")" "$(seconds "$t4" "$t5")"
done
echo "   export:    $(summary "$work/export.log")"
echo "   unchanged: $(summary "$work/unchanged.log")"
echo "   w/ copies: $(summary "$work/full.log")"
made=$(find "$work/out/thumb" -type f | wc -l)
[ "$made" = "$pictures" ] || { echo "expected $pictures thumbnail files, found $made" >&2; exit 1; }
[ "$(find "$work/vt1" -type f | wc -l)" = "$pictures" ] || { echo "vipsthumbnail missed some" >&2; exit 1; }
echo "   peak resident memory of the export: $(( $(cat "$work/rss.txt") / 1024 )) MB"
echo "   thumbnail files: $(du -sb "$work/out/thumb" | cut -f1) bytes; vipsthumbnail's:" \
    "$(du -sb "$work/vt1" | cut -f1) bytes"

echo "== weight of a page of nine pictures (the HTML and every picture it loads)"
python3 - "$work/out" "$work/full" <<'PY'
import os, re, sys
from urllib.parse import unquote
for root, what in ((sys.argv[1], "with thumbnails"), (sys.argv[2], "with thumbnails, copies on")):
    best = None
    for name in sorted(os.listdir(root)):
        if not name.endswith(".htm"):
            continue
        html = open(os.path.join(root, name), "rb").read()
        sources = re.findall(rb'<IMG src = "([^"]+)"', html)
        if len(sources) == 9:
            best = (name, html, sources)
            break
    assert best, "no page shows nine pictures"
    name, html, sources = best
    pictures = sum(os.path.getsize(os.path.join(root, unquote(s.decode()))) for s in sources)
    originals = sum(os.path.getsize(os.path.join(sys.argv[2], unquote(s.decode())
                    .replace("./thumb/", "./image/").rsplit(".", 2)[0]))
                    for s in sources) if what.endswith("on") else 0
    print("   %s (%s): HTML %d bytes + 9 pictures %d bytes = %.1f KB"
          % (name, what, len(html), pictures, (len(html) + pictures) / 1024))
    if originals:
        print("   the same page showing the originals: %.1f MB"
              % ((len(html) + originals) / 1024 / 1024))
PY
