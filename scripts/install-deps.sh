#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need, when any is missing.
# Sourced by run.sh and test.sh.
pagelorn_packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-svg-dev libqt6svg6 libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libstb-dev nlohmann-json3-dev libvips-dev
    libexif-dev
    libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
    libcurl4-openssl-dev libssh2-1-dev libssl-dev qtkeychain-qt6-dev
    clang libclang-rt-14-dev
    xdg-utils
    scdoc librsvg2-bin
    # the window's translations (lupdate, lrelease) and Qt's own for its buttons and dialogs
    qt6-l10n-tools qt6-translations-l10n
)
pagelorn_missing=()
for pkg in "${pagelorn_packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        pagelorn_missing+=("$pkg")
    fi
done
if ((${#pagelorn_missing[@]})); then
    echo "Installing: ${pagelorn_missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        "${pagelorn_missing[@]}"
fi
