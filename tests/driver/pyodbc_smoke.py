"""pyodbc reads a table through the driver manager and our driver: values, NULLs,
column descriptions, catalog browsing, the type list and the driver's error texts,
names beyond ASCII included (pyodbc uses the wide entry points). Hermetic: every
ini file lives in a temp folder.

    pyodbc_smoke.py DRIVER_LIBRARY MAKE_TABLE
"""
import os
import subprocess
import sys
import tempfile


def main(driver, make_table):
    with tempfile.TemporaryDirectory() as folder:
        data = os.path.join(folder, "my;data")
        os.mkdir(data)
        subprocess.run([make_table, os.path.join(data, "peardat.dbf"), "130"], check=True)
        subprocess.run([make_table, os.path.join(data, "Ünï.dbf"), "2"], check=True)
        with open(os.path.join(folder, "odbcinst.ini"), "w") as ini:
            ini.write(f"[Microsoft dBase Driver (*.dbf)]\nDriver={driver}\nSetup={driver}\n")
        open(os.path.join(folder, "odbc.ini"), "w").close()
        os.environ.update(ODBCSYSINI=folder, ODBCINSTINI="odbcinst.ini",
                          ODBCINI=os.path.join(folder, "odbc.ini"), HOME=folder)
        import pyodbc  # only now: the driver manager reads the variables once

        connection = pyodbc.connect(
            "DRIVER={Microsoft dBase Driver (*.dbf)};DEFAULTDIR={" + data + "/}", readonly=True)
        cursor = connection.cursor()
        cursor.execute("SELECT [peardat].[F1],[peardat].[FB]  FROM [peardat]")
        assert [d[0] for d in cursor.description] == ["F1", "FB"], cursor.description
        assert cursor.description[0][1] is float
        rows = cursor.fetchall()
        assert len(rows) == 130, len(rows)
        assert tuple(rows[0]) == (4.25, 6.75), rows[0]
        assert tuple(rows[129]) == (520.25, 522.75), rows[129]

        # Real SQL with parameters, TOP and a connection check.
        rows = cursor.execute("SELECT F1 FROM peardat WHERE F1 BETWEEN ? AND ? ORDER BY F1 DESC",
                              10, 20.5).fetchall()
        assert [r[0] for r in rows] == [20.25, 16.25, 12.25], rows
        rows = cursor.execute("SELECT TOP 2 [F1] FROM [peardat] ORDER BY [F1] DESC").fetchall()
        assert [r[0] for r in rows] == [520.25, 516.25], rows
        assert cursor.execute("SELECT 1").fetchone()[0] == 1
        assert cursor.execute("SELECT COUNT(*) FROM [Ünï] WHERE ? = 'Ünï'", "Ünï").fetchone()[0] == 2

        assert [t.table_name for t in cursor.tables()] == ["peardat", "Ünï"]
        assert len(cursor.execute("SELECT * FROM [Ünï];").fetchall()) == 2
        assert [t.type_name for t in cursor.getTypeInfo(pyodbc.SQL_DOUBLE)] == ["DOUBLE"]
        columns = [c.column_name for c in cursor.columns(table="peardat")]
        assert columns[0] == "F1" and columns[-1] == "FB" and len(columns) == 11, columns

        try:
            cursor.execute("SELECT [peardat].[FC] FROM [peardat]")
            raise AssertionError("a missing column was accepted")
        except pyodbc.Error as error:
            assert error.args[0] == "42S22", error.args
            assert "[kestrix][dBase driver]Column 'FC' not found" in error.args[1], error.args
        try:
            cursor.execute("SELECT * FROM [Öl]")
            raise AssertionError("a missing table was accepted")
        except pyodbc.Error as error:  # the whole text and nothing after it
            assert error.args[1].startswith(
                "[42S02] [kestrix][dBase driver]Table 'Öl' not found: no file 'Öl.dbf' in folder '"
                + data + "/' (0)"), error.args
        connection.close()
    print("pyodbc smoke test passed")


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
