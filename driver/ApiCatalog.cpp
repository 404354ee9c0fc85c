// SQLTables and SQLColumns over the connection's folder, so that general tools can
// browse it. Table and column names accept the search patterns '%' and '_' with '\'
// as escape; tables whose files cannot be read are left out of SQLColumns.
#include "driver/OdbcApi.h"

#include <strings.h>

#include <cctype>

#include "driver/Folder.h"
#include "driver/Handles.h"

using namespace kdbf;

namespace {

using Row = std::vector<std::optional<std::string>>;

// Greedy matching that remembers only the last '%': a pattern full of '%' and '_' costs
// at most length(pattern) x length(text) steps, where naive backtracking is exponential.
bool Matches(const char* pattern, const char* text) {
    const char* after_percent = nullptr;  // the pattern just past the last '%'
    const char* retry = nullptr;          // where that '%' would next resume in the text
    while (*text != '\0') {
        if (*pattern == '%') {
            after_percent = ++pattern;
            retry = text;
            continue;
        }
        const char* p = pattern;
        const bool escaped = *p == '\\' && p[1] != '\0';
        if (escaped) ++p;
        if (*p != '\0' &&
            ((!escaped && *p == '_') || std::toupper(static_cast<unsigned char>(*p)) ==
                                            std::toupper(static_cast<unsigned char>(*text)))) {
            pattern = p + 1;
            ++text;
            continue;
        }
        if (after_percent == nullptr) return false;
        pattern = after_percent;
        text = ++retry;
    }
    while (*pattern == '%') ++pattern;
    return *pattern == '\0';
}

// An absent pattern matches everything.
bool MatchesArg(const SQLCHAR* pattern, SQLSMALLINT length, const std::string& name) {
    if (pattern == nullptr) return true;
    return Matches(InText(pattern, length).c_str(), name.c_str());
}

ColumnInfo Text(const char* name) {
    return ColumnInfo{name, "", SQL_VARCHAR, 128, 0, SQL_NULLABLE};
}
ColumnInfo Small(const char* name) {
    return ColumnInfo{name, "", SQL_SMALLINT, 5, 0, SQL_NULLABLE};
}
ColumnInfo Integer(const char* name) {
    return ColumnInfo{name, "", SQL_INTEGER, 10, 0, SQL_NULLABLE};
}

bool WantsTables(const SQLCHAR* types, SQLSMALLINT length) {
    if (types == nullptr) return true;
    const std::string list = InText(types, length);
    if (list.empty() || list == "%") return true;
    std::string upper;
    for (char c : list) upper += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper.find("TABLE") != std::string::npos;
}

std::vector<Row> ColumnRows(const std::string& table, const DbfTable& file, const SQLCHAR* pattern,
                            SQLSMALLINT length) {
    std::vector<Row> rows;
    int position = 0;
    for (const DbfField& field : file.Fields()) {
        ++position;
        if (!MatchesArg(pattern, length, field.name)) continue;
        const ColumnInfo info = DescribeField(field, table);
        const bool is_double = info.sql_type == SQL_DOUBLE;
        const std::string size = std::to_string(info.size);
        rows.push_back(Row{std::nullopt, std::nullopt, table, field.name,
                           std::to_string(info.sql_type), is_double ? "DOUBLE" : "CHAR", size,
                           is_double ? "8" : size, std::to_string(info.decimals),
                           is_double ? std::optional<std::string>("10") : std::nullopt,
                           std::to_string(SQL_NULLABLE), std::nullopt, std::nullopt,
                           std::to_string(info.sql_type), std::nullopt,
                           is_double ? std::nullopt : std::optional<std::string>(size),
                           std::to_string(position), "YES"});
    }
    return rows;
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                            SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* types,
                            SQLSMALLINT types_length) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        CloseCursor(stmt);
        std::vector<Row> rows;
        if (WantsTables(types, types_length))
            for (const std::string& name : ListTables(stmt.dbc->folder))
                if (MatchesArg(table, table_length, name))
                    rows.push_back(Row{std::nullopt, std::nullopt, name, "TABLE", std::nullopt});
        stmt.result = MakeListResult({Text("TABLE_CAT"), Text("TABLE_SCHEM"), Text("TABLE_NAME"),
                                      Text("TABLE_TYPE"), Text("REMARKS")},
                                     std::move(rows));
        stmt.bindings.resize(std::max<std::size_t>(stmt.bindings.size(), 5));
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                             SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column,
                             SQLSMALLINT column_length) {
    return Guard<Statement>(handle, HandleKind::kStmt, [&](Statement& stmt) -> SQLRETURN {
        CloseCursor(stmt);
        std::vector<Row> rows;
        for (const std::string& name : ListTables(stmt.dbc->folder)) {
            if (!MatchesArg(table, table_length, name)) continue;
            // The file may have gone since the folder was listed.
            const std::optional<std::string> path = FindTableFile(stmt.dbc->folder, name);
            if (!path) continue;
            std::unique_ptr<DbfTable> file;
            try {
                file = DbfTable::Open(*path);
            } catch (const DbfError&) {
                continue;
            }
            for (Row& row : ColumnRows(name, *file, column, column_length))
                rows.push_back(std::move(row));
        }
        stmt.result = MakeListResult(
            {Text("TABLE_CAT"), Text("TABLE_SCHEM"), Text("TABLE_NAME"), Text("COLUMN_NAME"),
             Small("DATA_TYPE"), Text("TYPE_NAME"), Integer("COLUMN_SIZE"),
             Integer("BUFFER_LENGTH"), Small("DECIMAL_DIGITS"), Small("NUM_PREC_RADIX"),
             Small("NULLABLE"), Text("REMARKS"), Text("COLUMN_DEF"), Small("SQL_DATA_TYPE"),
             Small("SQL_DATETIME_SUB"), Integer("CHAR_OCTET_LENGTH"), Integer("ORDINAL_POSITION"),
             Text("IS_NULLABLE")},
            std::move(rows));
        stmt.bindings.resize(std::max<std::size_t>(stmt.bindings.size(), 18));
        return SQL_SUCCESS;
    });
}

}  // extern "C"
