#!/bin/sh
# isql reads a table through the driver manager and our driver, once through the
# data source's own DEFAULTDIR (SQLConnect) and once by connection string; a missing
# table gives the driver's message. iusql, its Unicode twin, reads through the wide
# entry points. Hermetic: every ini file lives in a temp folder.
#   isql_smoke.sh DRIVER_LIBRARY MAKE_TABLE
set -eu
driver=$1
make_table=$2
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
mkdir "$dir/data"
"$make_table" "$dir/data/RNDDAT.DBF" 150

cat >"$dir/odbcinst.ini" <<INI
[Microsoft dBase Driver (*.dbf)]
Driver=$driver
Setup=$driver
INI
cat >"$dir/odbc.ini" <<INI
[zlmrt_conv]
Driver=Microsoft dBase Driver (*.dbf)
FIL=dBase III
DEFAULTDIR=$dir/data/
INI
export ODBCSYSINI="$dir" ODBCINSTINI=odbcinst.ini ODBCINI="$dir/odbc.ini" HOME="$dir"

fail() { echo "isql smoke test: $*" >&2; exit 1; }

out=$(echo "SELECT [rnddat].[F1],[rnddat].[FB]  FROM [rnddat]" | isql -b -v -d, zlmrt_conv)
echo "$out" | grep -q '^4.250,6.750$' || fail "first record missing: $out"
echo "$out" | grep -q '^600.250,602.750$' || fail "last record missing"
[ "$(echo "$out" | grep -c ',')" -eq 150 ] || fail "not 150 records"

out=$(echo "SELECT * FROM rnddat" | isql -b -v -d, -k "DSN=zlmrt_conv;DEFAULTDIR={$dir/data/}")
[ "$(echo "$out" | grep -c ',')" -eq 150 ] || fail "connection string: not 150 records: $out"

out=$(echo "SELECT * FROM nothere" | isql -b -v zlmrt_conv 2>&1 || true)
echo "$out" | grep -q "\[kestrix\]\[dBase driver\]Table 'nothere' not found" || fail "no driver message: $out"
out=$(echo "SELECT F1 FROM rnddat;" | iusql -b -v -d, zlmrt_conv)
[ "$(echo "$out" | grep -c '^[0-9]')" -eq 150 ] || fail "iusql: not 150 records: $out"
out=$(echo "DELETE FROM rnddat" | iusql -b -v zlmrt_conv 2>&1 || true)
echo "$out" | grep -q "DELETE statements cannot run: the dBase driver is read-only" ||
    fail "iusql: no read-only message: $out"
out=$(printf 'SELECT COUNT(*), MAX(F1) FROM rnddat WHERE F1 > 100\nSELECT 1\n' | isql -b -v -d, zlmrt_conv)
echo "$out" | grep -q '^126,600.25$' || fail "COUNT(*) with WHERE: $out"
echo "$out" | grep -q '^1$' || fail "SELECT 1: $out"
# A value reads the same whether the statement is a plain SELECT or goes through the engine.
plain=$(echo "SELECT F1, FB FROM rnddat" | isql -b -v -d, zlmrt_conv)
[ "$plain" = "$(echo "SELECT F1, FB FROM rnddat WHERE 1=1" | isql -b -v -d, zlmrt_conv)" ] ||
    fail "WHERE 1=1 reads other text than the plain SELECT"
echo "isql smoke test passed"
