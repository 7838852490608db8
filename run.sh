#!/usr/bin/env bash
# Builds Pagelorn (Release) and starts it with the example project, made from examples/site the
# first time. Without a display it exports the example instead and prints where its first page
# is. Arguments, if any, are passed to the program instead (for example another project file);
# without a display, a project file given exports that project into its own export folder.
set -euo pipefail
started_in=$PWD
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
    if [ "$#" -gt 0 ] && [ "${1#-}" = "$1" ]; then
        project=$1
        [ "${project#/}" != "$project" ] || project="$started_in/$project"
        # The check lists what is wrong and names the folder; an export folder that holds files
        # this project did not make is not cleared without the user's word (export refuses it).
        check=$("$cli" check "$project") && status=0 || status=$?
        [ "$status" -lt 2 ] || { echo "$check"; exit "$status"; }
        echo "$check"
        folder=$(sed -n 's/^export folder: //p' <<<"$check")
        yes=--yes
        if grep -q "this project did not make" <<<"$check"; then yes=; fi
        "$cli" export "$project" $yes && status=0 || status=$?
        if [ "$status" -ge 2 ]; then
            echo "No display: $project was not exported to $folder (see above)."
            exit "$status"
        fi
        echo "No display: $project was exported to $folder"
        echo "Open $folder/Index.htm in a browser to see it."
        exit "$status"
    fi
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
