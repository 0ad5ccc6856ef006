#!/usr/bin/env bash
# Installs every Debian package the build, the package, the tests, the benchmarks and the
# fuzzers need, and the German locale that the locale test uses. Safe to run again: when everything
# is already there it changes nothing.
set -euo pipefail

packages=(
    build-essential cmake g++ pkg-config git
    libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
    clang-format locales
    clang libclang-rt-14-dev llvm-14
    libwxgtk3.2-dev wx-common libx11-dev libcairo2-dev libglib2.0-dev
    xvfb xauth openbox imagemagick xdg-utils
    scdoc librsvg2-bin dpkg-dev file man-db bash-completion lintian
    desktop-file-utils appstream libxml2-utils shared-mime-info libglib2.0-bin
)

"$(dirname "$0")/install-packages.sh" "${packages[@]}"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# A locale with a comma as decimal point, to prove that outputs never depend on it.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    if ! grep -q '^de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'de_DE.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    fi
    as_root locale-gen >/dev/null
fi
