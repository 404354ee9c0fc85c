"""Tables other programs wrote (corpus/; SOURCES says where each comes from, under which
licence), and one GDAL writes here, read through the real driver manager with pyodbc.
Each reads value by value as dbfread reads it, corrected where dbfread is wrong with the
evidence named; where dbfread cannot read a table, as its source project's own tests
expect; where no reading is right, it is refused naming the reason. Through SELECT *,
through SQLite's engine (WHERE 1=1, COUNT(*)), as UTF-8 and as UTF-16. Hermetic: every
ini file lives in a temp folder.

    corpus_tables.py DRIVER_LIBRARY
"""
import datetime
import decimal
import math
import os
import shutil
import subprocess
import sys
import tempfile

import dbfread

CORPUS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "corpus")
T = datetime.datetime

# Tables dbfread reads: the encoding to read them in where the table's own byte does not
# say, the connection's CODEPAGE where the driver needs one, and corrections of dbfread's
# reading {(record, column): value}.
READ_AS_DBFREAD = {
    "calls": {}, "contacts": {}, "contain_none_float": {}, "cp1251": {}, "cp936": {},
    "currency": {}, "dbase_currency": {}, "line": {}, "memotest": {}, "people": {},
    "pr90": {}, "PYACFL": {}, "setup": {}, "types": {}, "vfp9_30": {}, "vfp9_30_memo": {},
    "vfp9_memo_bs1": {}, "KUNDEN-schema-only": {}, "gdal": {"encoding": "utf-8"},
    # Two fields are named Point_ID; SQLite sees the second as Point_ID_2.
    "dbase_03": {},
    "dbase_31": {},  # _NullFlags in mixed case, as Visual FoxPro spells it
    "dbase_83": {"encoding": "cp1252"},  # no code-page byte: the driver's default
    # Its byte 0xF0 names no code page; the text is UTF-8.
    "dbase_03_cyrillic": {"encoding": "utf-8", "codepage": "UTF-8"},
    # Big5 names and text, and no code-page byte.
    "dbase_not_latin1": {"encoding": "big5", "codepage": "950"},
    # dbfread reads dBase IV memos on past the length in their block header (19 bytes
    # with the 8 of the header for 'Second memo', where it gives 'Second memo\n').
    "dbase_8b": {"fixes": {(r, "MEMO"): m for r, m in enumerate(
        ["First memo\r\n", "Second memo", "Thierd memo", "Fourth memo", "Fifth memo",
         "Sixth memo", "Seventh memo", "Eigth memo", "Nineth memo"])}},
    # A VFP varchar: _NullFlags bit 0 says it is shorter than its width, the last byte
    # holds its length (14); dbfread gives all 250 bytes.
    "dbase_32": {"fixes": {(0, "NAME"): "Bad Meets Evil"}},
}

# What the source projects' tests expect where dbfread cannot read a table: {table:
# (query, rows)}.
EXPECTED = {
    # dbfread stops at the deletion flag 0x00; only '*' marks a deleted record.
    "mazovia": ("SELECT A2 FROM mazovia", [["English"], ["Ś╫êëτ⌡ś"]]),
    # dbfread cannot read the padding NULs after the number.
    "contain_null_padded_numeric": ("SELECT * FROM contain_null_padded_numeric", [[1234.0]]),
    # dBase 7: integers, doubles and timestamps (deleted records left out).
    "dBaseVII_int": ("SELECT * FROM dBaseVII_int",
                     [[1], [-1], [5000000], [-5000000], [2147483647], [-2147483647]]),
    "dBaseVII_double": ("SELECT * FROM dBaseVII_double",
                        [[-199.99], [-74.62], [43.65], [150.48], [0.0]]),
    "dBaseVII_ts": ("SELECT * FROM dBaseVII_ts", [[T(1900, 1, d)] for d in (1, 2, 3)] +
                    [[T(2000, 1, d)] for d in (1, 2, 3, 4, 5, 10)]),
    # The source's test counts its records only; its memo file was not published.
    "dbase_8c": ("SELECT ID, COUNT(*) FROM dbase_8c WHERE ID > 0", [[1, 10]]),
    # Visual FoxPro 9: varchar, varbinary and blob (its length), currency,
    # datetime, double and autoincrement. INTEGER is 0 in the first record (its
    # _NullFlags bit 4 is clear), which the source's test reads as NULL.
    "vfp": ("SELECT VARCHAR, VARBINARY, VARCHAR_BI, LENGTH(BLOB), INTEGER, AI, "
            "CURRENCY, DATETIME, DOUBLE FROM vfp",
            [["qwe", b"\xab\xcd\xef", "qwe", 7146, 0, 1, 1.2, T(1800, 1, 1, 1, 1, 1), 2.3],
             ["asd", b"\x12\x34", "asd", None, 1, 2, 1.23, T(1970, 1, 1), 4.56],
             ["zxc", b"\xfa\xce\x8d", "", None, 2, 3, 15.16, T(2020, 2, 20, 20, 20, 20),
              987.654]]),
}

# Tables with no right reading, and why (read with NULLSTARS=0).
REFUSED = {
    "SELECT * FROM dbase_02": "is not a readable dBase table: unknown version byte",  # FoxBASE
    "SELECT * FROM polygon": "is not a readable dBase table: the table has no fields",
    "SELECT * FROM stations_with_deleted":
        "the record length 1016 does not match its fields (1017)",
    "SELECT * FROM invalid_value": "Invalid date 'NotAYear' in column 'BIRTHDATE'",
    "SELECT * FROM dbase_03_cyrillic": "code-page byte 0xF0 names a code page the driver",
    "SELECT * FROM dbase_8c": "/dbase_8c.dbt': No such file",
    "SELECT * FROM nomemo": "nomemo.dbt': No such file",
    # Its pointers lead into the memo file's header.
    "SELECT GENERAL FROM vfp": "Memo block 1 of file '",  # vfp.fpt
    # GDAL's NULL, and dBase's mark of a number too wide, which the program must not read.
    "SELECT qty FROM gdal": "Numeric value out of range: column 'qty' holds '*********'",
}


