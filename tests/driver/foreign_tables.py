"""Tables written by other programs read through the driver (pyodbc, the real driver
manager) give the values an independent reader (dbfread) gives, type by type and in
three code pages, as UTF-8 (SQL_C_CHAR) and as UTF-16 (SQL_C_WCHAR). Hermetic: every
ini file lives in a temp folder.

    foreign_tables.py DRIVER_LIBRARY
"""
import datetime
import os
import shutil
import subprocess
import sys
import tempfile

import dbf
import dbfread


def write_tables(folder):
    """The tables, and the encoding dbfread is to read each with (None: its own choice)."""
    csv = os.path.join(folder, "in.csv")
    with open(csv, "w", encoding="utf-8") as out:
        out.write('name,qty,price,born\n"Zoë Ünï ✓",3,12.5,2024-02-29\n,,,\n"plain",-7,0.001,1999-12-31\n')
    with open(csv + "t", "w") as out:
        out.write('"String","Integer","Real","Date"\n')
    # GDAL: a .cpg file saying UTF-8 and no code-page byte.
    subprocess.run(["ogr2ogr", "-f", "ESRI Shapefile", "-lco", "ENCODING=UTF-8",
                    os.path.join(folder, "gdalutf8.dbf"), csv], check=True)
    nullable = ("name C(20) null; qty I null; price Y null; stamp T null; ratio B null; "
                "memo M null; born D null; ok L null; amount N(10,2) null")
    vfp = dbf.Table(os.path.join(folder, "vfp.dbf"), nullable, dbf_type="vfp", codepage="cp1252")
    vfp.open(dbf.READ_WRITE)
    vfp.append(("Zoë €5", -3, 12.5, datetime.datetime(2024, 2, 29, 13, 45, 7), 0.1,
                "a memo\nwith € and two lines", datetime.date(2024, 2, 29), True, -1.25))
    vfp.append((dbf.Null,) * 9)
    vfp.append(("x" * 20, -2147483647, __import__("decimal").Decimal("-92233720368547.5807"), datetime.datetime(1900, 1, 1),
                -1e300, "", datetime.date(1, 1, 1), False, 99999.99))
    vfp.close()
    for kind in ("db3", "fp"):  # memo in .dbt and .fpt, code page 437
        table = dbf.Table(os.path.join(folder, kind + ".dbf"),
                          "name C(20); memo M; born D; ok L; amount N(10,2)", dbf_type=kind,
                          codepage="cp437")
        table.open(dbf.READ_WRITE)
        table.append(("Å é ½", "memo of " + kind + " " + "long " * 300, datetime.date(1999, 12, 31),
                      False, 3.5))
        table.append()
        table.append(("T", "short", datetime.date(2000, 2, 29), True, -0.5))
        table.close()
    return {"gdalutf8": "utf-8", "vfp": None, "db3": None, "fp": None}


def expected_rows(path, encoding):
    rows = []
    for record in dbfread.DBF(path, encoding=encoding, char_decode_errors="strict"):
        record.pop("_NullFlags", None)
        rows.append(list(record.values()))
    return rows


def check_table(cursor, folder, table, encoding, where=""):
    cursor.execute(f"SELECT * FROM {table}{where}")
    got = [list(row) for row in cursor.fetchall()]
    want = expected_rows(os.path.join(folder, table + ".dbf"), encoding)
    assert len(got) == len(want), (table, got, want)
    for number, (row, expected) in enumerate(zip(got, want)):
        if table == "vfp" and number == 1:  # every field NULL through _NULLFLAGS,
            assert row == [None] * 9, row   # which dbfread does not read
            continue
        for column, value, reference in zip(cursor.description, row, expected):
            if isinstance(reference, float):
                ok = value is not None and abs(value - reference) <= abs(reference) * 1e-15
            else:
                ok = value == reference
            assert ok, (table, number, column[0], value, reference)


def main(driver):
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "data")
        os.mkdir(data)
        tables = write_tables(data)
        with open(os.path.join(folder, "odbcinst.ini"), "w") as ini:
            ini.write(f"[Microsoft dBase Driver (*.dbf)]\nDriver={driver}\nSetup={driver}\n")
        open(os.path.join(folder, "odbc.ini"), "w").close()
        os.environ.update(ODBCSYSINI=folder, ODBCINSTINI="odbcinst.ini",
                          ODBCINI=os.path.join(folder, "odbc.ini"), HOME=folder)
        import pyodbc  # only now: the driver manager reads the variables once

        # GDAL writes NULL numbers as '*', which is otherwise dBase's overflow mark.
        text = "DRIVER={Microsoft dBase Driver (*.dbf)};NULLSTARS=1;DEFAULTDIR={" + data + "/}"
        for wide in (False, True):
            connection = pyodbc.connect(text, readonly=True)
            if wide:
                connection.setdecoding(pyodbc.SQL_CHAR, encoding="utf-16le", ctype=pyodbc.SQL_WCHAR)
            cursor = connection.cursor()
            for table, encoding in tables.items():
                check_table(cursor, data, table, encoding)
                # The same through SQLite's engine. Currency there is a double, exact to
                # 15 digits, so the VFP table's 19-digit extreme is left out.
                if table != "vfp":
                    check_table(cursor, data, table, encoding, " WHERE 1")
            sql = [list(r) for r in cursor.execute("SELECT * FROM vfp WHERE price > 0").fetchall()]
            direct = [list(r) for r in cursor.execute("SELECT * FROM vfp").fetchall()]
            assert sql == [direct[0]], (sql, direct)
            cursor.execute("SELECT * FROM vfp")
            types = [d[1] for d in cursor.description]
            assert types == [str, int, __import__("decimal").Decimal, datetime.datetime, float,
                             str, datetime.date, bool, float], types
            columns = [c.column_name for c in cursor.columns(table="vfp")]
            assert "_NULLFLAGS" not in columns and len(columns) == 9, columns
            connection.close()

        # The file's own bytes when asked for.
        connection = pyodbc.connect(text + ";CODEPAGE=raw", readonly=True)
        connection.setdecoding(pyodbc.SQL_CHAR, encoding="latin-1")
        name = connection.cursor().execute("SELECT name FROM db3").fetchone()[0]
        assert name == "Å é ½".encode("cp437").decode("latin-1"), name
        connection.close()

        # A memo file that is missing is named; a field type the driver cannot read is
        # refused naming the column and its letter.
        shutil.copy(os.path.join(data, "db3.dbf"), os.path.join(data, "nomemo.dbf"))
        raw = bytearray(open(os.path.join(data, "vfp.dbf"), "rb").read())
        raw[32 + 11] = ord("G")  # the first field, NAME, becomes a general field
        open(os.path.join(data, "general.dbf"), "wb").write(raw)
        cursor = pyodbc.connect(text, readonly=True).cursor()
        for query, message in (("SELECT memo FROM nomemo", "nomemo.dbt"),
                               ("SELECT * FROM general", "Column 'NAME' of table 'general' has "
                                                         "the field type 'G'")):
            try:
                cursor.execute(query).fetchall()
                raise AssertionError(query + " was accepted")
            except pyodbc.Error as error:
                assert message in error.args[1], error.args
        assert cursor.execute("SELECT name FROM nomemo").fetchone()[0] == "Å é ½"
    print("foreign tables read as dbfread reads them")


if __name__ == "__main__":
    main(sys.argv[1])
