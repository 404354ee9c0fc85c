# Perl DBI with DBD::ODBC reads a table through the driver manager and our driver:
# rows, catalog (whole key names), the type list and the driver's messages.
# Hermetic: every ini file lives in a temp folder.
#   perl perl_smoke.pl DRIVER_LIBRARY MAKE_TABLE
use strict;
use warnings;
use File::Temp qw(tempdir);

my ($driver, $make_table) = @ARGV;
my $dir = tempdir(CLEANUP => 1);
my $data = "$dir/my;data";
mkdir $data or die "mkdir: $!";
system($make_table, "$data/peardat.dbf", "130") == 0 or die "cannot write the table\n";
sub write_file { open my $f, '>', $_[0] or die "$_[0]: $!"; print $f $_[1]; close $f }
write_file("$dir/odbcinst.ini",
           "[Microsoft dBase Driver (*.dbf)]\nDriver=$driver\nSetup=$driver\n");
write_file("$dir/odbc.ini", "");
# Before the driver manager starts: it reads them once.
@ENV{qw(ODBCSYSINI ODBCINSTINI ODBCINI HOME)} = ($dir, "odbcinst.ini", "$dir/odbc.ini", $dir);
require DBI;

sub check { my ($ok, $what) = @_; $ok or die "perl smoke test: $what\n" }

my $dbh = DBI->connect("dbi:ODBC:DRIVER={Microsoft dBase Driver (*.dbf)};DEFAULTDIR={$data/}",
                       "", "", {RaiseError => 1, PrintError => 0});
my $rows = $dbh->selectall_arrayref("SELECT [peardat].[F1],[peardat].[FB]  FROM [peardat]");
check(@$rows == 130, "not 130 rows but " . @$rows);
check("@{$rows->[0]}" eq "4.250 6.750" && "@{$rows->[129]}" eq "520.250 522.750",
      "rows: @{$rows->[0]} / @{$rows->[129]}");
check(@{$dbh->selectall_arrayref("select F1 from peardat;")} == 130, "trailing ';'");
check(join(",", map { @$_ } @{$dbh->selectall_arrayref("SELECT F1, FB FROM peardat")}) eq
      join(",", map { @$_ } @{$dbh->selectall_arrayref("SELECT F1, FB FROM peardat WHERE 1=1")}),
      "WHERE 1=1 reads other text than the plain SELECT");

my $tables = $dbh->table_info(undef, undef, "%", "TABLE")->fetchall_arrayref({});
check(@$tables == 1 && $tables->[0]{TABLE_NAME} eq "peardat", "table_info");
my $columns = $dbh->column_info(undef, undef, "peardat", "F%")->fetchall_arrayref({});
check(@$columns == 11, "column_info: " . @$columns . " columns");
my %last = %{$columns->[10]};
check($last{COLUMN_NAME} eq "FB" && $last{TYPE_NAME} eq "DOUBLE" && $last{ORDINAL_POSITION} == 11
      && exists $last{CHAR_OCTET_LENGTH} && exists $last{SQL_DATETIME_SUB},
      "column_info keys: " . join(",", sort keys %last));

my $type_info = $dbh->type_info_all;
my %index = %{$type_info->[0]};
my @names = map { $_->[$index{TYPE_NAME}] } @$type_info[1 .. $#$type_info];
check("@names" eq "BIT LONGVARBINARY VARBINARY LONGVARCHAR CHAR DECIMAL INTEGER SMALLINT DOUBLE DATE TIMESTAMP",
      "type_info_all: @names");
check(($dbh->type_info(DBI::SQL_DOUBLE()))[0]->{TYPE_NAME} eq "DOUBLE", "type_info(SQL_DOUBLE)");
my @keys = $dbh->primary_key("", "", "peardat");
check(!@keys && !$dbh->err, "primary_key: @keys");

check($dbh->selectrow_array("SELECT 1") == 1, "SELECT 1");
my $f1 = $dbh->selectcol_arrayref(
    "SELECT F1 FROM peardat WHERE F1 BETWEEN ? AND ? ORDER BY F1 DESC", undef, 10, 20.5);
check("@$f1" eq "20.250 16.250 12.250", "parameters: @$f1");
check(!eval { $dbh->do("DELETE FROM peardat"); 1 }, "DELETE ran");
check($dbh->state eq "42000"
      && index($dbh->errstr, "[kestrix][dBase driver]DELETE statements cannot run: the dBase "
               . "driver is read-only and runs only SELECT") >= 0,
      "DELETE: " . $dbh->state . " " . $dbh->errstr);
$dbh->disconnect;
print "perl smoke test passed\n";
