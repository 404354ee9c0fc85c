#!/usr/bin/env bash
# Builds the Windows setup program from the Windows build (cpack -G NSIS) and checks it
# under wine64 in a fresh prefix: a silent install puts the programs, the help page, a
# Start-menu entry and an Apps & features entry in place; the installed
# kestrix-convert.exe converts the sample tables into the same files as the Linux build;
# a silent uninstall leaves nothing of the installation behind. Users' settings and data
# sources are theirs and stay.
#
#   check-nsis.sh [WINDOWS_BUILD [LINUX_BUILD]]     (default: build-windows build)
#
# The Linux build gives the dBase driver (Wine's odbc32 hands every call to the host's
# unixODBC), the sample tables and the converter whose files are the reference.
set -euo pipefail
cd "$(dirname "$0")/.."
winbuild=$(realpath -m "${1:-build-windows}")
linux=$(realpath -m "${2:-build}")
if [ -z "${DISPLAY:-}" ]; then
    # -noreset: no refused connections while Wine's processes come and go.
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$winbuild" "$linux"
fi

wine=$(sed -n 's/^KESTRIX_WINE64:FILEPATH=//p' "$winbuild/CMakeCache.txt")
wineserver=$(dirname "$wine")/wineserver
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$winbuild/CMakeCache.txt")
stub=$winbuild/tests/windows/kestrix_stub_setup.dll
for f in "$wine" "$stub" "$linux/driver/libkestrixdbf.so" "$linux/app/kestrix-convert"; do
    [ -f "$f" ] || { echo "check-nsis.sh: $f is missing" >&2; exit 1; }
done

rm -f "$winbuild"/kestrix-*-win64.exe
(cd "$winbuild" && cpack -G NSIS >&2)
setup=$(realpath "$winbuild"/kestrix-*-win64.exe)

tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEARCH=win64 WINEDLLOVERRIDES="mscoree,mshtml="
# The host's unixODBC with the Linux driver and the data source, in files of this check
# only; set before Wine starts.
mkdir -p "$tmp/odbc" "$tmp/home" "$tmp/tables" "$tmp/linux" "$tmp/wine"
printf '[%s]\nDriver=%s\nSetup=%s\n' 'Microsoft dBase Driver (*.dbf)' \
    "$linux/driver/libkestrixdbf.so" "$linux/driver/libkestrixdbf.so" >"$tmp/odbc/odbcinst.ini"
printf '[zlmrt_conv]\nDriver=Microsoft dBase Driver (*.dbf)\n' >"$tmp/odbc.ini"
export ODBCSYSINI=$tmp/odbc ODBCINSTINI=odbcinst.ini ODBCINI=$tmp/odbc.ini
export HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config
cleanup() {
    "$wineserver" -k 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
wine_run() { "$wine" "$@"; "$wineserver" -w; }
reg_value() { "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_SZ *//p"; }

drive_c=$WINEPREFIX/drive_c
vendor_dir=$drive_c/Program\ Files/Tarvesk\ Software
install_dir=$vendor_dir/kestrix
menu_dir=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/kestrix
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kestrix'

echo "-- a fresh Wine prefix, then $(basename "$setup") /S"
wine_run wineboot --init >/dev/null 2>&1
wine_run "$setup" /S
expected=$'Uninstall.exe\nbin/kestrix-convert.exe\nbin/kestrix.exe\nshare/kestrix/kestrix.html'
found=$(cd "$install_dir" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[ "$found" = "$expected" ] || fail "installed files: ${found:-none}"
[ -f "$menu_dir/kestrix.lnk" ] || fail "no Start-menu entry"
strings -el "$menu_dir/kestrix.lnk" | grep -qxF '%USERPROFILE%\Documents' ||
    fail "the Start-menu entry does not start in the user's documents folder"
[ "$(reg_value "$uninstall_key" DisplayName)" = kestrix ] || fail "no Apps & features entry"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] ||
    fail "Apps & features shows version '$(reg_value "$uninstall_key" DisplayVersion)'"
uninstaller=$(reg_value "$uninstall_key" UninstallString | tr -d '"')
[ -n "$uninstaller" ] || fail "no UninstallString"

echo "-- convert the sample tables with the installed kestrix-convert.exe"
# Wine's installer registers a data source only for a driver its registry knows, loading
# the setup library named there: the stub accepts the start-up registration.
key='HKLM\Software\ODBC\ODBCINST.INI\Microsoft dBase Driver (*.dbf)'
for value in Driver Setup; do
    "$wine" reg add "$key" /v $value /d "$("$wine" winepath -w "$stub")" /f >/dev/null 2>&1
done
"$linux"/tests/convert/kestrix-samples "$tmp/tables" >/dev/null
# From the tables' folder with the bare name: the Linux driver cannot read a
# Windows-style folder, and an empty one means the current folder.
(cd "$tmp/tables" && "$linux/app/kestrix-convert" --output "$tmp/linux" rnddat.dbf) \
    >/dev/null 2>&1 || fail "the Linux converter failed"
(cd "$tmp/tables" && "$wine" 'C:\Program Files\Tarvesk Software\kestrix\bin\kestrix-convert.exe' \
    --output "$("$wine" winepath -w "$tmp/wine")" rnddat.dbf) >"$tmp/stdout" 2>"$tmp/stderr" ||
    { cat "$tmp/stderr" >&2; fail "the installed kestrix-convert.exe failed"; }
"$wineserver" -w
diff -r "$tmp/linux" "$tmp/wine" || fail "the installed converter wrote other files"
# Wine lets the program write its log into Program Files; the uninstaller must take it.
[ -f "$install_dir/bin/kestrix.log" ] || fail "no kestrix.log beside the installed program"

echo "-- the uninstaller /S"
wine_run "$uninstaller" /S
[ ! -e "$vendor_dir" ] || fail "left behind: $(find "$vendor_dir" | head -n 5)"
[ ! -e "$menu_dir" ] || fail "left behind: $(find "$menu_dir" | head -n 5)"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the Apps & features entry is left"
! "$wine" reg query 'HKLM\Software\Tarvesk Software' >/dev/null 2>&1 ||
    fail "HKLM\\Software\\Tarvesk Software is left"

echo "Windows setup program checks passed: $setup"
