#!/usr/bin/env bash
# Cross-builds kestrix for 64-bit Windows from Debian: installs MinGW-w64 and wine64,
# builds a static wxMSW and the SQLite amalgamation once from Debian's own source packages
# (cached outside the checkout, keyed by their versions), then configures and builds the
# "windows" preset into build-windows/.
#
#   bash scripts/build-windows.sh            everything
#   bash scripts/build-windows.sh --wx       only make sure wxMSW and SQLite are cached
#   bash scripts/build-windows.sh --driver   the driver and its tests only (no wxMSW)
#
# KESTRIX_CACHE (default /var/cache/kestrix) holds wxmsw-<version>/ and
# sqlite-<version>/; JOBS (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

JOBS=${JOBS:-2}
CACHE=${KESTRIX_CACHE:-/var/cache/kestrix}
HOST=x86_64-w64-mingw32
WX_SOURCE=wxwidgets3.2

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

install_packages() {
    # wine64 alone: the 64-bit programs need no i386 architecture.
    local packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
                    libz-mingw-w64-dev wine64 dpkg-dev make cmake ninja-build
                    googletest xvfb xauth)
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
        --no-install-recommends "${missing[@]}"
}

wx_version() {
    # The same source version the Linux build's wxGTK comes from.
    apt-cache show --no-all-versions libwxgtk3.2-dev 2>/dev/null |
        sed -n 's/^Version: //p' | head -n1
}

# Static, MinGW posix threads, zlib from the MinGW package; the image formats, XML and the
# components the program never uses are left out to halve the build. Recorded in the
# cache, so that a change here builds wxMSW again.
WX_OPTIONS=(--with-msw --disable-shared
    --with-zlib=sys --without-libpng --without-libjpeg --without-libtiff
    --without-expat --without-liblzma --without-libcurl --without-opengl
    --with-regex=builtin --disable-xrc --disable-aui --disable-ribbon
    --disable-propgrid --disable-stc --disable-richtext --disable-webview
    --disable-mediactrl --disable-webrequest --disable-secretstore --disable-sound
    --disable-svg --disable-gif --disable-pcx --disable-iff --disable-pnm
    --disable-debug_info --disable-compat30 --disable-precomp-headers)

build_wxmsw() {
    local version
    version=$(wx_version)
    [ -n "$version" ] || { echo "cannot tell the version of $WX_SOURCE" >&2; exit 1; }
    WX_PREFIX="$CACHE/wxmsw-$version"
    local stamp="${WX_OPTIONS[*]}"
    if [ -x "$WX_PREFIX/bin/wx-config" ] &&
       [ "$(cat "$WX_PREFIX/kestrix-options" 2>/dev/null)" = "$stamp" ]; then
        echo "wxMSW $version cached in $WX_PREFIX"
        return
    fi
    echo "== building wxMSW $version into $WX_PREFIX (once per machine)"
    local start=$SECONDS work
    $SUDO mkdir -p "$CACHE"
    work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-wxmsw.XXXXXX")
    bash scripts/apt-source.sh "$WX_SOURCE" "$version" "$work/src"
    local src
    src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n1)
    mkdir -p "$work/build"
    (cd "$work/build" && "$src/configure" -q --host=$HOST --build="$(gcc -dumpmachine)" \
        CC=$HOST-gcc-posix CXX=$HOST-g++-posix --prefix="$WX_PREFIX" "${WX_OPTIONS[@]}")
    make -C "$work/build" -j "$JOBS" -s
    make -C "$work/build" -s install DESTDIR="$work/stage"
    echo "$stamp" >"$work/stage$WX_PREFIX/kestrix-options"
    # Moved into place only when complete, so a broken build is never taken for cached.
    $SUDO rm -rf "$WX_PREFIX.partial" "$WX_PREFIX"
    $SUDO cp -a "$work/stage$WX_PREFIX" "$WX_PREFIX.partial"
    $SUDO mv "$WX_PREFIX.partial" "$WX_PREFIX"
    rm -rf "$work"
    echo "wxMSW $version built in $((SECONDS - start)) s"
}

# sqlite3.c and sqlite3.h, made by the source package's own configure: seconds, but the
# download is kept out of every build.
build_sqlite() {
    local version
    version=$(apt-cache show --no-all-versions libsqlite3-dev 2>/dev/null |
        sed -n 's/^Version: //p' | head -n1)
    [ -n "$version" ] || { echo "cannot tell the version of sqlite3" >&2; exit 1; }
    SQLITE_DIR="$CACHE/sqlite-$version"
    if [ -f "$SQLITE_DIR/sqlite3.c" ] && [ -f "$SQLITE_DIR/sqlite3.h" ]; then
        echo "SQLite $version cached in $SQLITE_DIR"
        return
    fi
    echo "== making the SQLite $version amalgamation into $SQLITE_DIR"
    local work src
    work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-sqlite.XXXXXX")
    bash scripts/apt-source.sh sqlite3 "$version" "$work/src"
    src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n1)
    mkdir -p "$work/build"
    (cd "$work/build" && "$src/configure" -q >/dev/null && make -s sqlite3.c)
    $SUDO mkdir -p "$SQLITE_DIR.partial"
    $SUDO cp "$work/build/sqlite3.c" "$work/build/sqlite3.h" "$SQLITE_DIR.partial/"
    $SUDO rm -rf "$SQLITE_DIR"
    $SUDO mv "$SQLITE_DIR.partial" "$SQLITE_DIR"
    rm -rf "$work"
}

install_packages
build_sqlite
if [ "${1:-}" = "--driver" ]; then
    echo "== building the driver for Windows"
    cmake --preset windows -DKESTRIX_DRIVER_ONLY=ON -DKESTRIX_SQLITE_SOURCE="$SQLITE_DIR"
    cmake --build --preset windows -j "$JOBS"
    exit 0
fi
build_wxmsw
[ "${1:-}" = "--wx" ] && exit 0

echo "== building kestrix for Windows"
WXMSW_ROOT="$WX_PREFIX" cmake --preset windows -DKESTRIX_DRIVER_ONLY=OFF \
    -DKESTRIX_SQLITE_SOURCE="$SQLITE_DIR"
cmake --build --preset windows -j "$JOBS"
ls -l build-windows/app/*.exe
