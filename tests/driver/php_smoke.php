<?php
// PHP's odbc extension (an ODBC 2 client that fetches with SQLExtendedFetch) and PDO
// (ODBC 3) read a table through the driver manager and our driver: rows, catalog,
// type list and the driver's messages. Hermetic: every ini file lives in a temp folder.
//   php php_smoke.php DRIVER_LIBRARY MAKE_TABLE

function check(bool $ok, string $what): void {
    if (!$ok) {
        fwrite(STDERR, "php smoke test: $what\n");
        exit(1);
    }
}

function all_rows($result): array {
    $rows = [];
    while ($row = odbc_fetch_array($result)) $rows[] = $row;
    return $rows;
}

[, $driver, $make_table] = $argv;
$dir = sys_get_temp_dir() . "/kestrix-php-" . getmypid();
mkdir("$dir/my;data", 0700, true);
register_shutdown_function(fn() => exec("rm -rf " . escapeshellarg($dir)));
$table = escapeshellarg("$dir/my;data/peardat.dbf");
exec(escapeshellarg($make_table) . " $table 130", $_, $rc);
check($rc === 0, "cannot write the table");
file_put_contents("$dir/odbcinst.ini",
                  "[Microsoft dBase Driver (*.dbf)]\nDriver=$driver\nSetup=$driver\n");
file_put_contents("$dir/odbc.ini", "");
// Before the first connection: the driver manager reads them when it starts.
foreach (["ODBCSYSINI=$dir", "ODBCINSTINI=odbcinst.ini", "ODBCINI=$dir/odbc.ini",
          "HOME=$dir"] as $e)
    putenv($e);

$source = "DRIVER={Microsoft dBase Driver (*.dbf)};DEFAULTDIR={" . "$dir/my;data/}";
$c = odbc_connect($source, "", "");
check($c !== false, "no connection: " . odbc_errormsg());

$rows = all_rows(odbc_exec($c, "SELECT [peardat].[F1],[peardat].[FB]  FROM [peardat]"));
check(count($rows) === 130, "not 130 rows but " . count($rows));
check(all_rows(odbc_exec($c, "SELECT F1, FB FROM peardat")) ===
      all_rows(odbc_exec($c, "SELECT F1, FB FROM peardat WHERE 1=1")),
      "WHERE 1=1 reads other text than the plain SELECT");
check($rows[0] == ["F1" => "4.250", "FB" => "6.750"], "first row: " . json_encode($rows[0]));
check($rows[129] == ["F1" => "520.250", "FB" => "522.750"], "last row: " . json_encode($rows[129]));
check(count(all_rows(odbc_exec($c, "select * from PEARDAT;"))) === 130, "trailing ';'");

$tables = all_rows(odbc_tables($c));
check(array_column($tables, "TABLE_NAME") === ["peardat"], "tables: " . json_encode($tables));
$types = all_rows(odbc_tables($c, "", "", "", "%"));
check(array_column($types, "TABLE_TYPE") === ["TABLE"], "table types: " . json_encode($types));
$columns = all_rows(odbc_columns($c, null, null, "peardat"));
check(count($columns) === 11 && $columns[10]["COLUMN_NAME"] === "FB"
      && $columns[10]["TYPE_NAME"] === "DOUBLE" && $columns[10]["ORDINAL_POSITION"] === "11",
      "columns: " . json_encode($columns[10] ?? null));
$type = all_rows(odbc_gettypeinfo($c, SQL_DOUBLE));
check(array_column($type, "TYPE_NAME") === ["DOUBLE"], "type info: " . json_encode($type));
// An ODBC 2 client knows dates by their ODBC 2 code.
$type = all_rows(odbc_gettypeinfo($c, SQL_DATE));
check(array_column($type, "DATA_TYPE") === [(string)SQL_DATE], "dates: " . json_encode($type));

// Real SQL with parameters (PHP asks SQLDescribeParam for each marker first).
$statement = odbc_prepare($c, "SELECT F1 FROM peardat WHERE F1 BETWEEN ? AND ? ORDER BY F1 DESC");
check($statement !== false && odbc_execute($statement, [10, 20.5]), "prepare: " . odbc_errormsg($c));
check(array_column(all_rows($statement), "F1") === ["20.250", "16.250", "12.250"], "parameters");

check(@odbc_exec($c, "DELETE FROM peardat") === false, "DELETE ran");
// 42000 by its ODBC 2 name: the driver manager renames states for ODBC 2 clients.
check(odbc_error($c) === "37000", "DELETE state: " . odbc_error($c));
check(str_contains(odbc_errormsg($c), "[kestrix][dBase driver]DELETE statements cannot run: "
                   . "the dBase driver is read-only and runs only SELECT"), odbc_errormsg($c));
odbc_close($c);

$pdo = new PDO("odbc:$source");
$rows = $pdo->query("SELECT F1, FB FROM peardat")->fetchAll(PDO::FETCH_NUM);
check(count($rows) === 130 && $rows[129] == ["520.250", "522.750"], "PDO rows");
$count = $pdo->prepare("SELECT COUNT(*) FROM peardat WHERE F1 > ?");
check($count->execute([100]) && $count->fetchColumn() == 106, "PDO parameter");
echo "php smoke test passed\n";
