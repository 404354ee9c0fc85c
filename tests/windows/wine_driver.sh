#!/bin/sh
# The Windows driver DLL under Wine against the Linux build's driver, both loaded by
# driver_dump as a driver manager loads a driver: the same tables (the four sample price
# tables, the reader's sample tables, and text in single- and multi-byte code pages, in a
# folder named "März") must read the same, narrow and wide, and every name that leads
# out of the folder or to a device is refused by name.
#   wine_driver.sh DRIVER_DUMP_EXE DRIVER_DLL LINUX_BUILD SOURCE_DIR
set -eu
exe=$1 dll=$2 linux=$3 source=$4
wine=${KESTRIX_WINE:-wine64}
for f in "$linux/tests/windows/driver_dump" "$linux/driver/libkestrixdbf.so" \
         "$linux/tools/samples/kestrix-samples"; do
    [ -x "$f" ] || [ -f "$f" ] || { echo "SKIP: no Linux build at $linux ($f)"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The same entry points as the Linux library, and nothing to ship beside the DLL.
objdump=x86_64-w64-mingw32-objdump
"$objdump" -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    awk '/\]/ && NF >= 3 {print $NF}' | grep -v '^Table$' | sort >"$tmp/exports.win"
nm -D --defined-only "$linux/driver/libkestrixdbf.so" | awk '$2 == "T" {print $3}' |
    sort >"$tmp/exports.linux"
diff "$tmp/exports.linux" "$tmp/exports.win" >&2 || fail "the DLL exports other entry points"
imports=$("$objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p' | sort | paste -sd' ')
[ "$imports" = "ADVAPI32.dll KERNEL32.dll ODBCCP32.dll msvcrt.dll" ] ||
    fail "the DLL needs more than Windows' own libraries: $imports"

folder="$tmp/M$(printf '\303\244')rz"
mkdir -p "$folder"
"$linux/tools/samples/kestrix-samples" "$folder" >/dev/null
cp "$source"/driver/fuzz/corpus/dbf_table/*.dbf "$folder/"
# A table beside the folder that a name with ".." would reach.
cp "$folder/price.dbf" "$tmp/outside.dbf"
python3 - "$folder" <<'PY'
import struct, sys
def table(path, ldid, rows):
    fields = [(b"NAME", b"C", 24, 0), (b"QTY", b"N", 5, 0)]
    head = 32 + 32 * len(fields) + 1
    out = struct.pack("<B3BIHH17xB2x", 3, 126, 12, 6, len(rows), head, 30, ldid)
    for name, kind, width, dec in fields:
        out += name.ljust(11, b"\0") + kind + b"\0" * 4 + bytes([width, dec]) + b"\0" * 14
    out += b"\r"
    for text, qty in rows:
        out += b" " + text.ljust(24) + (b"" if qty is None else str(qty).encode()).rjust(5)
    open(path, "wb").write(out + b"\x1a")
folder = sys.argv[1]
table(folder + "/Gr\u00f6\u00dfe.dbf", 0x03,
      [("\u00c4rger \u20ac 5".encode("cp1252"), 1), ("stra\u00dfe".encode("cp1252"), None),
       (b"\x81 undefined", 3)])
table(folder + "/hanzi.dbf", 0x7A,
      [("\u4e2d\u6587 text".encode("gbk"), 7), (b"cut \xd6", 8)])
PY

"$linux/tests/windows/driver_dump" "$linux/driver/libkestrixdbf.so" "$tmp" >"$tmp/linux.txt" ||
    fail "the Linux dump failed"
"$wine" "$exe" "$("$wine" winepath -w "$dll")" "$("$wine" winepath -w "$tmp")" \
    >"$tmp/wine.raw" 2>"$tmp/wine.err" || { cat "$tmp/wine.err" >&2; fail "the Windows dump failed"; }
tr -d '\r' <"$tmp/wine.raw" >"$tmp/wine.txt"

# The narrow calls speak the ANSI code page on Windows (1252 here): what it cannot hold
# arrives as '?', where Linux passes UTF-8 through.
python3 - "$tmp/linux.txt" "$tmp/expected.txt" <<'PY'
import sys
text = open(sys.argv[1], encoding="utf-8").read()
narrow, wide = text.split("== wide\n")
narrow = narrow.encode("cp1252", errors="replace").decode("cp1252")
open(sys.argv[2], "w", encoding="utf-8").write(narrow + "== wide\n" + wide)
PY
diff -u "$tmp/expected.txt" "$tmp/wine.txt" >&2 || fail "the Windows driver reads differently"

refused=$(grep -c "^name \(.*\): error 42S02: \[kestrix\]\[dBase driver\]Table '\1' not found" \
    "$tmp/wine.txt")
names=$(grep -c '^name ' "$tmp/wine.txt")
[ "$refused" -eq "$names" ] || fail "only $refused of $names names were refused"
[ "$(grep -c '^connected$' "$tmp/wine.txt")" -eq 2 ] || fail "a connection failed"
grep -q "^  stra$(printf '\303\237')e|<null>$" "$tmp/wine.txt" || fail "no text in code page 1252"
grep -q "^  $(printf '\344\270\255\346\226\207') text|7$" "$tmp/wine.txt" || fail "no text in code page 936"
echo "$(grep -c '^table ' "$tmp/wine.txt") tables read alike, $names names refused"
