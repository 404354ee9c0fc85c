#!/bin/sh
# The Windows programs under Wine, with the Windows driver DLL registered as
# "Microsoft dBase Driver (*.dbf)": the programs' start-up registration reaches its
# ConfigDSN through Wine's installer (odbccp32).
#   wine_e2e.sh convert KESTRIX_CONVERT_EXE DRIVER_DLL LINUX_BUILD
#       converts the four tables with the driver DLL standing in for the driver manager
#       (Wine's odbc32 cannot load a Windows driver), twice; compares the files with
#       the Linux converter's, and standard output with kestrix.log byte for byte
#   wine_e2e.sh window KESTRIX_EXE DRIVER_DLL LINUX_BUILD
#       the window program under Xvfb, reading through Wine's odbc32, the host's
#       unixODBC and the Linux driver: start-up dialog, OK, message 117
# WINEPREFIX is given by CTest (a prefix inside the build folder).
set -eu
mode=$1 exe=$2 dll=$3 linux=$4
wine=${KESTRIX_WINE:-wine64}
wineserver=$(dirname "$(command -v "$wine")")/wineserver
driver=$linux/driver/libkestrixdbf.so
samples=$linux/tools/samples/kestrix-samples
linux_convert=$linux/app/kestrix-convert
for f in "$driver" "$samples" "$linux_convert"; do
    [ -x "$f" ] || [ -f "$f" ] || { echo "SKIP: no Linux build at $linux ($f)"; exit 77; }
done
if [ "$mode" = window ] && [ -z "${DISPLAY:-}" ]; then
    exec timeout 200 xvfb-run -a -s "-screen 0 1280x1024x24 -r -noreset" "$0" "$@"
fi