def same(value, reference):
    if isinstance(reference, (float, decimal.Decimal)):
        return value is not None and math.isclose(value, reference, rel_tol=1e-15)
    return value == reference


def check(cursor, query, want):
    """`query`, and the same through SQLite's engine (SELECT * alone is read directly)."""
    for sql in (query, query + (" AND 1=1" if " WHERE " in query else " WHERE 1=1")):
        got = [list(row) for row in cursor.execute(sql).fetchall()]
        assert len(got) == len(want), (sql, len(got), len(want))
        for number, (row, expected) in enumerate(zip(got, want)):
            for column, value, reference in zip(cursor.description, row, expected):
                assert same(value, reference), (sql, number, column[0], value, reference)


def dbfread_rows(folder, table, options):
    path = os.path.join(folder, next(f for f in os.listdir(folder)
                                     if f.lower() == table.lower() + ".dbf"))
    reader = dbfread.DBF(path, encoding=options.get("encoding"), ignore_missing_memofile=True,
                         char_decode_errors="strict", recfactory=lambda items: items)
    rows = [[v for n, v in items if n != "_NullFlags"] for items in reader]
    names = [f.name for f in reader.fields if f.name != "_NullFlags"]
    for (record, column), value in options.get("fixes", {}).items():
        rows[record][names.index(column)] = value
    return rows


def main(driver):
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "data")
        shutil.copytree(CORPUS, data)
        # GDAL writes a .cpg file and NULL numbers as '*'.
        for name, text in (("in.csv", 'name,qty,price\n"Zoë ✓",3,12.5\n,,\n'),
                           ("in.csvt", '"String","Integer","Real"\n')):
            with open(os.path.join(folder, name), "w", encoding="utf-8") as out:
                out.write(text)
        subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=UTF-8",
                        os.path.join(data, "gdal.dbf"), os.path.join(folder, "in.csv")],
                       check=True)
        # A real table without its memo file.
        shutil.copy(os.path.join(data, "dbase_83.dbf"), os.path.join(data, "nomemo.dbf"))
        with open(os.path.join(folder, "odbcinst.ini"), "w") as ini:
            ini.write(f"[Microsoft dBase Driver (*.dbf)]\nDriver={driver}\nSetup={driver}\n")
        open(os.path.join(folder, "odbc.ini"), "w").close()
        os.environ.update(ODBCSYSINI=folder, ODBCINSTINI="odbcinst.ini",
                          ODBCINI=os.path.join(folder, "odbc.ini"), HOME=folder)
        import pyodbc  # only now: the driver manager reads the variables once

        def connect(extra="", wide=False):
            text = "DRIVER={Microsoft dBase Driver (*.dbf)};DEFAULTDIR={" + data + "/}" + extra
            connection = pyodbc.connect(text, readonly=True)
            if wide:
                connection.setdecoding(pyodbc.SQL_CHAR, encoding="utf-16le",
                                       ctype=pyodbc.SQL_WCHAR)
            return connection.cursor()

        for wide in (False, True):
            for table, options in READ_AS_DBFREAD.items():
                codepage = options.get("codepage")
                cursor = connect(";CODEPAGE=" + codepage if codepage else "", wide)
                want = dbfread_rows(data, table, options)
                check(cursor, f"SELECT * FROM [{table}]", want)
                count = cursor.execute(f"SELECT COUNT(*) FROM [{table}]").fetchone()[0]
                assert count == len(want), (table, count)
            cursor = connect(";NULLSTARS=0", wide)  # as the program reads its prices
            for table, (query, want) in EXPECTED.items():
                check(cursor, query, want)
            for query, reason in REFUSED.items():
                for sql in (query, query + " WHERE 1=1"):
                    try:
                        cursor.execute(sql).fetchall()
                        raise AssertionError(sql + " was accepted")
                    except pyodbc.Error as error:
                        assert reason in error.args[1], (sql, error.args)

        cursor = connect()
        names = [d[0] for d in cursor.execute("SELECT * FROM dbase_03 WHERE 1=1").description]
        assert names[0] == "Point_ID" and names[-1] == "Point_ID_2", names
        types = [d[1] for d in cursor.execute("SELECT * FROM vfp").description]
        assert types[7:] == [bytearray] * 2 + [decimal.Decimal, T, float, int, int, str, str, str,
                             bytearray, str], types
        names = [c.column_name for c in cursor.columns(table="dbase_31")]
        assert len(names) == 10 and "_NullFlags" not in names, names
        names = [c.column_name for c in connect(";CODEPAGE=950").columns(table="dbase_not_latin1")]
        assert names[:3] == ["畜主姓名", "電話", "地址"], names  # as DBFFile's test reads them
        # The file's own bytes when asked for.
        cursor = connect(";CODEPAGE=raw")
        cursor.connection.setdecoding(pyodbc.SQL_CHAR, encoding="latin-1")
        assert cursor.execute("SELECT NAME FROM cp1251").fetchone()[0] == \
            "амбулаторно-поликлиническое".encode("cp1251").decode("latin-1")
    print("real tables read as dbfread and their sources read them")


if __name__ == "__main__":
    main(sys.argv[1])
