#!/usr/bin/env bash
# Cross-builds kestrix for 64-bit Windows from Debian: installs MinGW-w64 and wine64,
# builds a static wxMSW once from Debian's own wxWidgets source package (cached outside
# the checkout, keyed by its version), then configures and builds the "windows" preset
# into build-windows/.
#
#   bash scripts/build-windows.sh          everything
#   bash scripts/build-windows.sh --wx     only make sure wxMSW is in the cache
#
# KESTRIX_CACHE (default /var/cache/kestrix) holds wxmsw-<version>/; JOBS (default 2).
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

# Writes deb-src lines for every deb entry of the machine's own sources (deb822 files and
# one-line lists alike), so the source package comes from the mirror this machine trusts.
write_source_list() {
    local out=$1
    : >"$out"
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -e "$f" ] || continue
        awk '
            function flush() {
                if (types ~ /(^| )deb( |$)/ && uris != "" && suites != "")
                    for (u = 1; u <= split(uris, U, " "); u++)
                        for (s = 1; s <= split(suites, S, " "); s++)
                            printf "deb-src %s%s %s %s\n", signed, U[u], S[s], comps
                types = uris = suites = comps = signed = ""
            }
            /^[ \t]*#/ { next }
            /^[ \t]*$/ { flush(); next }
            {
                key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ +/, "")
                if (key == "Types") types = $0
                else if (key == "URIs") uris = $0
                else if (key == "Suites") suites = $0
                else if (key == "Components") comps = $0
                else if (key == "Signed-By" && $0 ~ /^\//) signed = "[signed-by=" $0 "] "
                else if (key == "Enabled" && tolower($0) == "no") types = ""
            }
            END { flush() }' "$f" >>"$out"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -e "$f" ] || continue
        sed -n 's/^[ \t]*deb\([ \t]\)/deb-src\1/p' "$f" >>"$out"
    done
    [ -s "$out" ] || { echo "no apt sources found to fetch $WX_SOURCE from" >&2; exit 1; }
}

# Fetches and unpacks the wxWidgets source package into $1 with a private apt state: no
# system file changes, and the machine's package lists stay as they are.
fetch_wx_source() {
    local work=$1
    mkdir -p "$work/apt/state/lists/partial" "$work/apt/cache/archives/partial" \
             "$work/apt/parts" "$work/src"
    write_source_list "$work/apt/sources.list"
    local opts=(-o Dir::Etc::SourceList="$work/apt/sources.list"
                -o Dir::Etc::SourceParts="$work/apt/parts"
                -o Dir::State="$work/apt/state"
                -o Dir::State::status=/var/lib/dpkg/status
                -o Dir::Cache="$work/apt/cache"
                -o APT::Sandbox::User=root)
    apt-get "${opts[@]}" update -qq
    (cd "$work/src" && apt-get "${opts[@]}" source -qq "$WX_SOURCE=$2")
}

wx_version() {
    # The same source version the Linux build's wxGTK comes from.
    apt-cache show --no-all-versions libwxgtk3.2-dev 2>/dev/null |
        sed -n 's/^Version: //p' | head -n1
}

build_wxmsw() {
    local version
    version=$(wx_version)
    [ -n "$version" ] || { echo "cannot tell the version of $WX_SOURCE" >&2; exit 1; }
    WX_PREFIX="$CACHE/wxmsw-$version"
    if [ -x "$WX_PREFIX/bin/wx-config" ]; then
        echo "wxMSW $version cached in $WX_PREFIX"
        return
    fi
    echo "== building wxMSW $version into $WX_PREFIX (once per machine)"
    local start=$SECONDS work
    $SUDO mkdir -p "$CACHE"
    work=$(mktemp -d "${TMPDIR:-/tmp}/kestrix-wxmsw.XXXXXX")
    fetch_wx_source "$work" "$version"
    local src
    src=$(find "$work/src" -mindepth 1 -maxdepth 1 -type d | head -n1)
    mkdir -p "$work/build"
    # Static, MinGW posix threads, zlib from the MinGW package; the image formats, XML
    # and the components the program never uses are left out to halve the build.
    (cd "$work/build" && "$src/configure" -q --host=$HOST --build="$(gcc -dumpmachine)" \
        CC=$HOST-gcc-posix CXX=$HOST-g++-posix \
        --prefix="$WX_PREFIX" --with-msw --disable-shared \
        --with-zlib=sys --without-libpng --without-libjpeg --without-libtiff \
        --without-expat --without-liblzma --without-libcurl --without-opengl \
        --with-regex=builtin --disable-xrc --disable-aui --disable-ribbon \
        --disable-propgrid --disable-stc --disable-richtext --disable-webview \
        --disable-mediactrl --disable-webrequest --disable-secretstore --disable-sound \
        --disable-svg --disable-gif --disable-pcx --disable-iff --disable-pnm \
        --disable-debug_info --disable-compat30 --disable-precomp-headers)
    make -C "$work/build" -j "$JOBS" -s
    make -C "$work/build" -s install DESTDIR="$work/stage"
    # Move into place only when complete, so a broken build is never taken for cached.
    $SUDO rm -rf "$WX_PREFIX.partial"
    $SUDO cp -a "$work/stage$WX_PREFIX" "$WX_PREFIX.partial"
    $SUDO mv "$WX_PREFIX.partial" "$WX_PREFIX"
    rm -rf "$work"
    echo "wxMSW $version built in $((SECONDS - start)) s"
}

install_packages
build_wxmsw
[ "${1:-}" = "--wx" ] && exit 0

echo "== building kestrix for Windows"
WXMSW_ROOT="$WX_PREFIX" cmake --preset windows
cmake --build --preset windows -j "$JOBS"
ls -l build-windows/app/*.exe