tmp=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ "$mode" = convert ] && WINEPREFIX="$tmp/prefix" "$wineserver" -k 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    for f in "$tmp"/bin/kestrix.log "$tmp"/*.err; do
        [ -f "$f" ] && { echo "--- $f" >&2; cat "$f" >&2; }
    done
    exit 1
}

# The host's unixODBC with our driver and the data source, in files of this test only;
# set before Wine starts, since its odbc32 hands every call to the host's driver manager.
mkdir -p "$tmp/odbc" "$tmp/home" "$tmp/tables" "$tmp/bin" "$tmp/linux" "$tmp/linuxbin" "$tmp/wine"
cat > "$tmp/odbc/odbcinst.ini" <<INI
[Microsoft dBase Driver (*.dbf)]
Driver=$driver
Setup=$driver
INI
printf '[zlmrt_conv]\nDriver=Microsoft dBase Driver (*.dbf)\n' > "$tmp/odbc.ini"
export ODBCSYSINI="$tmp/odbc" ODBCINSTINI=odbcinst.ini ODBCINI="$tmp/odbc.ini"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"

if [ "$mode" = convert ]; then
    # A prefix of its own, whose odbc32.dll is the driver.
    export WINEPREFIX="$tmp/prefix" WINEDLLOVERRIDES="odbc32=n;mscoree,mshtml="
    "$wine" wineboot --init >/dev/null 2>&1
    "$wineserver" -w
    cp "$dll" "$WINEPREFIX/drive_c/windows/system32/odbc32.dll"
fi
# Wine's installer registers a data source only for a driver known to its registry,
# and loads the setup library named there.
key='HKLM\Software\ODBC\ODBCINST.INI\Microsoft dBase Driver (*.dbf)'
dll_win=$("$wine" winepath -w "$dll" 2>/dev/null)
for value in Driver Setup; do
    "$wine" reg add "$key" /v $value /d "$dll_win" /f >/dev/null 2>&1 ||
        fail "cannot register the driver in the Wine registry"
done
"$samples" "$tmp/tables" >/dev/null
cp "$exe" "$tmp/bin/"    # kestrix.log is written beside the executable

if [ "$mode" = convert ]; then
    # From the tables' folder with the bare name: the Linux driver cannot read a
    # Windows-style DEFAULTDIR, and an empty one means the current folder.
    cp "$linux_convert" "$tmp/linuxbin/"
    (cd "$tmp/tables" && "$tmp/linuxbin/kestrix-convert" --output "$tmp/linux" rnddat.dbf) \
        >/dev/null 2>"$tmp/linux.err" || fail "the Linux converter failed"
    out_win=$("$wine" winepath -w "$tmp/wine" 2>/dev/null)
    dsn_key='HKLM\Software\ODBC\ODBC.INI\zlmrt_conv'
    # The second run finds its data source registered and leaves it as it is.
    for run in 1 2; do
        rm -f "$tmp"/wine/* "$tmp/bin/kestrix.log"
        status=0
        (cd "$tmp/tables" && "$wine" "$tmp/bin/$(basename "$exe")" --output "$out_win" \
            rnddat.dbf) >"$tmp/stdout.log" 2>"$tmp/wine.err" || status=$?
        [ "$status" -eq 0 ] || fail "kestrix-convert.exe exited with $status (run $run)"
        for f in TrvBrill.txt TrvPear.txt TrvMarq.txt TrvEm.txt; do
            [ -s "$tmp/wine/$f" ] || fail "no $f from the Windows converter"
            cmp "$tmp/linux/$f" "$tmp/wine/$f" || fail "$f differs from the Linux build's"
        done
        cmp "$tmp/stdout.log" "$tmp/bin/kestrix.log" ||
            fail "standard output differs from kestrix.log (text-mode line ends?)"
        grep -c "converted successfully" "$tmp/bin/kestrix.log" | grep -qx 4 ||
            fail "the log does not name four converted files"
        [ $run = 2 ] && break
        # The driver's ConfigDSN wrote the data source (Wine keeps its driver file in
        # HKLM); without that value, only a second write would bring it back.
        "$wine" reg query "$dsn_key" /v Driver 2>/dev/null | grep -qi 'kestrixdbf.dll' ||
            fail "no data source zlmrt_conv on the driver"
        "$wine" reg delete "$dsn_key" /v Driver /f >/dev/null 2>&1
    done
    ! "$wine" reg query "$dsn_key" /v Driver >/dev/null 2>&1 ||
        fail "the unchanged data source was written again"
    # Arguments are read as wide characters: a folder the code page cannot hold is refused
    # with the window's words, not turned into another name.
    status=0
    (cd "$tmp/tables" && "$wine" "$tmp/bin/$(basename "$exe")" --output "$out_win\\Łódź ceny" \
        rnddat.dbf) >/dev/null 2>"$tmp/wine.err" || status=$?
    [ "$status" -eq 2 ] && grep -q "code page cannot represent" "$tmp/wine.err" ||
        fail "a path outside the code page gave status $status: $(cat "$tmp/wine.err")"
    echo "four price lists under Wine through the Windows driver equal the Linux build's"
    exit 0
fi

# The window. The start-up dialog opens in the remembered input folder with "Rnddat.dbf"
# preset (Windows matches it to rnddat.dbf): Return takes it, Return presses the default
# OK, Return closes message 117. There is no window manager: each key goes to the window
# given the focus first, by its exact title.
# Settings of earlier runs in this prefix are dropped: no remembered output folder, so
# the price lists go to the current folder.
settings='HKCU\Software\Software\Tarvesk Software\kestrix\kestrix'
"$wine" reg delete "$settings" /f >/dev/null 2>&1 || true
"$wine" reg add "$settings\General" \
    /v InputDir /d "$("$wine" winepath -w "$tmp/tables")\\" /f >/dev/null 2>&1 ||
    fail "cannot remember the input folder in the Wine registry"
# The rows hold Windows paths, so the connection's DEFAULTDIR is "Z:\...\tables\". The
# Linux driver takes it as a Linux path relative to the current folder: a link of that
# name there carries it over to the real folder.
ln -s "$tmp/tables" "$tmp/tables/$("$wine" winepath -w "$tmp/tables")\\"

window_named() {  # prints the id of the visible window titled exactly $1
    for w in $(xdotool search --onlyvisible --name '.' 2>/dev/null); do
        [ "$(xdotool getwindowname "$w" 2>/dev/null)" = "$1" ] && { echo "$w"; return 0; }
    done
    return 1
}
press_return_in() {  # waits up to 60 s for window $1, then sends it Return
    i=0
    until w=$(window_named "$1"); do
        i=$((i + 1))
        [ $i -gt 120 ] && return 1
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.5
    done
    sleep 1
    xdotool windowfocus --sync "$w" 2>/dev/null || true
    xdotool key Return
}
(cd "$tmp/tables" && exec "$wine" "$tmp/bin/$(basename "$exe")") >"$tmp/window.err" 2>&1 &
pid=$!
press_return_in "Select DBF file with Zelmarot data" || fail "no start-up dialog"
press_return_in "KESTRIX" || fail "no main window"
i=0
until window_named kestrix >/dev/null; do
    i=$((i + 1))
    [ $i -gt 120 ] && fail "no closing message after OK"
    sleep 0.5
done
sleep 1
import -window root "${KESTRIX_ARTIFACTS:-$tmp}/kestrix-wine-done.png" 2>/dev/null || true
grep -q "File was converted successfully" "$tmp/bin/kestrix.log" 2>/dev/null ||
    fail "the closing message is not message 117"
press_return_in kestrix || fail "message 117 went away"
i=0
while kill -0 "$pid" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt 40 ] && fail "kestrix.exe still running after message 117"
    sleep 0.5
done
pid=
for f in TrvBrill.txt TrvPear.txt TrvMarq.txt TrvEm.txt; do
    [ -s "$tmp/tables/$f" ] || fail "no $f from the window program"
done
grep -c "converted successfully" "$tmp/bin/kestrix.log" | grep -qx 4 ||
    fail "the window program's log does not name four converted files"
echo "the window program converted the four tables under Wine and closed after message 117"
