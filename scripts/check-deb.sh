#!/usr/bin/env bash
# Installs the Debian package on this machine as a user would (apt), converts sample
# tables with the installed kestrix-convert, and purges the package again, checking the
# driver registration on the way: one count for the package however often it is
# installed, upgraded or removed, gone after a purge, and handed back when another
# installation held the description before. Needs root.
#
#   check-deb.sh [BUILD_DIR]     (default: build; the package is built there first)
#
# The machine's /etc/odbcinst.ini and /etc/odbc.ini are saved first and put back byte
# for byte however the check ends; other steps register the driver there too.
set -euo pipefail
[ "$(id -u)" -eq 0 ] || exec sudo --preserve-env=JOBS bash "$0" "$@"
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build}")
unset ODBCSYSINI ODBCINSTINI ODBCINI

status=$(dpkg-query -W -f='${db:Status-Status}' kestrix 2>/dev/null || true)
if [ -n "$status" ] && [ "$status" != not-installed ]; then
    echo "check-deb.sh: kestrix is already installed here ($status); not touching it." >&2
    exit 0
fi

deb=$(bash scripts/build-deb.sh "$build" | tail -n 1)
description='Microsoft dBase Driver (*.dbf)'
library=/$(dpkg-deb -c "$deb" | grep -o 'usr/.*/libkestrixdbf\.so$')
ini_files=(/etc/odbcinst.ini /etc/odbc.ini)
saved=$(mktemp -d)
work=$(mktemp -d)
chmod 755 "$work"

for f in "${ini_files[@]}"; do
    [ ! -e "$f" ] || cp -p "$f" "$saved/${f//\//_}"
done
restore() {
    local rc=$?
    set +e
    status=$(dpkg-query -W -f='${db:Status-Status}' kestrix 2>/dev/null)
    [ -z "$status" ] || [ "$status" = not-installed ] || purge_package
    for f in "${ini_files[@]}"; do
        if [ -e "$saved/${f//\//_}" ]; then
            cp -p "$saved/${f//\//_}" "$f" && cmp -s "$saved/${f//\//_}" "$f" ||
                { echo "FAILED to restore $f" >&2; rc=1; }
        else
            rm -f "$f"
        fi
    done
    rm -rf "$saved" "$work"
    exit $rc
}
trap restore EXIT
trap 'exit 130' INT TERM

apt_get() { DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 -y -qq "$@" >/dev/null; }
install_package() { apt_get install --no-install-recommends "$deb"; }
purge_package() { apt_get purge kestrix; }
fail() {
    echo "FAILED: $*" >&2
    exit 1
}
# expect_entry DRIVER COUNT, or expect_entry none: the description's entry in odbcinst.ini
expect_entry() {
    local entry
    entry=$(odbcinst -q -d -n "$description" 2>/dev/null) || entry=""
    if [ "$1" = none ]; then
        [ -z "$entry" ] || fail "the driver is still registered: $entry"
        return
    fi
    grep -qFx "Driver=$1" <<<"$entry" && grep -qFx "UsageCount=$2" <<<"$entry" ||
        fail "expected Driver=$1 with UsageCount=$2, found: ${entry:-nothing}"
}
register_other() {
    printf '[%s]\nDriver=%s\nSetup=%s\n' "$description" "$1" "$1" >"$work/other.ini"
    odbcinst -i -d -f "$work/other.ini" >/dev/null
}

echo "-- starting with no registration of \"$description\""
while odbcinst -q -d -n "$description" >/dev/null 2>&1; do
    odbcinst -u -d -n "$description" >/dev/null
done

echo "-- install, then install again over itself (the upgrade path)"
install_package
expect_entry "$library" 1
dpkg -i "$deb" >/dev/null
expect_entry "$library" 1
for f in /usr/bin/kestrix /usr/bin/kestrix-convert "$library" /usr/share/kestrix/kestrix.html \
    /usr/share/applications/kestrix.desktop /usr/share/doc/kestrix/README.md; do
    [ -f "$f" ] || fail "$f is not installed"
done
! ldd /usr/bin/kestrix /usr/bin/kestrix-convert "$library" | grep 'not found' ||
    fail "a library the package needs is missing"

echo "-- convert the sample tables with the installed kestrix-convert, as an ordinary user"
mkdir "$work/tables"
"$build"/tools/samples/kestrix-samples "$work/tables" >/dev/null
mkdir -p "$work/home" "$work/out"
chown nobody "$work/home" "$work/out"
setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i PATH=/usr/bin:/bin HOME="$work/home" ODBCINI="$work/home/.odbc.ini" \
    /usr/bin/kestrix-convert --output "$work/out" "$work/tables/rnddat.dbf" \
    >"$work/stdout" 2>"$work/stderr" || { cat "$work/stderr" >&2; fail "kestrix-convert failed"; }
# The same conversion by the build tree's converter and driver, on a private registration.
mkdir "$work/sandbox" "$work/expected"
printf '[%s]\nDriver=%s\nSetup=%s\n' "$description" "$build/driver/libkestrixdbf.so" \
    "$build/driver/libkestrixdbf.so" >"$work/sandbox/odbcinst.ini"
ODBCSYSINI="$work/sandbox" ODBCINSTINI=odbcinst.ini ODBCINI="$work/sandbox/odbc.ini" \
    HOME="$work/sandbox" XDG_CONFIG_HOME="$work/sandbox/.config" \
    "$build"/app/kestrix-convert --output "$work/expected" "$work/tables/rnddat.dbf" >/dev/null 2>"$work/stderr" ||
    { cat "$work/stderr" >&2; fail "the build tree's kestrix-convert failed"; }
diff -r "$work/expected" "$work/out" || fail "the installed converter wrote other files"
for name in TrvBrill TrvPear TrvMarq TrvEm; do
    [ -s "$work/out/$name.txt" ] || fail "no $name.txt"
    grep -qF "$work/out/$name.txt" "$work/stdout" || fail "the run log on standard output misses $name.txt"
done
[ ! -e /usr/bin/kestrix.log ] || fail "an ordinary user's run wrote /usr/bin/kestrix.log"

echo "-- remove, install again from the config-files state, then purge"
printf '[kestrix_check]\nDriver=%s\n' "$description" >"$work/dsn.ini"
odbcinst -i -s -l -f "$work/dsn.ini" >/dev/null
cp -p /etc/odbc.ini "$work/odbc.ini.with-dsn"
apt_get remove kestrix
expect_entry none
[ ! -e /usr/bin/kestrix ] || fail "remove left /usr/bin/kestrix"
install_package
expect_entry "$library" 1
touch /usr/bin/kestrix.log # as a run by root leaves it
purge_package
expect_entry none
cmp -s /etc/odbc.ini "$work/odbc.ini.with-dsn" || fail "the package changed the data sources"
for f in /usr/bin/kestrix.log /var/lib/kestrix /usr/lib/kestrix /usr/share/kestrix; do
    [ ! -e "$f" ] || fail "purge left $f"
done

echo "-- another installation holds the description: the package takes it and hands it back"
register_other "$build/driver/libkestrixdbf.so"
install_package
expect_entry "$library" 2
purge_package
expect_entry "$build/driver/libkestrixdbf.so" 1

echo "Debian package checks passed: $deb"
