#!/usr/bin/env bash
# Makes the example website as ./run.sh does (pagelorn-cli new, import, export), then opens it in
# headless Chromium and checks every page, picture and link (check-site.mjs).
#   browser-test.sh PAGELORN_CLI SOURCE_FOLDER [check-site options]
set -euo pipefail
cli=$1
source_folder=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
    echo "puppeteer-core is not installed: run scripts/install-test-deps.sh (test.sh does)" >&2
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" new "$work/example.www" >/dev/null
"$cli" import "$work/example.www" "$source_folder" >/dev/null
"$cli" export "$work/example.www" --to "$work/website" --yes
node "$here/check-site.mjs" "$work/website" "$@"
