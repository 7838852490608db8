#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR under the prefix /usr and checks what lands where,
# runs the desktop's validators on the menu entry, the metainfo, the file type and the manual
# pages, and runs the installed programs.
#   install-test.sh BUILD_DIR VERSION APP_ID MEDIA_MODULE (relative to the prefix)
set -euo pipefail
build=$1
version=$2
id=$3
module=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root=$work/root
usr=$root/usr
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

DESTDIR=$root cmake --install "$build" --prefix /usr >"$work/install.log" ||
    { cat "$work/install.log" >&2; exit 1; }

# Every file in its place, and nothing else: nothing beside the programs in bin.
expected="usr/bin/pagelorn
usr/bin/pagelorn-cli
usr/$module
usr/$(dirname "$module")/libpagelorn_transfer.so
usr/share/applications/$id.desktop
usr/share/icons/hicolor/128x128/apps/$id.png
usr/share/icons/hicolor/48x48/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/pagelorn-cli.1
usr/share/man/man1/pagelorn.1
usr/share/metainfo/$id.metainfo.xml
usr/share/mime/packages/$id.xml
usr/share/pagelorn/translations/pagelorn_de.qm"
actual=$(cd "$root" && find . -type f -o -type l | sed 's|^\./||' | grep -v '^usr/share/pagelorn/help/' | LC_ALL=C sort)
if [ "$actual" != "$(LC_ALL=C sort <<<"$expected")" ]; then
    fail "installed files differ from the expected ones:"
    diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") >&2 || true
fi
[ -f "$usr/share/pagelorn/help/index.html" ] || fail "the user guide is not in share/pagelorn/help"
[ -x "$usr/bin/pagelorn" ] && [ -x "$usr/bin/pagelorn-cli" ] || fail "the programs are not executable"

for size in 48 128; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    # The width and the height, big-endian, right after the PNG signature and the IHDR header.
    header=$(od -An -tx1 -j12 -N12 "$png" | tr -d ' \n')
    [ "$header" = "49484452$(printf '%08x%08x' "$size" "$size")" ] ||
        fail "$png is not a $size x $size PNG ($header)"
done

# The validators of the desktop, each silent when all is well.
out=$(desktop-file-validate "$usr/share/applications/$id.desktop" 2>&1) && [ -z "$out" ] ||
    fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$usr/share/metainfo/$id.metainfo.xml" 2>&1) ||
    fail "appstreamcli validate: $out"
grep -q "<release version=\"$version\"" "$usr/share/metainfo/$id.metainfo.xml" ||
    fail "the metainfo's release is not $version"
out=$(xmllint --noout "$usr/share/mime/packages/$id.xml" 2>&1) || fail "xmllint: $out"
# The file type as the desktop's MIME database sees it: *.www projects, with the program's icon.
mime=$work/mime
mkdir -p "$mime/packages"
cp "$usr/share/mime/packages/$id.xml" "$mime/packages/"
out=$(XDG_DATA_HOME=$work update-mime-database "$mime" 2>&1) && [ -z "$out" ] || fail "update-mime-database: $out"
grep -qx "50:application/x-pagelorn-project:\*.www" "$mime/globs2" || fail "*.www has no file type"
grep -qx "application/x-pagelorn-project:$id" "$mime/icons" || fail "the file type has no icon"
for page in pagelorn pagelorn-cli; do
    man=$usr/share/man/man1/$page.1
    out=$(groff -man -Tutf8 -ww -z "$man" 2>&1) && [ -z "$out" ] || fail "groff on $page.1: $out"
    grep -q "Pagelorn $version" "$man" || fail "$page.1 does not name version $version"
done

# The installed programs run, and the window finds its user guide from where it is installed.
export QT_QPA_PLATFORM=offscreen
out=$("$usr/bin/pagelorn-cli" --version) && [ "$out" = "pagelorn-cli $version" ] ||
    fail "pagelorn-cli --version printed \"$out\""
out=$("$usr/bin/pagelorn" --version) && [ "$out" = "pagelorn $version" ] ||
    fail "pagelorn --version printed \"$out\""
out=$("$usr/bin/pagelorn" --help) || fail "pagelorn --help failed"
grep -qxF "User guide: $usr/share/pagelorn/help/index.html" <<<"$out" ||
    fail "the installed pagelorn does not find its user guide: $out"
out=$("$build/bin/pagelorn" --help) || fail "pagelorn --help failed in the build tree"
grep -qxF "User guide: $build/share/pagelorn/help/index.html" <<<"$out" ||
    fail "pagelorn in the build tree does not find its user guide: $out"
# The picture module is installed with its libraries; the programs link none of them.
# grep reads all of ldd's output: with pipefail, grep -q stopping early fails the pipe at random.
modulelibs=$(ldd "$usr/$module")
grep libvips <<<"$modulelibs" >/dev/null || fail "the installed picture module does not link libvips"
grep libavformat <<<"$modulelibs" >/dev/null ||
    fail "the installed picture module does not link libavformat"
! ldd "$usr/bin/pagelorn-cli" "$usr/bin/pagelorn" | grep -E 'lib(vips|exif|av[a-z]+|swscale|swresample)[.-]' >&2 ||
    fail "the installed programs link the picture libraries"
status=0
"$usr/bin/pagelorn" --no-such-option 2>"$work/err.txt" || status=$?
[ "$status" = 2 ] && grep -q "unknown option --no-such-option" "$work/err.txt" ||
    fail "pagelorn --no-such-option: exit $status, $(cat "$work/err.txt")"

if ((failures)); then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "installed files, validators and installed programs: all checks passed"
