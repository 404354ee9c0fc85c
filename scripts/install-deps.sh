#!/usr/bin/env bash
# Installs every Debian package kestrix needs to build, run and test. Idempotent: asks
# apt only for what is missing.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config git
    unixodbc unixodbc-dev odbcinst libshp-dev libsqlite3-dev
    libwxgtk3.2-dev libx11-dev
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    gdal-bin python3-dbfread
    clang libclang-rt-14-dev
    python3 python3-pyodbc
    php-cli php-odbc libdbd-odbc-perl
    xvfb xauth xdotool x11-apps imagemagick
    strace util-linux
    file lintian nsis
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
