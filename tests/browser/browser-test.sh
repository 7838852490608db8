#!/usr/bin/env bash
# Makes the example website as ./run.sh does (pagelorn-cli new, import, export: a new project
# makes thumbnail files and modern pages), then opens it in headless Chromium and checks every
# page, picture, thumbnail and link (check-site.mjs), and what the modern style promises at the
# size of a phone and of a desktop: no sideways scrolling, axe-core and the Nu Html Checker
# without a complaint, keys and pages without JavaScript (check-modern.mjs); then the same project
# as an older one without its website settings (no thumbnails, the pictures themselves in the box,
# classic pages); files whose names a link could break; and a website with a video, whose page
# plays it (check-video.mjs).
#   browser-test.sh PAGELORN_CLI SOURCE_FOLDER [check-site options]
set -euo pipefail
cli=$1
source_folder=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
for module in puppeteer-core @axe-core/puppeteer vnu-jar; do
    if [ ! -d "$here/node_modules/$module" ]; then
        echo "$module is not installed: run scripts/install-test-deps.sh (test.sh does)" >&2
        exit 1
    fi
done
# The pages are judged here, leaks by the unit tests: in a sanitizer build LeakSanitizer's own pass
# at the program's exit can crash ("Tracer caught signal 11") once the picture module's glib was
# loaded with dlopen, which would fail this test for nothing it checks.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$cli" new "$work/example.www" >/dev/null
"$cli" import "$work/example.www" "$source_folder" >/dev/null
"$cli" export "$work/example.www" --to "$work/website" --yes
node "$here/check-site.mjs" "$work/website" --expect-thumbnails "$@"
node "$here/check-modern.mjs" "$work/website"
rm "$work/example.www.json"
"$cli" export "$work/example.www" --to "$work/plain-website" --yes
if [ -e "$work/plain-website/thumb" ] || [ -e "$work/plain-website/index.html" ]; then
    echo "a project without website settings made thumbnail files or modern pages" >&2
    exit 1
fi
node "$here/check-site.mjs" "$work/plain-website" "$@"

# Files whose names a link could break: quotes, "&", "#", "%", "<", non-ASCII letters. Exported
# twice, the second time into the first export (only what changed is written).
odd="$work/odd/$(printf 'Caf\xc3\xa9') & more"
mkdir -p "$odd"
cp "$source_folder/logo.gif" "$odd/$(printf 'caf\xc3\xa9 #1.gif')"
cp "$source_folder/logo.gif" "$odd/100% \"sure\".gif"
cp "$source_folder/Documents/readme.txt" "$odd/a&amp;b <c>.txt"
cp "$source_folder/Documents/notes.htm" "$odd/$(printf 'r\xc3\xa9sum\xc3\xa9?.htm')"
"$cli" new "$work/odd.www" >/dev/null
"$cli" import "$work/odd.www" "$work/odd" "$source_folder/Holiday" >/dev/null
"$cli" export "$work/odd.www" --to "$work/odd-website" >/dev/null
"$cli" export "$work/odd.www" --to "$work/odd-website" --yes
node "$here/check-site.mjs" "$work/odd-website" "$@"
node "$here/check-modern.mjs" "$work/odd-website"

# A video item's page plays: a WebM made by ffmpeg reaches readyState 2 in Chromium.
if command -v ffmpeg >/dev/null; then
    mkdir -p "$work/videos"
    ffmpeg -nostdin -v error -f lavfi -i testsrc=size=320x180:rate=25:duration=2 -c:v libvpx \
        -b:v 300k "$work/videos/clip.webm"
    cp "$source_folder"/Holiday/*.jpg "$work/videos/"
    "$cli" new "$work/videos.www" >/dev/null
    "$cli" import "$work/videos.www" "$work/videos" >/dev/null
    "$cli" export "$work/videos.www" --to "$work/video-website" --yes
    node "$here/check-video.mjs" "$work/video-website"
    node "$here/check-modern.mjs" "$work/video-website"
else
    echo "ffmpeg is not installed (scripts/install-test-deps.sh installs it): no video was checked"
fi
