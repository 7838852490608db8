#!/usr/bin/env bash
# Start-up figures, each a ratio of two timings made in the same round: `pagelorn-cli --version`
# against /bin/true, `pagelorn-cli show` of a project of 100,000 items against `cat` of its file
# (with the peak resident memory of both, and the CPU time of each when perf is there), and the
# window under Xvfb until it is shown and idle against xlogo's and against the least a Qt Widgets
# program costs (bench/startup: a main window with a tree view). See README.md.
#
#   bench/startup_bench.sh [ROUNDS]      (default 5 rounds)
#
# Environment: BENCH_DIR (working folder, default a new temporary folder, removed at the end
# unless KEEP=1), BUILD_DIR (default build/startup-bench; a Release build of both programs and
# the media module is made there), RUNS (start-ups per timing, default 200).
set -euo pipefail

rounds=${1:-5}
runs=${RUNS:-200}
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$repo/build/startup-bench}
work=${BENCH_DIR:-$(mktemp -d /tmp/pagelorn-startup-bench.XXXXXX)}
xvfb_pid=

cleanup() {
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
    if [ "${KEEP:-0}" != 1 ] && [ -z "${BENCH_DIR:-}" ]; then rm -rf "$work"; fi
}
trap cleanup EXIT

echo "== building pagelorn-cli and pagelorn (Release) in $build"
cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_TESTS=OFF \
    -DPAGELORN_BENCH=OFF >/dev/null
cmake --build "$build" --target pagelorn-cli pagelorn pagelorn_media -j"$(nproc)" >/dev/null
cmake -S "$repo/bench/startup" -B "$build/minimal" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build/minimal" -j"$(nproc)" >/dev/null
cli=$build/bin/pagelorn-cli
window=$build/bin/pagelorn
minimal=$build/minimal/minimal-window
echo "   libraries linked: pagelorn-cli $(ldd "$cli" | wc -l), pagelorn $(ldd "$window" | wc -l);" \
    "libvips or FFmpeg among them: $(ldd "$cli" "$window" | grep -cE 'libvips|libav' || true)"

mkdir -p "$work"
project=$work/big.www
if [ ! -f "$project" ]; then
    echo "== making a project of 1,000 sub-sites x 100 items"
    python3 - "$work/files" <<'PY'
import os, sys
root = sys.argv[1]
for f in range(1000):
    folder = os.path.join(root, "folder%04d" % f)
    os.makedirs(folder, exist_ok=True)
    for i in range(100):
        open(os.path.join(folder, "item%03d.txt" % i), "w").close()
PY
    "$cli" new "$project" >/dev/null
    "$cli" import "$project" "$work"/files/* --as-site >/dev/null
fi
echo "   $(stat -c %s "$project") bytes, $("$cli" show "$project" | wc -l) lines shown"

# Milliseconds per run of a command run $runs times one after the other.
per_run() {
    local start end
    start=$(date +%s%N)
    for ((i = 0; i < runs; i++)); do "$@" >/dev/null; done
    end=$(date +%s%N)
    echo "scale=3; ($end - $start) / $runs / 1000000" | bc
}
# Peak resident memory in MB.
peak() { /usr/bin/time -f %M "$@" 2>&1 >/dev/null | tail -1 | awk '{printf "%.1f", $1 / 1024}'; }
# CPU milliseconds per run (perf stat's task-clock over $runs runs), or "-" without perf. On a
# machine that other work keeps busy the wall times above wait for a core; this does not.
cpu() {
    if ! command -v perf >/dev/null; then
        echo -
        return
    fi
    perf stat -x, -e task-clock -r "$runs" "$@" 2>&1 >/dev/null | awk -F, '/task-clock/ {printf "%.2f", $1}'
}

echo
echo "== --version and show ($runs start-ups per timing; ms per run)"
printf '%-6s %9s %9s %12s %7s | %9s %9s %6s | %9s %9s\n' round true --version "3xtrue+2" ratio \
    cat show ratio "cat MB" "show MB"
for ((r = 1; r <= rounds; r++)); do
    t=$(per_run /bin/true)
    v=$(per_run "$cli" --version)
    c=$(runs=20 per_run cat "$project")
    s=$(runs=20 per_run "$cli" show "$project")
    printf '%-6s %9s %9s %12s %7s | %9s %9s %6s | %9s %9s\n' "$r" "$t" "$v" \
        "$(echo "scale=3; 3 * $t + 2" | bc)" "$(echo "scale=2; $v / $t" | bc)" "$c" "$s" \
        "$(echo "scale=2; $s / $c" | bc)" "$(peak cat "$project")" "$(peak "$cli" show "$project")"
    printf '%-6s %9s %9s %12s %7s | %9s %9s %6s   (CPU ms per run)\n' cpu "$(cpu /bin/true)" \
        "$(cpu "$cli" --version)" "" "" "$(runs=20 cpu cat "$project")" \
        "$(runs=20 cpu "$cli" show "$project")" ""
done

echo
echo "== the window under Xvfb until shown and idle, against xlogo and a minimal Qt window"
display=:$((90 + RANDOM % 100))
# Without -noreset the server resets when a program closes its last connection, and the next
# program started during that reset cannot connect.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.05; done
export DISPLAY=$display
# Starts the program and reports the milliseconds until its window is viewable, until it has
# used no CPU for 100 ms after that (without those 100 ms), and the CPU it used up to then.
python3 - "$rounds" "$window" "$minimal" <<'PY'
import os, subprocess, sys, time

rounds, window, minimal = int(sys.argv[1]), sys.argv[2], sys.argv[3]

def cpu(pid):
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/schedstat") as f:
                total += int(f.read().split()[0])
        except OSError:
            pass
    return total / 1e6

def viewable(name):
    out = subprocess.run(["xdotool", "search", "--onlyvisible", "--classname", name],
                         capture_output=True, text=True).stdout
    return bool(out.strip())

def start(command, name):
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", HOME=os.environ.get("BENCH_HOME", "/tmp"))
    begin = time.monotonic()
    p = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    while not viewable(name):
        if p.poll() is not None or time.monotonic() - begin > 30:
            raise SystemExit(f"{command[0]} showed no window (exit status {p.poll()},"
                             f" {time.monotonic() - begin:.1f} s)")
        time.sleep(0.002)
    shown = time.monotonic() - begin
    last, still = cpu(p.pid), time.monotonic()
    while time.monotonic() - still < 0.1:
        time.sleep(0.005)
        now = cpu(p.pid)
        if now != last:
            last, still = now, time.monotonic()
    idle = still - begin
    used = cpu(p.pid)
    p.terminate()
    p.wait()
    return shown * 1000, idle * 1000, used

print(f"{'round':6} {'program':15} {'shown':>7} {'idle':>7} {'cpu':>6} | {'shown x':>8} {'idle x':>7}"
      f" {'cpu x':>6}  (x: against xlogo in the same round)")
for r in range(1, rounds + 1):
    x = start(["xlogo"], "xlogo")
    for name, command in (("xlogo", None), ("minimal-window", minimal), ("pagelorn", window)):
        w = x if command is None else start([command], name)
        print(f"{r:<6} {name:15} {w[0]:7.1f} {w[1]:7.1f} {w[2]:6.1f} |"
              f" {w[0] / x[0]:8.2f} {w[1] / x[1]:7.2f} {w[2] / x[2]:6.2f}")
PY
