#!/bin/sh
# Neither program may need the ODBC driver manager to start: it is loaded on first use,
# so a machine without it gets message 118 instead of a loader error.
#   no_driver_manager.sh KESTRIX KESTRIX_CONVERT
# 1. Neither executable lists a libodbc library as NEEDED.
# 2. With unixODBC hidden (a private mount namespace binds /dev/null over its libraries),
#    kestrix-convert exits 3 with message 118 and kestrix shows message 118 and ends.
set -eu
kestrix=$1 convert=$2
box="This software requires ODBC to work with databases."  # message 118
message="ODBC is not installed, exiting..."                 # its log entry

for exe in "$kestrix" "$convert"; do
    if readelf -d "$exe" | grep NEEDED | grep -q libodbc; then
        echo "FAIL: $exe lists the ODBC driver manager as NEEDED" >&2
        readelf -d "$exe" | grep NEEDED >&2
        exit 1
    fi
done

if [ -z "${KESTRIX_HIDDEN_ODBC:-}" ]; then
    if ! unshare -m true 2>/dev/null; then
        echo "SKIP: no private mount namespace here to hide unixODBC in"
        exit 77
    fi
    exec env KESTRIX_HIDDEN_ODBC=1 unshare -m "$0" "$@"
fi

# Inside the namespace: every unixODBC library this machine has is now unloadable.
for lib in $(ldconfig -p | awk '/libodbc(inst)?\.so/ {print $NF}'); do
    mount --bind /dev/null "$(readlink -f "$lib")"
done

tmp=$(mktemp -d)
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/bin" "$tmp/home"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config"
cp "$convert" "$tmp/bin/kestrix-convert"
cp "$kestrix" "$tmp/bin/kestrix"

status=0
"$tmp/bin/kestrix-convert" --output "$tmp" "$tmp/rnddat.dbf" >"$tmp/out" 2>"$tmp/err" || status=$?
if [ "$status" -ne 3 ] || ! grep -qF "$box" "$tmp/err" || ! grep -qF "$message" "$tmp/out" ||
   ! grep -qF "$message" "$tmp/bin/kestrix.log"; then
    echo "FAIL: kestrix-convert without unixODBC: status $status" >&2
    cat "$tmp/err" "$tmp/out" >&2
    exit 1
fi

# The window program: its message box is the first window it shows; Return closes it, and
# the program must then end with the reason in its log. Other tests' windows share the
# display, so the key goes to the box's window, given the focus first, and again while
# the program runs.
if [ -z "${DISPLAY:-}" ]; then
    echo "kestrix-convert passed; no display for the window program"
    exit 0
fi
(cd "$tmp" && exec "$tmp/bin/kestrix") >"$tmp/gui.out" 2>&1 &
pid=$!
i=0
until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
    i=$((i + 1))
    if [ $i -gt 60 ] || ! kill -0 "$pid" 2>/dev/null; then
        echo "FAIL: kestrix showed no window without unixODBC" >&2
        cat "$tmp/gui.out" >&2
        exit 1
    fi
    sleep 0.5
done
sleep 0.5
i=0
while kill -0 "$pid" 2>/dev/null; do
    i=$((i + 1))
    [ $i -gt 40 ] && { echo "FAIL: kestrix still running after its message" >&2; exit 1; }
    if [ $((i % 8)) -eq 1 ]; then
        for wid in $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null); do
            xdotool windowfocus --sync "$wid" key Return 2>/dev/null || true
        done
    fi
    sleep 0.25
done
pid=
if ! grep -qF "$message" "$tmp/bin/kestrix.log"; then
    echo "FAIL: kestrix.log does not give the reason" >&2
    cat "$tmp/gui.out" "$tmp/bin/kestrix.log" >&2 2>/dev/null
    exit 1
fi
echo "both programs report message 118 without unixODBC"
