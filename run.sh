#!/usr/bin/env bash
# Builds Pagelorn (Release) and starts it.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/install-deps.sh

build=build/release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DPAGELORN_TESTS=OFF -DPAGELORN_BENCH=OFF
cmake --build "$build" -j"$(nproc)"

"$build/src/cli/pagelorn-cli" "$@"
