#!/bin/sh
# Removes the kestrix dBase ODBC driver's entry from odbcinst.ini. Safe to run again.
# Data sources that name the driver stay in odbc.ini; remove them with
# `odbcinst -u -s -n <name>` if they are no longer wanted.
set -eu

description='Microsoft dBase Driver (*.dbf)'
command -v odbcinst >/dev/null || { echo "unregister-driver.sh: odbcinst is not installed" >&2; exit 1; }

while odbcinst -q -d -n "$description" >/dev/null 2>&1; do
    odbcinst -u -d -n "$description" >/dev/null 2>&1 || break
done
echo "\"$description\" is not registered"
