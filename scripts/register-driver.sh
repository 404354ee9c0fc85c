#!/bin/sh
# Registers the kestrix dBase ODBC driver with unixODBC under the description the
# program asks for. Safe to run again: an existing entry of that name is replaced.
#
#   register-driver.sh [LIBRARY]     (default: /usr/local/lib/kestrix/libkestrixdbf.so)
#
# The entry goes to the odbcinst.ini that `odbcinst -j` names (ODBCSYSINI and
# ODBCINSTINI are honoured), so writing it usually needs root.
set -eu

library=${1:-/usr/local/lib/kestrix/libkestrixdbf.so}
description='Microsoft dBase Driver (*.dbf)'

if [ ! -f "$library" ]; then
    echo "register-driver.sh: no driver library at $library" >&2
    exit 1
fi
command -v odbcinst >/dev/null || { echo "register-driver.sh: odbcinst is not installed" >&2; exit 1; }

template=$(mktemp)
trap 'rm -f "$template"' EXIT
cat >"$template" <<INI
[$description]
Description=kestrix read-only dBase III driver
Driver=$library
Setup=$library
INI

# odbcinst keeps a usage count per driver; removing every earlier registration first
# keeps the count at one however often this script runs.
while odbcinst -q -d -n "$description" >/dev/null 2>&1; do
    odbcinst -u -d -n "$description" >/dev/null 2>&1 || break
done
odbcinst -i -d -f "$template" >/dev/null
echo "Registered \"$description\" -> $library"
