#!/bin/sh
# The real window program under an X server of its own: accept the sample table the
# start-up file dialog proposes in the remembered folder, press OK, and check the price
# lists, the log file and the closing message.
# Usage: smoke.sh KESTRIX DRIVER_LIBRARY SAMPLES_GENERATOR ARTIFACT_DIR
set -eu

# Auto-repeat off (-r): a key left held down by a failed send must not press itself again
# in the windows that follow. No reset (-noreset): the server otherwise resets each time
# its last client leaves (every xdotool call before the program connects) and refuses
# whoever connects meanwhile, the program included.
if [ -z "${KESTRIX_SMOKE_INNER:-}" ]; then
    KESTRIX_SMOKE_INNER=1 exec timeout 150 xvfb-run -a -s "-screen 0 1600x1200x24 -r -noreset" "$0" "$@"
fi

kestrix=$1 driver=$2 samples=$3 artifacts=$4
tmp=$(mktemp -d)
pid=
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    [ -f "$tmp/bin/kestrix.log" ] && { echo "--- kestrix.log:" >&2; cat "$tmp/bin/kestrix.log" >&2; }
    import -window root "$artifacts/kestrix-smoke-failure.png" 2>/dev/null || true
    exit 1
}

# A hermetic user: its own home, settings and ODBC configuration with our driver.
mkdir -p "$tmp/bin" "$tmp/home" "$tmp/odbc" "$tmp/tables" "$tmp/out"
cp "$kestrix" "$tmp/bin/kestrix"    # so that kestrix.log lands in $tmp/bin
cat > "$tmp/odbc/odbcinst.ini" <<INI
[Microsoft dBase Driver (*.dbf)]
Driver=$driver
Setup=$driver
INI
: > "$tmp/odbc.ini"
export HOME="$tmp/home" XDG_CONFIG_HOME="$tmp/home/.config" XDG_CACHE_HOME="$tmp/home/.cache"
export XDG_DATA_HOME="$tmp/home/.local/share"
export ODBCSYSINI="$tmp/odbc" ODBCINSTINI=odbcinst.ini ODBCINI="$tmp/odbc.ini"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
"$samples" "$tmp/tables" > /dev/null

# Without a display the program says what to use instead.
env -u DISPLAY -u WAYLAND_DISPLAY "$tmp/bin/kestrix" 2> "$tmp/nodisplay.txt" && fail "started without a display"
grep -q "use kestrix-convert" "$tmp/nodisplay.txt" && ! grep -q GTK "$tmp/nodisplay.txt" ||
    fail "no display: $(cat "$tmp/nodisplay.txt")"
# The folder of an earlier start. The dialog proposes "Rnddat.dbf" there, the samples are
# spelt "rnddat.dbf": the proposal must take the folder's spelling to preselect it.
mkdir -p "$XDG_CONFIG_HOME/Tarvesk Software/kestrix"
printf '[General]\nInputDir=%s/\n' "$tmp/tables" > "$XDG_CONFIG_HOME/Tarvesk Software/kestrix/kestrix.ini"

# Waits up to 30 s for a visible window whose name matches $1 other than $2; prints its id.
wait_window() {
    i=0
    while [ $i -lt 60 ]; do
        for w in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
            [ "$w" != "${2:-}" ] && { echo "$w"; return 0; }
        done
        kill -0 "$pid" 2>/dev/null || return 1
        sleep 0.5
        i=$((i + 1))
    done
    return 1
}

# Presses key $2 in window $1 through the focus, not by window id: the key may close the
# window, and a send to a window already gone fails halfway, leaving the key held down.
# The key goes only once the window holds the focus (asked again for up to 10 s): sent
# before that, it would reach whichever window had it.
press() {
    i=0
    until [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ]; do
        [ $i -lt 20 ] || fail "window $1 never took the focus for $2"
        xdotool windowfocus --sync "$1" 2>/dev/null || sleep 0.5
        i=$((i + 1))
    done
    xdotool key "$2"
}

# No remembered output folder: the price lists go to the current directory.
cd "$tmp/out"
"$tmp/bin/kestrix" > "$tmp/stdout.txt" 2>&1 &
pid=$!

chooser=$(wait_window "Select DBF file with Zelmarot data") || fail "no start-up file dialog"
sleep 1
import -window "$chooser" "$artifacts/kestrix-start-dialog.png" || true
press "$chooser" Return

main=$(wait_window "^KESTRIX$") || fail "the main window did not appear"
sleep 1
import -window "$main" "$artifacts/kestrix-main-window.png" || xwd -id "$main" -out "$artifacts/kestrix-main-window.xwd"

# OK is the default button and has the focus first.
press "$main" Return
box=$(wait_window "^kestrix$" "$main") || fail "no message box after OK"
sleep 0.5
import -window "$box" "$artifacts/kestrix-done-message.png" || true
press "$box" Return

# Message 117 ends the program; message 114 would leave the window open.
i=0
while kill -0 "$pid" 2>/dev/null; do
    [ $i -lt 40 ] || fail "the program did not end after the closing message"
    sleep 0.5
    i=$((i + 1))
done
wait "$pid" || fail "kestrix exited with status $?"
pid=

for f in TrvBrill.txt TrvPear.txt TrvMarq.txt TrvEm.txt; do
    [ -s "$tmp/out/$f" ] || fail "$f was not written"
done
[ "$(grep -c -- '^---------------' "$tmp/bin/kestrix.log")" -eq 4 ] ||
    fail "kestrix.log beside the executable lacks four runs"
grep -q "from \"$tmp/tables/rnddat.dbf\" file" "$tmp/bin/kestrix.log" ||
    fail "the preselected table was not converted"
echo "smoke test passed"
