// SQLPrimaryKeys, SQLForeignKeys, SQLStatistics and SQLSpecialColumns. A dBase table
// declares no keys, and the driver reads no index files, so the answers are true and
// short: result sets of the standard shape without rows (SQLStatistics gives the one
// row that describes the table itself). Tools that browse (LibreOffice Base, DBI's
// primary_key_info) ask for these and treat an unsupported function as an error.
#include "driver/odbc/OdbcApi.h"

#include "driver/dbf/Folder.h"
#include "driver/odbc/CatalogList.h"

using namespace kdbf;

namespace {

SQLRETURN List(Statement& stmt, std::vector<ColumnInfo> columns,
               std::vector<CatalogRow> rows = {}) {
    return SetListResult(stmt, std::move(columns), std::move(rows));
}

SQLRETURN PrimaryKeys(Statement& stmt) {
    return List(stmt, {TextColumn("TABLE_CAT"), TextColumn("TABLE_SCHEM"), TextColumn("TABLE_NAME"),
                       TextColumn("COLUMN_NAME"), SmallColumn("KEY_SEQ"), TextColumn("PK_NAME")});
}

SQLRETURN ForeignKeys(Statement& stmt) {
    return List(
        stmt, {TextColumn("PKTABLE_CAT"), TextColumn("PKTABLE_SCHEM"), TextColumn("PKTABLE_NAME"),
               TextColumn("PKCOLUMN_NAME"), TextColumn("FKTABLE_CAT"), TextColumn("FKTABLE_SCHEM"),
               TextColumn("FKTABLE_NAME"), TextColumn("FKCOLUMN_NAME"), SmallColumn("KEY_SEQ"),
               SmallColumn("UPDATE_RULE"), SmallColumn("DELETE_RULE"), TextColumn("FK_NAME"),
               TextColumn("PK_NAME"), SmallColumn("DEFERRABILITY")});
}

// `table` is a name, not a pattern; a table that does not exist has no row.
SQLRETURN Statistics(Statement& stmt, const std::string& table) {
    std::vector<CatalogRow> rows;
    if (FindTableFile(stmt.dbc->folder, table))
        rows.push_back(CatalogRow{std::nullopt, std::nullopt, table, std::nullopt, std::nullopt,
                                  std::nullopt, std::to_string(SQL_TABLE_STAT), std::nullopt,
                                  std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                                  std::nullopt});
    return List(stmt,
                {TextColumn("TABLE_CAT"), TextColumn("TABLE_SCHEM"), TextColumn("TABLE_NAME"),
                 SmallColumn("NON_UNIQUE"), TextColumn("INDEX_QUALIFIER"), TextColumn("INDEX_NAME"),
                 SmallColumn("TYPE"), SmallColumn("ORDINAL_POSITION"), TextColumn("COLUMN_NAME"),
                 TextColumn("ASC_OR_DESC"), IntegerColumn("CARDINALITY"), IntegerColumn("PAGES"),
                 TextColumn("FILTER_CONDITION")},
                std::move(rows));
}

SQLRETURN SpecialColumns(Statement& stmt) {
    return List(stmt, {SmallColumn("SCOPE"), TextColumn("COLUMN_NAME"), SmallColumn("DATA_TYPE"),
                       TextColumn("TYPE_NAME"), IntegerColumn("COLUMN_SIZE"),
                       IntegerColumn("BUFFER_LENGTH"), SmallColumn("DECIMAL_DIGITS"),
                       SmallColumn("PSEUDO_COLUMN")});
}

template <class Body>
SQLRETURN OnStatement(SQLHSTMT handle, Body&& body) {
    return Guard<Statement>(handle, HandleKind::kStmt, std::forward<Body>(body));
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLPrimaryKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                 SQLCHAR*, SQLSMALLINT) {
    return OnStatement(handle, PrimaryKeys);
}

SQLRETURN SQL_API SQLPrimaryKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                  SQLWCHAR*, SQLSMALLINT) {
    return OnStatement(handle, PrimaryKeys);
}

SQLRETURN SQL_API SQLForeignKeys(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                 SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                 SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return OnStatement(handle, ForeignKeys);
}

SQLRETURN SQL_API SQLForeignKeysW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                  SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*,
                                  SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return OnStatement(handle, ForeignKeys);
}

SQLRETURN SQL_API SQLStatistics(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                                SQLCHAR* table, SQLSMALLINT table_length, SQLUSMALLINT,
                                SQLUSMALLINT) {
    return OnStatement(
        handle, [&](Statement& stmt) { return Statistics(stmt, InText(table, table_length)); });
}

SQLRETURN SQL_API SQLStatisticsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                 SQLWCHAR* table, SQLSMALLINT table_length, SQLUSMALLINT,
                                 SQLUSMALLINT) {
    return OnStatement(
        handle, [&](Statement& stmt) { return Statistics(stmt, InText(table, table_length)); });
}

SQLRETURN SQL_API SQLSpecialColumns(SQLHSTMT handle, SQLUSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*,
                                    SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLUSMALLINT,
                                    SQLUSMALLINT) {
    return OnStatement(handle, SpecialColumns);
}

SQLRETURN SQL_API SQLSpecialColumnsW(SQLHSTMT handle, SQLUSMALLINT, SQLWCHAR*, SQLSMALLINT,
                                     SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT, SQLUSMALLINT,
                                     SQLUSMALLINT) {
    return OnStatement(handle, SpecialColumns);
}

}  // extern "C"
