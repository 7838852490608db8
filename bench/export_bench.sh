#!/usr/bin/env bash
# The export of a synthetic website (1,000 folders, 20,000 linked files), every figure a ratio of
# two timings made in the same round: the first export against `cp -r` of the sources, a
# re-export with nothing changed against the first export and against looking at every file once
# (`find EXPORT SOURCES -printf`), a re-export after one caption changed against the first
# export, the page rate with copying set to "Manual" (in memory too), and the peak resident
# memory of the first export against that of starting the program, and the system calls of a
# re-export with nothing changed (`strace -c -f`, when strace is installed). See README.md.
#
#   bench/export_bench.sh [ROUNDS]      (default 3 rounds)
#   ITEMS=1000000 bench/export_bench.sh (a large website of empty files, copying "Manual": the
#                                        first export, a re-export with nothing changed, their
#                                        CPU and peak memory; nothing else)
#
# Environment: BENCH_DIR (working folder, default a new temporary folder, removed at the end
# unless KEEP=1), BENCH_MEMORY_DIR (a folder on a memory file system, default /tmp when it is a
# tmpfs), BUILD_DIR (default build/export-bench; a Release build of pagelorn-cli is made
# there; CLI names a pagelorn-cli to measure instead), ITEMS (default 20000, spread over 1,000
# folders).
set -euo pipefail

rounds=${1:-3}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build/export-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/pagelorn-export-bench.XXXXXX)}
items=${ITEMS:-20000}
folders=1000
files_per_folder=$(( (items + folders - 1) / folders ))
file_size=20480
# Anything but the usual size is the large run: empty files of no picture type.
large=0
if [ "$items" != 20000 ]; then large=1; file_size=0; fi

cleanup() { if [ "${KEEP:-0}" != 1 ] && [ -z "${BENCH_DIR:-}" ]; then rm -rf "$work"; fi; }
trap cleanup EXIT

if [ -n "${CLI:-}" ]; then
    cli=$CLI
else
    echo "== building pagelorn-cli (Release) in $build"
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_GUI=OFF -DPAGELORN_TESTS=OFF \
        -DPAGELORN_BENCH=OFF >/dev/null
    cmake --build "$build" --target pagelorn-cli -j"$(nproc)" >/dev/null
    cli=$build/bin/pagelorn-cli
fi

echo "== making $folders folders x $files_per_folder files of $file_size bytes in $work/src"
mkdir -p "$work"
if [ -f "$work/src.done" ] && [ "$(cat "$work/src.done")" = "$items $file_size" ]; then
    echo "   (kept from an earlier run)"
else
rm -rf "$work/src"
python3 - "$work/src" "$folders" "$files_per_folder" "$file_size" <<'PY'
import os, struct, sys

root, folders, per_folder, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])

def segment(marker, payload):
    return bytes([0xFF, marker]) + struct.pack(">H", len(payload) + 2) + payload

