#!/usr/bin/env bash
# The modern page style measured as a visitor's browser sees it: 24 generated camera photos of
# 4000 x 3000 (four of them upright by their EXIF orientation), 3 PDFs and 2 text files in three
# folders, exported in the modern style and served on 127.0.0.1; Lighthouse 12.2.3 (mobile) on
# the index, an album page and a photo page. Also the export times of both styles on the same
# project (the modern one with and without view pictures) and of `vipsthumbnail` making the same
# view pictures. See README.md.
#
#   bench/lighthouse_bench.sh [ROUNDS]      (default 3 rounds of the export timings)
#
# Environment: BENCH_DIR (working folder, default a new temporary folder, removed at the end
# unless KEEP=1), BUILD_DIR (default build/export-bench; a Release build of pagelorn-cli is made
# there), CLI (a pagelorn-cli to use instead of building one), CHROMIUM (default
# /usr/bin/chromium). Lighthouse comes from bench/lighthouse/package-lock.json (npm ci).
set -euo pipefail

rounds=${1:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
here=$repo/bench/lighthouse
build=${BUILD_DIR:-$repo/build/export-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/pagelorn-lighthouse-bench.XXXXXX)}
jobs=$(nproc)

cleanup() { if [ "${KEEP:-0}" != 1 ] && [ -z "${BENCH_DIR:-}" ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

for tool in vips vipsthumbnail python3 node npm; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (libvips-tools, python3, nodejs)" >&2; exit 2; }
done
if ! cmp -s "$here/package-lock.json" "$here/node_modules/.pagelorn-installed" 2>/dev/null; then
    (cd "$here" && npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.pagelorn-installed)
fi

if [ -n "${CLI:-}" ]; then
    cli=$CLI
else
    echo "== building pagelorn-cli (Release) in $build"
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_GUI=OFF \
        -DPAGELORN_TESTS=OFF -DPAGELORN_BENCH=OFF >/dev/null
    cmake --build "$build" --target pagelorn-cli -j"$jobs" >/dev/null
    cli=$build/bin/pagelorn-cli
fi

src=$work/src
if [ ! -f "$work/src.done" ]; then
    echo "== making 24 photos of 4000 x 3000, 3 PDFs and 2 text files in $src"
    rm -rf "$src" "$work/bases"
    mkdir -p "$src/Harbour" "$src/Mountains" "$src/Papers" "$work/bases"
    for base in 1 2 3; do
        b="$work/bases"
        for band in 1 2 3; do
            vips perlin "$b/p$band.v" 4000 3000 --cell-size $((90 + 100 * ((base + band) % 3))) \
                --seed $((base * 10 + band))
        done
        vips bandjoin "$b/p1.v $b/p2.v $b/p3.v" "$b/rgb.v"
        vips linear "$b/rgb.v" "$b/scaled.v" 110 128
        vips gaussnoise "$b/grain.v" 4000 3000 --mean 0 --sigma $((6 + 3 * base))
        vips add "$b/scaled.v" "$b/grain.v" "$b/sum.v"
        vips cast "$b/sum.v" "$b/base$base.v" uchar
    done
    n=0
    for folder in Harbour Mountains; do
        for i in $(seq 1 12); do
            n=$((n + 1))
            vips flip "$work/bases/base$(((n % 3) + 1)).v" "$work/bases/f.v" \
                "$([ $((n % 2)) = 0 ] && echo horizontal || echo vertical)"
            vips jpegsave "$work/bases/f.v" "$src/$folder/IMG_$(printf %04d $n).JPG" --Q $((80 + n % 12))
        done
    done
    # Four of them were taken upright: an EXIF orientation of 6 (turn 90 degrees clockwise).
    python3 - "$src/Harbour/IMG_0003.JPG" "$src/Harbour/IMG_0007.JPG" \
        "$src/Mountains/IMG_0015.JPG" "$src/Mountains/IMG_0020.JPG" <<'PY'
import struct, sys
for name in sys.argv[1:]:
    data = open(name, 'rb').read()
    tiff = b'II*\x00' + struct.pack('<I', 8) + struct.pack('<H', 1)
    tiff += struct.pack('<HHIHH', 0x0112, 3, 1, 6, 0) + struct.pack('<I', 0)
    segment = b'\xff\xe1' + struct.pack('>H', len(tiff) + 8) + b'Exif\x00\x00' + tiff
    open(name, 'wb').write(data[:2] + segment + data[2:])
PY
    for i in 1 2 3; do
        {
            printf '%%PDF-1.4\n'
            head -c $((400000 * i)) /dev/urandom | base64
            printf '%%%%EOF\n'
        } > "$src/Papers/report-$i.pdf"
    done
    printf 'Notes for the trip.\n' > "$src/Papers/notes.txt"
    printf 'Packing list.\n' > "$src/Papers/list.txt"
    rm -rf "$work/bases"
    touch "$work/src.done"
fi

echo "== making the projects"
rm -rf "$work/projects" "$work/out"
mkdir -p "$work/projects" "$work/out"
"$cli" new "$work/projects/modern.www" >/dev/null
"$cli" import "$work/projects/modern.www" "$src" >/dev/null
settings=$(cat "$work/projects/modern.www.json")
for variant in classic noview; do
    cp "$work/projects/modern.www" "$work/projects/$variant.www"
done
python3 - "$work/projects" <<'PY'
import json, sys
folder = sys.argv[1]
settings = json.load(open(f'{folder}/modern.www.json'))
settings['pages']['style'] = 'classic'
json.dump(settings, open(f'{folder}/classic.www.json', 'w'))
settings['pages']['style'] = 'modern'
settings['pictures']['view'] = 0
json.dump(settings, open(f'{folder}/noview.www.json', 'w'))
PY

seconds() { python3 -c 'import sys,time; print(f"{time.time():.3f}")'; }
echo "== export times (seconds), $rounds rounds, warm page cache"
echo "| round | classic | modern without view pictures | / classic | modern | view pictures | vipsthumbnail, the same files | / vipsthumbnail |"
echo "|---|---|---|---|---|---|---|---|"
cat "$src"/*/*.JPG > /dev/null
for round in $(seq 1 "$rounds"); do
    declare -A took
    for variant in classic noview modern; do
        rm -rf "$work/out/$variant"
        start=$(seconds)
        "$cli" export "$work/projects/$variant.www" --to "$work/out/$variant" --yes >/dev/null
        end=$(seconds)
        took[$variant]=$(python3 -c "print(f'{$end - $start:.2f}')")
    done
    rm -rf "$work/vips" && mkdir -p "$work/vips"
    start=$(seconds)
    # The same files as the export's view pictures: 1600 pixels, and 3200 (every photo here is
    # large enough for its 2x picture).
    find "$src" -name '*.JPG' -print0 |
        xargs -0 -P"$jobs" -n1 sh -c 'vipsthumbnail "$0" -s 1600x1600 -o "'"$work/vips"'/%s.1600.jpg[Q=85,strip]" &&
            vipsthumbnail "$0" -s 3200x3200 -o "'"$work/vips"'/%s.3200.jpg[Q=85,strip]"'
    end=$(seconds)
    vipstook=$(python3 -c "print(f'{$end - $start:.2f}')")
    python3 - "${took[classic]}" "${took[noview]}" "${took[modern]}" "$vipstook" "$round" <<'PY'
import sys
classic, noview, modern, vips, round_ = map(float, sys.argv[1:])
views = modern - noview
print(f"| {int(round_)} | {classic:.2f} | {noview:.2f} | {noview / classic:.2f} | {modern:.2f} | "
      f"{views:.2f} | {vips:.2f} | {views / vips:.2f} |")
PY
done

web=$work/out/modern
album=$(cd "$web" && ls Index_Harbour.htm)
photo=$(cd "$web" && ls Index_Harbour_IMG_0002*.htm | head -1)
echo "== Lighthouse 12.2.3 (mobile) on index.html, $album and $photo"
node "$here/run-lighthouse.mjs" "$web" index.html "$album" "$photo"
