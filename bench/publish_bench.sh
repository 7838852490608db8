#!/usr/bin/env bash
# Publishing a synthetic website (20,000 linked files of 20 KB, about 400 MB) over SFTP to an
# OpenSSH server started on 127.0.0.1 and a free port, against `rsync -a` over the same server:
# the first publish against the first rsync into an empty folder, a publish with nothing changed
# against an rsync with nothing changed, and the peak resident memory of the first publish. See
# README.md.
#
#   bench/publish_bench.sh
#
# Environment: FILES (default 20000), BENCH_DIR (working folder, default a new temporary folder,
# removed at the end), BUILD_DIR (default build/publish-bench; a Release build of pagelorn-cli is
# made there), CLI (a pagelorn-cli to use instead of building one), BEFORE_CLI (another
# pagelorn-cli, e.g. of an older build, whose first publish is timed too, into a folder of its
# own, right after the first rsync; BEFORE_MODULE names its transfer module). Needs
# openssh-server, rsync, python3 and /usr/bin/time. rsync leaves out hidden files as publishing does (the export's own
# records stay at home).
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build/publish-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/pagelorn-publish-bench.XXXXXX)}
files=${FILES:-20000}
per_folder=20
file_size=20480
sshd_pid=

cleanup() {
    if [ -n "$sshd_pid" ]; then kill "$sshd_pid" 2>/dev/null || true; fi
    if [ -z "${BENCH_DIR:-}" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

for tool in /usr/sbin/sshd rsync python3 /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "publish_bench.sh needs $tool" >&2; exit 2; }
done

if [ -n "${CLI:-}" ]; then
    cli=$CLI
else
    echo "== building pagelorn-cli (Release) in $build"
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_GUI=OFF -DPAGELORN_TESTS=OFF \
        -DPAGELORN_BENCH=OFF >/dev/null
    cmake --build "$build" --target pagelorn-cli -j"$(nproc)" >/dev/null
    cli=$build/bin/pagelorn-cli
fi

echo "== making $files files of $file_size bytes in $work/src ($per_folder a folder)"
mkdir -p "$work/src" "$work/home/.ssh" "$work/server"
python3 - "$work/src" "$files" "$per_folder" "$file_size" <<'PY'
import os, sys
root, files, per_folder, size = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), int(sys.argv[4])
for i in range(files):
    folder = os.path.join(root, "f%04d" % (i // per_folder))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "doc%05d.pdf" % i), "wb") as out:
        out.write(os.urandom(size))
PY

echo "== the project and its export"
"$cli" new "$work/site.www" --force >/dev/null
"$cli" import "$work/site.www" "$work/src"/* >/dev/null
# Publish brings the same export folder up to date first, so the timings below compare the
# uploads.
export_folder=$work/export
"$cli" set "$work/site.www" location="$export_folder" >/dev/null
# Its report is kept: a page that a later run writes again (it should find every page up to
# date) is explained by the problems this export noted.
"$cli" export "$work/site.www" >"$work/first-export.log" 2>&1 ||
    { cat "$work/first-export.log" >&2; exit 1; }
tail -n 1 "$work/first-export.log"

echo "== an OpenSSH server on 127.0.0.1"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
ssh-keygen -q -t ed25519 -N '' -f "$work/server/host_key"
ssh-keygen -q -t ed25519 -N '' -f "$work/home/.ssh/id_ed25519"
cp "$work/home/.ssh/id_ed25519.pub" "$work/server/authorized_keys"
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/server/host_key.pub")" >"$work/home/.ssh/known_hosts"
cat >"$work/server/sshd_config" <<EOF
Port $port
ListenAddress 127.0.0.1
HostKey $work/server/host_key
PidFile $work/server/sshd.pid
AuthorizedKeysFile $work/server/authorized_keys
StrictModes no
UsePAM no
PermitRootLogin prohibit-password
Subsystem sftp internal-sftp
LogLevel ERROR
EOF
if [ "$(id -u)" = 0 ]; then mkdir -p /run/sshd; fi
/usr/sbin/sshd -D -e -f "$work/server/sshd_config" 2>"$work/server/log" &
sshd_pid=$!
for _ in $(seq 100); do
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && break
    sleep 0.1
done
user=$(id -un)
ssh_command="ssh -p $port -i $work/home/.ssh/id_ed25519 -o UserKnownHostsFile=$work/home/.ssh/known_hosts -o BatchMode=yes"

seconds() { python3 -c 'import sys; print("%.2f" % float(sys.argv[1]))' "$1"; }
ticks=$(getconf CLK_TCK)
# The CPU ticks of the server and of the sessions it started and reaped.
server_ticks() { awk '{print $14 + $15 + $16 + $17}' "/proc/$sshd_pid/stat"; }
# run LABEL COMMAND...: the wall time into $elapsed, the peak resident KB into $peak, the CPU
# seconds of the program and its children (ssh for rsync) into $client_cpu, and those of the
# server's sessions into $server_cpu.
run() {
    local label=$1 start end before user_cpu system_cpu
    shift
    before=$(server_ticks)
    start=$(date +%s.%N)
    /usr/bin/time -f '%M %U %S' -o "$work/time.txt" "$@" >"$work/$label.out" 2>"$work/$label.err" ||
        { echo "$label failed:" >&2; cat "$work/$label.err" >&2; exit 1; }
    end=$(date +%s.%N)
    elapsed=$(python3 -c "print($end - $start)")
    read -r peak user_cpu system_cpu < <(tail -1 "$work/time.txt")
    client_cpu=$(python3 -c "print('%.2f' % ($user_cpu + $system_cpu))")
    # A session's time counts once the server reaped it.
    for _ in $(seq 100); do
        [ -z "$(pgrep -P "$sshd_pid")" ] && break
        sleep 0.1
    done
    server_cpu=$(python3 -c "print('%.2f' % (($(server_ticks) - $before) / $ticks))")
    echo "$label: $(seconds "$elapsed") s, CPU $client_cpu s here and $server_cpu s in the server"
}

sync
run rsync_first rsync -a --exclude='.*' -e "$ssh_command" "$export_folder/" "$user@127.0.0.1:$work/target-rsync/"
rsync_first=$elapsed
# Each first publish hashes the export's files: none finds the digests another one kept.
if [ -n "${BEFORE_CLI:-}" ]; then
    rm -f "$export_folder/.pagelorn-publish-cache"
    sync
    run before_first env HOME="$work/home" SSH_AUTH_SOCK= PAGELORN_TRANSFER_MODULE="${BEFORE_MODULE:-}" \
        "$BEFORE_CLI" publish "$work/site.www" --to "sftp://$user@127.0.0.1:$port$work/target-before"
    before_first=$elapsed
fi
run rsync_again rsync -a --exclude='.*' -e "$ssh_command" "$export_folder/" "$user@127.0.0.1:$work/target-rsync/"
rsync_again=$elapsed
url="sftp://$user@127.0.0.1:$port$work/target-publish"
rm -f "$export_folder/.pagelorn-publish-cache"
sync
run publish_first env HOME="$work/home" SSH_AUTH_SOCK= "$cli" publish "$work/site.www" --to "$url"
publish_first=$elapsed
publish_peak=$peak
run publish_again env HOME="$work/home" SSH_AUTH_SOCK= "$cli" publish "$work/site.www" --to "$url"
publish_again=$elapsed
echo
echo "files: $files of $file_size bytes ($(du -sm "$export_folder" | cut -f1) MB exported)"
echo "first:   publish $(seconds "$publish_first") s, rsync -a $(seconds "$rsync_first") s," \
    "ratio $(python3 -c "print('%.2f' % ($publish_first / $rsync_first))") (target 1.5)"
if [ -n "${BEFORE_CLI:-}" ]; then
    echo "first, $BEFORE_CLI: $(seconds "$before_first") s," \
        "ratio $(python3 -c "print('%.2f' % ($before_first / $rsync_first))")"
fi
echo "again:   publish $(seconds "$publish_again") s, rsync -a $(seconds "$rsync_again") s," \
    "ratio $(python3 -c "print('%.2f' % ($publish_again / $rsync_again))") (target 1.0)"
echo "peak memory of the first publish: $((publish_peak / 1024)) MB (target 100)"
tail -1 "$work/publish_first.out"
# The export makes every category folder, empty or not; publishing sends files, so the empty
# folders rsync made are not part of the comparison. The publish sends the export as it brought
# it up to date, so a page the export wrote again differs from the copy rsync sent before.
find "$work/target-rsync" -mindepth 1 -type d -empty -delete
files_of() { (cd "$1" && find . -type f ! -path '*/.*' -print0 | sort -z | xargs -0 md5sum); }
[ "$(files_of "$export_folder")" = "$(files_of "$work/target-publish")" ] ||
    { echo "the published folder differs from the export" >&2; exit 1; }
if ! diff -rq --exclude='.*' "$work/target-rsync" "$work/target-publish" >"$work/rsync-diff.txt"; then
    echo "the export was brought up to date between rsync and the publish:"
    cat "$work/rsync-diff.txt"
fi
