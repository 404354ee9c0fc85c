// Real SQL over the tables of a connection's folder, with SQLite doing the parsing,
// planning and evaluation. Each table is a read-only virtual table over the driver's
// own reader (DbfTable), its file handed over as the module's argument, created the
// first time a statement names it, so a folder of thousands of files costs little until
// used. The database lives in memory; the only
// files any statement can reach are the folder's tables, and only for reading.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/base/Diagnostics.h"
#include "driver/dbf/DbfTable.h"

struct sqlite3;
struct sqlite3_stmt;

namespace kdbf {

// A parameter bound with SQLBindParameter.
struct SqlParam {
    SQLSMALLINT c_type = SQL_C_DEFAULT;
    SQLSMALLINT sql_type = SQL_VARCHAR;
    SQLPOINTER value = nullptr;
    SQLLEN buffer_length = 0;
    SQLLEN* indicator = nullptr;
};
using SqlParams = std::vector<std::optional<SqlParam>>;

struct StmtDeleter {
    void operator()(sqlite3_stmt* stmt) const;
};
using StmtPtr = std::unique_ptr<sqlite3_stmt, StmtDeleter>;

class SqlEngine {
public:
    SqlEngine(std::string folder, TableOptions options);
    ~SqlEngine();
    SqlEngine(const SqlEngine&) = delete;
    SqlEngine& operator=(const SqlEngine&) = delete;

    const std::string& Folder() const { return folder_; }

    // Prepares one statement (in the client's SQL: it is translated here), creating the
    // tables it names. Throws OdbcError: 42S02 for a table with no file, 42S22 for a
    // missing column, HY000 for a column it uses that cannot be delivered (see
    // CheckReadable), 42000 for a statement that would change anything, for more than
    // one statement, and for what SQLite cannot parse (quoting the text).
    StmtPtr Prepare(const std::string& text);

    // After sqlite3_step failed with `rc`: throws the error a table's reader raised
    // during the step (with its own SQLSTATE), else SQLite's message as HY000.
    [[noreturn]] void FailStep(int rc);

    // The field behind column `column` of table `table` (as SQLite names them in a
    // result's column metadata), or null when the table is not one of the folder's.
    const DbfField* FindField(const std::string& table, const std::string& column) const;

    // Used by the virtual-table module (SqlEngine.cpp).
    struct Module;

private:
    struct NoCase {  // SQLite's names ignore the case of ASCII letters
        bool operator()(const std::string& a, const std::string& b) const;
    };
    void CreateTable(const std::string& name, const std::string& path);
    [[noreturn]] void FailPrepare(const std::string& sql, const std::string& text,
                                  const std::map<std::string, OdbcError, NoCase>& unopened);

    std::string folder_;
    TableOptions options_;
    sqlite3* db_ = nullptr;
    bool internal_ = false;  // running the driver's own CREATE VIRTUAL TABLE
    bool denied_ = false;    // the authorizer refused part of the last statement
    struct Table {
        std::string path;
        std::vector<DbfField> fields;
    };
    std::map<std::string, Table, NoCase> tables_;  // by the name they were made with
    std::optional<OdbcError> reader_error_;
};

// The refusals every route gives, in one wording.
OdbcError TableNotFound(const std::string& table, const std::string& folder);
OdbcError ColumnNotFound(const std::string& column, const std::string& table,
                         const std::string& path);
OdbcError ReadOnlyRefusal(const std::string& verb);

// Throws OdbcError HY000 when field `field` of `table` (named `name` in the statement)
// cannot be delivered: a type the driver cannot read, or a memo without its memo file.
void CheckReadable(DbfTable& table, int field, const std::string& name);

}  // namespace kdbf
