#!/usr/bin/env bash
# Builds Pagelorn (Release) and starts it with the example project, made from examples/site the
# first time. Without a display it exports the example instead and prints where its first page
# is. Arguments, if any, are passed to the program instead (for example another project file).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_TESTS=OFF -DPAGELORN_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)"

cli="$build/bin/pagelorn-cli"
gui="$build/bin/pagelorn"
example="$PWD/example.www"

if [ ! -f "$example" ]; then
    "$cli" new "$example"
    "$cli" import "$example" examples/site
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] || [ ! -x "$gui" ]; then
    out="$PWD/build/example-website"
    "$cli" export "$example" --to "$out" --yes
    echo "No display: the example website was exported to $out"
    echo "Open $out/Index.htm in a browser to see it."
    exit 0
fi

if [ "$#" -gt 0 ]; then
    exec "$gui" "$@"
fi
exec "$gui" "$example"