def jpeg(width, height, total, orientation):
    # A baseline greyscale JPEG of flat 8x8 blocks: one-code Huffman tables make every block
    # "DC difference 0, end of block", two bits.
    blocks = ((width + 7) // 8) * ((height + 7) // 8)
    bits = "00" * blocks
    bits += "1" * (-len(bits) % 8)
    scan = bytes(int(bits[i:i + 8], 2) for i in range(0, len(bits), 8))
    head = b"\xFF\xD8" + segment(0xE0, b"JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00")
    # An EXIF segment with the orientation, as a camera writes it: half the photos are turned.
    head += segment(0xE1, b"Exif\x00\x00II\x2A\x00\x08\x00\x00\x00\x01\x00\x12\x01\x03\x00"
                    + b"\x01\x00\x00\x00" + bytes([orientation, 0, 0, 0]) + b"\x00" * 4)
    body = segment(0xDB, b"\x00" + b"\x01" * 64)
    body += segment(0xC0, struct.pack(">BHHB", 8, height, width, 1) + b"\x01\x11\x00")
    table = bytes([1] + [0] * 15) + b"\x00"
    body += segment(0xC4, b"\x00" + table) + segment(0xC4, b"\x10" + table)
    body += segment(0xDA, b"\x01\x01\x00\x00\x3F\x00") + scan + b"\xFF\xD9"
    filler = total - len(head) - len(body) - 4
    return head + segment(0xFE, b"x" * max(filler, 0)) + body

def gif(width, height, total):
    # 256 colours, every pixel a literal 9-bit LZW code, a clear code every 250 codes so the
    # code width never grows.
    palette = bytes(v for i in range(256) for v in (i, 255 - i, (i * 7) & 255))
    codes = []
    for i in range(width * height):
        if i % 250 == 0:
            codes.append(256)
        codes.append((i * 31 + i // width) & 255)
    codes.append(257)
    acc = nbits = 0
    data = bytearray()
    for code in codes:
        acc |= code << nbits
        nbits += 9
        while nbits >= 8:
            data.append(acc & 255)
            acc >>= 8
            nbits -= 8
    if nbits:
        data.append(acc & 255)
    blocks = b"".join(bytes([len(data[i:i + 255])]) + data[i:i + 255]
                      for i in range(0, len(data), 255)) + b"\x00"
    head = b"GIF89a" + struct.pack("<HHBBB", width, height, 0xF7, 0, 0) + palette
    image = b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0) + b"\x08" + blocks + b"\x3B"
    filler = total - len(head) - len(image) - 3
    comment = b"\x21\xFE"
    while filler > 0:
        n = min(255, filler)
        comment += bytes([n]) + b"c" * n
        filler -= n + 1
    return head + comment + b"\x00" + image

picture = {"jpg": jpeg(640, 480, size, 1), "jpg6": jpeg(640, 480, size, 6),
           "gif": gif(128, 96, size)}
others = ["doc", "pdf", "txt", "zip", "mp3", "avi", "bin", "xls", "html"]
# Ten sub-sites of the root, each holding files and the folders below it: every page's Top
# Navigator links to the root's sub-sites, and a thousand of them would make every page 60 KB.
groups = 10
n = 0
if size == 0:
    others = [e for e in others if e not in ("avi", "mp3")]
for f in range(folders):
    group = f * groups // folders
    first_of_group = group * folders // groups
    folder = os.path.join(root, "group%02d" % group)
    if f != first_of_group:
        folder = os.path.join(folder, "folder%04d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(per_folder):
        if size == 0:
            ext = others[n % len(others)]
            data = b""
        elif n % 10 == 0:
            ext = "jpg" if (n // 10) % 2 == 0 else "gif"
            data = picture["jpg6" if ext == "jpg" and (n // 20) % 2 == 1 else ext]
        else:
            ext = others[n % len(others)]
            data = os.urandom(size)
        with open(os.path.join(folder, "file%05d.%s" % (n, ext)), "wb") as out:
            out.write(data)
        n += 1
PY
echo "$items $file_size" >"$work/src.done"
fi

echo "== making the project with pagelorn-cli"
project=$work/site.www
rm -f "$project" "$work/manual.www"
"$cli" new "$project" >/dev/null
"$cli" import "$project" "$work/src" >/dev/null

# "Manual" copying and a 1 x 1 canvas (one page per item) for the page rate. A new project's
# header is 2394 bytes before the layout block; copyLinkedFiles is at 300 + 776, the canvas's
# columns and rows at 2394 + 3408 + 560 and + 564.
python3 - "$project" "$work/manual.www" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
layout, canvas = 2394, 2394 + 3408
assert struct.unpack_from("<i", data, 300)[0] == 0x0044D8C8, "general block not where expected"
assert struct.unpack_from("<i", data, layout)[0] == 0x0044D8DC, "layout block not where expected"
assert struct.unpack_from("<i", data, canvas)[0] == 0x0044D8D4, "canvas block not where expected"
struct.pack_into("<i", data, 300 + 776, 0)
struct.pack_into("<ii", data, canvas + 560, 1, 1)
open(sys.argv[2], "wb").write(data)
PY

# The elapsed seconds, user and system CPU seconds and peak resident kilobytes of a command, in
# the file $1.
measure() {
    local into=$1
    shift
    /usr/bin/time -f "%e %U %S %M" -o "$into" "$@"
}
cpu() { awk '{ printf "%.2f", $2 + $3 }' "$1"; }
peak_mb() { awk '{ printf "%.1f", $4 / 1024 }' "$1"; }
measure "$work/startup.txt" "$cli" --version >/dev/null
startup_mb=$(peak_mb "$work/startup.txt")

if [ "$large" = 1 ]; then
    # Copying "Manual": a million copies would measure the disk.
    python3 - "$project" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
assert struct.unpack_from("<i", data, 300)[0] == 0x0044D8C8, "general block not where expected"
struct.pack_into("<i", data, 300 + 776, 0)
open(sys.argv[1], "wb").write(data)
PY
    project_mb=$(python3 -c 'import os, sys; print("%.1f" % (os.path.getsize(sys.argv[1]) / 1048576))' "$project")
    echo "== $items items, project file $project_mb MB; start-up peak $startup_mb MB"
    printf "%-6s %-10s %9s %9s %9s %10s\n" round export elapsed CPU "/first" "peak MB"
    for round in $(seq 1 "$rounds"); do
        rm -rf "$work/out"
        sync
        measure "$work/first.txt" "$cli" export "$project" --to "$work/out" --yes >"$work/first.log"
        sync
        measure "$work/unchanged.txt" "$cli" export "$project" --to "$work/out" --yes \
            >"$work/unchanged.log"
        ratio=$(python3 -c 'import sys; print("%.3f" % (float(sys.argv[1]) / float(sys.argv[2])))' \
            "$(cpu "$work/unchanged.txt")" "$(cpu "$work/first.txt")")
        printf "%-6s %-10s %9s %9s %9s %10s\n" "$round" first "$(awk '{print $1}' "$work/first.txt")" \
            "$(cpu "$work/first.txt")" "" "$(peak_mb "$work/first.txt")"
        printf "%-6s %-10s %9s %9s %9s %10s\n" "$round" unchanged \
            "$(awk '{print $1}' "$work/unchanged.txt")" "$(cpu "$work/unchanged.txt")" "$ratio" \
            "$(peak_mb "$work/unchanged.txt")"
    done
    echo "   first:     $(sed -n 's/^Exported to [^:]*: //p' "$work/first.log")"
    echo "   unchanged: $(sed -n 's/^Exported to [^:]*: //p' "$work/unchanged.log")"
    echo "   memory limit (1.5 x the project file + 40 MB): $(python3 -c 'import sys; print("%.1f" % (1.5 * float(sys.argv[1]) + 40))' "$project_mb") MB"
    exit 0
fi

seconds() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[2]) - float(sys.argv[1])))' "$@"; }
ratio() { python3 -c 'import sys; print("%.3f" % (float(sys.argv[1]) / float(sys.argv[2])))' "$@"; }
now() { date +%s.%N; }
summary() { sed -n 's/^Exported to [^:]*: //p' "$1"; }

# One caption changed, in place (same length): the item of file00101, whose page is rewritten.
change_caption() {
    python3 - "$project" <<'PY'
import re, struct, sys
path = sys.argv[1]
data = bytearray(open(path, "rb").read())
# The caption is stored after its 4-byte length: the file's name ("file00101.txt") or, where the
# import takes titles, the name without its extension. The URL after it holds the name too.
for found in re.finditer(rb"[fF]ile00101", data):
    at = found.start()
    length = struct.unpack_from("<I", data, at - 4)[0]
    if length in (9, 13) and (length == 9 or data[at + 9:at + 10] == b"."):
        break
else:
    raise AssertionError("caption not found")
data[at] = ord("F") if data[at] == ord("f") else ord("f")
open(path, "wb").write(data)
PY
}

echo "== warming the page cache"
cp -r "$work/src" "$work/warm" && rm -rf "$work/warm"

echo "== copying on: first export, re-export unchanged, re-export after one caption changed"
printf "%-5s %8s %9s %6s %9s %8s %7s %7s %9s %6s\n" round "cp -r" first "/cp" unchanged find \
    "/first" "/find" caption "/first"
for round in $(seq 1 "$rounds"); do
    rm -rf "$work/copy" "$work/out"
    sync
    t0=$(now)
    cp -r "$work/src" "$work/copy"
    sync
    t1=$(now)
    if [ "$round" = 1 ]; then
        # The first round also measures the peak resident memory of the first export.
        /usr/bin/time -f "%M" -o "$work/rss.txt" "$cli" export "$project" --to "$work/out" --yes \
            >"$work/first.log"
    else
        "$cli" export "$project" --to "$work/out" --yes >"$work/first.log"
    fi
    sync
    t2=$(now)
    "$cli" export "$project" --to "$work/out" --yes >"$work/unchanged.log"
    t3=$(now)
    find "$work/out" "$work/src" -printf '%s %T@\n' >/dev/null
    t4=$(now)
    change_caption
    # The disk settles first (the deletions of the last round are discarded in the background
    # on this kind of disk, and a rename may wait for that).
    sync
    t5=$(now)
    "$cli" export "$project" --to "$work/out" --yes >"$work/caption.log"
    t6=$(now)
    cp_time=$(seconds "$t0" "$t1")
    first=$(seconds "$t1" "$t2")
    unchanged=$(seconds "$t2" "$t3")
    find_time=$(seconds "$t3" "$t4")
    caption=$(seconds "$t5" "$t6")
    printf "%-5s %8s %9s %6s %9s %8s %7s %7s %9s %6s\n" "$round" "$cp_time" "$first" \
        "$(ratio "$first" "$cp_time")" "$unchanged" "$find_time" "$(ratio "$unchanged" "$first")" \
        "$(ratio "$unchanged" "$find_time")" "$caption" "$(ratio "$caption" "$first")"
done
echo "   first:     $(summary "$work/first.log")"
echo "   unchanged: $(summary "$work/unchanged.log")"
echo "   caption:   $(summary "$work/caption.log")"
echo "   peak resident memory of the first export: $(( $(cat "$work/rss.txt") / 1024 )) MB" \
    "(starting the program: $startup_mb MB)"

# What the re-export asks of the system, against `find` looking at every file once.
if command -v strace >/dev/null; then
    echo "== system calls of a re-export with nothing changed (strace -c -f)"
    "$cli" export "$project" --to "$work/out" --yes >/dev/null
    strace -c -f -o "$work/strace-export.txt" "$cli" export "$project" --to "$work/out" --yes \
        >/dev/null
    strace -c -f -o "$work/strace-find.txt" find "$work/out" "$work/src" -printf '%s %T@\n' \
        >/dev/null
    printf "   files: %s sources, %s in the export folder\n" \
        "$(find "$work/src" -type f | wc -l)" "$(find "$work/out" -type f | wc -l)"
    calls() {
        awk -v name="$2" '$NF == name { print $4; found = 1 } END { if (!found) print 0 }' "$1"
    }
    printf "   %-12s %8s %8s\n" call export find
    for call in newfstatat fstatat64 statx lstat stat fstat openat read getdents64; do
        e=$(calls "$work/strace-export.txt" "$call")
        f=$(calls "$work/strace-find.txt" "$call")
        if [ "$e" != 0 ] || [ "$f" != 0 ]; then printf "   %-12s %8s %8s\n" "$call" "$e" "$f"; fi
    done
fi

# The page rate, on the work folder's disk and on a memory file system when there is one. As a
# yardstick, `cp -r` of the written pages shows what creating that many files costs there.
page_rate() {
    local out=$1
    printf "%-6s %8s %12s %10s %16s\n" round pages "export (s)" "pages/s" "cp -r pages/s"
    for round in $(seq 1 "$rounds"); do
        rm -rf "$out" "$out.copy"
        # Deleting the last round's files leaves the disk busy for a while; let it settle.
        sync
        t0=$(now)
        "$cli" export "$work/manual.www" --to "$out" --yes >"$work/export.log"
        t1=$(now)
        sync
        t2=$(now)
        cp -r "$out" "$out.copy"
        t3=$(now)
        pages=$(sed -n 's/.*: \([0-9]*\) pages written.*/\1/p' "$work/export.log")
        rates=$(python3 -c 'import sys; p, a, b, c, d = int(sys.argv[1]), *map(float, sys.argv[2:])
print("%.3f %.0f %.0f" % (b - a, p / (b - a), p / (d - c)))' "$pages" "$t0" "$t1" "$t2" "$t3")
        read -r export_time rate copy_rate <<<"$rates"
        printf "%-6s %8s %12s %10s %16s\n" "$round" "$pages" "$export_time" "$rate" "$copy_rate"
    done
    rm -rf "$out" "$out.copy"
}

echo "== copying Manual, 1 x 1 canvas, into $work"
page_rate "$work/out-manual"
# Exports into /dev/shm are refused (nothing inside /dev is ever written); /tmp is memory too
# where it is a tmpfs.
memory_dir=${BENCH_MEMORY_DIR:-}
if [ -z "$memory_dir" ] && [ "$(stat -f -c %T /tmp)" = tmpfs ]; then memory_dir=/tmp; fi
if [ -n "$memory_dir" ]; then
    echo "== copying Manual, 1 x 1 canvas, into $memory_dir (memory)"
    page_rate "$memory_dir/pagelorn-export-bench.$$"
fi
