#!/usr/bin/env bash
# Builds the Windows setup program from the Windows build (cpack -G NSIS) and checks it
# under wine64 in a fresh prefix: a silent install puts the programs, the help page and
# the dBase driver flat into the program's folder, registers the driver as "Microsoft
# dBase Driver (*.dbf)" in the 64-bit ODBC registry, and adds a Start-menu and an Apps &
# features entry; the installed kestrix-convert.exe converts the sample tables through
# the installed driver (standing in for Wine's odbc32, which cannot load a Windows driver)
# into the same files as the Linux build, twice; a silent uninstall leaves nothing of the
# installation behind. Users' settings and data sources are theirs and stay. A driver of
# that name registered before is left as it is by install and uninstall alike.
#
#   check-nsis.sh [WINDOWS_BUILD [LINUX_BUILD]]     (default: build-windows build)
#
# The Linux build gives the sample tables and the converter whose files are the
# reference.
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
for f in "$wine" "$linux/driver/libkestrixdbf.so" "$linux/app/kestrix-convert"; do
    [ -f "$f" ] || { echo "check-nsis.sh: $f is missing" >&2; exit 1; }
done

rm -f "$winbuild"/kestrix-*-win64.exe
(cd "$winbuild" && cpack -G NSIS >&2)
setup=$(realpath "$winbuild"/kestrix-*-win64.exe)

tmp=$(mktemp -d)
export WINEPREFIX=$tmp/prefix WINEDEBUG=-all WINEARCH=win64
export WINEDLLOVERRIDES="odbc32=n;mscoree,mshtml="
# The host's unixODBC with the Linux driver and the data source, for the Linux
# converter, in files of this check only.
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
reg_value() {  # the data of value $2 of key $1, or nothing
    "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | grep -F "    $2    " |
        sed 's/.*REG_[A-Z_]*    //'
}

drive_c=$WINEPREFIX/drive_c
vendor_dir=$drive_c/Program\ Files/Tarvesk\ Software
install_dir=$vendor_dir/kestrix
menu_dir=$drive_c/ProgramData/Microsoft/Windows/Start\ Menu/Programs/kestrix
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\kestrix'
driver_key='HKLM\Software\ODBC\ODBCINST.INI\Microsoft dBase Driver (*.dbf)'
drivers_key='HKLM\Software\ODBC\ODBCINST.INI\ODBC Drivers'
driver_name='Microsoft dBase Driver (*.dbf)'
installed_dll='C:\Program Files\Tarvesk Software\kestrix\kestrixdbf.dll'
# Where Wine's installer keeps a data source's driver file, whatever the mode.
dsn_key='HKLM\Software\ODBC\ODBC.INI\zlmrt_conv'

echo "-- a fresh Wine prefix, then $(basename "$setup") /S"
wine_run wineboot --init >/dev/null 2>&1
wine_run "$setup" /S
expected=$'Uninstall.exe\nkestrix-convert.exe\nkestrix.exe\nkestrix.html\nkestrixdbf.dll'
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
for value in Driver Setup; do
    [ "$(reg_value "$driver_key" $value)" = "$installed_dll" ] ||
        fail "the driver's $value is '$(reg_value "$driver_key" $value)'"
done
[ "$(reg_value "$drivers_key" "$driver_name")" = Installed ] || fail "not in the ODBC Drivers list"

echo "-- convert the sample tables with the installed kestrix-convert.exe, twice"
cp "$install_dir/kestrixdbf.dll" "$drive_c/windows/system32/odbc32.dll"
"$linux"/tools/samples/kestrix-samples "$tmp/tables" >/dev/null
# From the tables' folder with the bare name: the Linux driver cannot read a
# Windows-style folder, and an empty one means the current folder.
(cd "$tmp/tables" && "$linux/app/kestrix-convert" --output "$tmp/linux" rnddat.dbf) \
    >/dev/null 2>&1 || fail "the Linux converter failed"
for run in 1 2; do
    rm -f "$tmp"/wine/*
    (cd "$tmp/tables" && "$wine" 'C:\Program Files\Tarvesk Software\kestrix\kestrix-convert.exe' \
        --output "$("$wine" winepath -w "$tmp/wine")" rnddat.dbf) >"$tmp/stdout" 2>"$tmp/stderr" ||
        { cat "$tmp/stderr" >&2; fail "the installed kestrix-convert.exe failed (run $run)"; }
    "$wineserver" -w
    diff -r "$tmp/linux" "$tmp/wine" || fail "the installed converter wrote other files"
done
[ "$(reg_value "$dsn_key" Driver)" = "$installed_dll" ] || fail "no data source on the driver"
# Wine lets the program write its log into Program Files; the uninstaller must take it.
[ -f "$install_dir/kestrix.log" ] || fail "no kestrix.log beside the installed program"

echo "-- the uninstaller /S"
wine_run "$uninstaller" /S
[ ! -e "$vendor_dir" ] || fail "left behind: $(find "$vendor_dir" | head -n 5)"
[ ! -e "$menu_dir" ] || fail "left behind: $(find "$menu_dir" | head -n 5)"
! "$wine" reg query "$uninstall_key" >/dev/null 2>&1 || fail "the Apps & features entry is left"
! "$wine" reg query 'HKLM\Software\Tarvesk Software' >/dev/null 2>&1 ||
    fail "HKLM\\Software\\Tarvesk Software is left"
! "$wine" reg query "$driver_key" >/dev/null 2>&1 || fail "the driver's registration is left"
[ -z "$(reg_value "$drivers_key" "$driver_name")" ] || fail "the ODBC Drivers entry is left"
[ -n "$(reg_value "$dsn_key" Driver)" ] || fail "the user's data source went with the program"

echo "-- a driver of that name registered before: install and uninstall leave it"
planted='C:\Other\dbase64.dll'
"$wine" reg add "$driver_key" /v Driver /d "$planted" /f >/dev/null 2>&1
"$wine" reg add "$drivers_key" /v "$driver_name" /d Installed /f >/dev/null 2>&1
wine_run "$setup" /S
[ "$(reg_value "$driver_key" Driver)" = "$planted" ] || fail "setup replaced the planted driver"
[ -z "$(reg_value "$driver_key" Setup)" ] || fail "setup changed the planted driver"
wine_run "$uninstaller" /S
[ "$(reg_value "$driver_key" Driver)" = "$planted" ] || fail "uninstall removed the planted driver"
[ "$(reg_value "$drivers_key" "$driver_name")" = Installed ] ||
    fail "uninstall removed the planted driver from the ODBC Drivers list"

echo "Windows setup program checks passed: $setup"
