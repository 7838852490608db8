#!/usr/bin/env bash
# Installs what only the tests need, beyond scripts/install-deps.sh: the desktop's validators,
# Chromium, Node.js, Java and, from the npm registry at the versions in
# tests/browser/package-lock.json, the browser driver (puppeteer-core; it never downloads a
# browser of its own), axe-core and the Nu Html Checker (vnu-jar, run with Java). Sourced by
# test.sh.
pagelorn_test_packages=(
    chromium nodejs npm default-jre-headless
    # tests/install: the validators of the menu entry, metainfo, file type and manual pages
    desktop-file-utils appstream libxml2-utils shared-mime-info groff-base
    # tests/export: photos with titles and dates (ImageMagick, exiftool) and HEIC (heif-enc)
    imagemagick libimage-exiftool-perl libheif-examples
    # tests/shell: the pseudo-translation of the window is written by a Python script
    python3
    # tests/export: videos (ffmpeg); bench/poster_bench.sh compares with ffmpegthumbnailer
    ffmpeg ffmpegthumbnailer
    # tests/publish: the SFTP and FTPS servers the publish tests start on 127.0.0.1
    openssh-server openssh-client vsftpd openssl
    # bench/startup_bench.sh: the window's start under Xvfb against xlogo's, and the peak memory
    xvfb x11-apps x11-utils xdotool time bc
)
pagelorn_test_missing=()
for pkg in "${pagelorn_test_packages[@]}"; do
    # A Node.js from elsewhere on the PATH will do as well as Debian's.
    if [[ "$pkg" == nodejs || "$pkg" == npm ]] && command -v node >/dev/null &&
        command -v npm >/dev/null; then
        continue
    fi
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        pagelorn_test_missing+=("$pkg")
    fi
done
if ((${#pagelorn_test_missing[@]})); then
    echo "Installing: ${pagelorn_test_missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${pagelorn_test_missing[@]}"
fi
pagelorn_browser_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/tests/browser"
if ! cmp -s "$pagelorn_browser_dir/package-lock.json" \
        "$pagelorn_browser_dir/node_modules/.pagelorn-installed" 2>/dev/null; then
    (cd "$pagelorn_browser_dir" && npm ci --no-audit --no-fund --loglevel=error &&
        cp package-lock.json node_modules/.pagelorn-installed)
fi
