#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB), installs it with apt as a user would, runs the
# installed programs (pagelorn-cli --version, the example website exported from examples/site as
# run.sh does, pagelorn --help on the offscreen platform), then removes the package and checks
# that nothing of it is left. It installs into this machine, so it is not a ctest: run it as root
# (or with sudo) where no other copy of pagelorn is installed.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-deps.sh
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
apt_get() { $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=300 "$@"; }
# apt's output without its progress counters.
quiet() { sed -E -e 's/\(Reading database \.\.\. ([0-9]+%)?//g' -e '/^debconf:/d'; }
# dpkg-shlibdeps (dpkg-dev) and file work out the package's dependencies.
for pkg in dpkg-dev file; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        apt_get install -y -qq --no-install-recommends "$pkg"
    fi
done
if dpkg-query -W -f='${Status}' pagelorn 2>/dev/null | grep -q 'installed'; then
    echo "pagelorn is installed already; remove it first (apt remove pagelorn)" >&2
    exit 1
fi

build=build/package
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

echo "== building the package in $build"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DPAGELORN_TESTS=OFF -DPAGELORN_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
rm -f "$build"/pagelorn_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(echo "$PWD/$build"/pagelorn_*.deb)
[ -f "$deb" ] || { echo "cpack made no package" >&2; exit 1; }
echo "$deb"
dpkg-deb --field "$deb" Package Version Architecture Depends Recommends Section Installed-Size
echo "-- files:"
dpkg-deb --contents "$deb" | awk '$1 !~ /^d/ { print "   " $NF }'

# What the machine holds of pagelorn before, to compare with what is left after the removal.
leftovers() {
    { find /usr /etc /var/lib /opt -iname '*pagelorn*' 2>/dev/null || true; } | LC_ALL=C sort
    { grep -rlsI -e pagelorn /usr/share/applications /usr/share/mime || true; } | LC_ALL=C sort
}
leftovers >"$work/before.txt"

echo "== apt install ./$(basename "$deb")"
# apt reads the package as its own user: it gets a copy it can read.
cp "$deb" "$work/" && chmod 755 "$work" && chmod 644 "$work/$(basename "$deb")"
apt_get install -y -qq "$work/$(basename "$deb")" 2>&1 | quiet
dpkg-query -W -f='${Status}\n' pagelorn | grep -q 'install ok installed' || {
    echo "the package did not install" >&2
    exit 1
}

echo "== the installed programs"
echo "\$ $(command -v pagelorn-cli) --version"
version=$(pagelorn-cli --version) && echo "$version"
[ "$version" = "pagelorn-cli $(dpkg-query -W -f='${Version}' pagelorn)" ] ||
    fail "pagelorn-cli --version printed \"$version\""
echo "\$ pagelorn-cli new/import/export (the example website from examples/site)"
pagelorn-cli new "$work/example.www"
pagelorn-cli import "$work/example.www" examples/site
pagelorn-cli export "$work/example.www" --to "$work/website" --yes </dev/null
[ -f "$work/website/Index.htm" ] || fail "the export wrote no Index.htm"
echo "   $(find "$work/website" -name '*.htm' | wc -l) pages, $(find "$work/website" -type f ! -name '*.htm' | wc -l) other files"
module=$(dpkg -L pagelorn | grep '/pagelorn/libpagelorn_media\.so$' || true)
[ -n "$module" ] || fail "the package holds no picture module"
echo "   the picture module: $module"
transfer=$(dpkg -L pagelorn | grep '/pagelorn/libpagelorn_transfer\.so$' || true)
[ -n "$transfer" ] || fail "the package holds no transfer module"
echo "   the transfer module: $transfer"
guide=$(QT_QPA_PLATFORM=offscreen pagelorn --help | sed -n 's/^User guide: //p')
echo "\$ pagelorn --help: User guide: $guide"
[ "$guide" = /usr/share/pagelorn/help/index.html ] || fail "the installed window does not find its user guide"
if command -v man >/dev/null; then
    echo "\$ man -w pagelorn pagelorn-cli: $(man -w pagelorn pagelorn-cli | tr '\n' ' ')"
fi
if [ -d /usr/share/mime/application ]; then
    [ -f /usr/share/mime/application/x-pagelorn-project.xml ] ||
        fail "the desktop's MIME database does not know *.www projects"
    echo "   the MIME database knows application/x-pagelorn-project (*.www)"
fi
if command -v xdg-mime >/dev/null; then
    echo "\$ xdg-mime query default application/x-pagelorn-project: $(xdg-mime query default application/x-pagelorn-project)"
fi

echo "== apt remove pagelorn"
apt_get remove -y -qq pagelorn 2>&1 | quiet
status=$(dpkg-query -W -f='${Status}' pagelorn 2>/dev/null || echo "unknown ok not-installed")
echo "   dpkg: $status"
[[ "$status" == *not-installed ]] || fail "dpkg still knows pagelorn: $status"
leftovers >"$work/after.txt"
if ! diff "$work/before.txt" "$work/after.txt" >"$work/left.txt"; then
    fail "left behind: $(grep '^>' "$work/left.txt" | tr '\n' ' ')"
else
    echo "   nothing of pagelorn is left in /usr, /etc, /var/lib or /opt"
fi

if ((failures)); then
    echo "$failures checks failed" >&2
    exit 1
fi
echo "== the package builds, installs, runs and uninstalls cleanly"
