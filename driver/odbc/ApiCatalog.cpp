// SQLTables, SQLColumns and SQLGetTypeInfo, so that general tools can browse the
// connection's folder. Table and column names accept the search patterns '%' and '_'
// with '\' as escape; tables whose files cannot be read are left out of SQLColumns.
#include "driver/odbc/OdbcApi.h"

#include <strings.h>

#include <cctype>

#include "driver/dbf/Folder.h"
#include "driver/odbc/CatalogList.h"
#include "driver/odbc/SqlTypes.h"

using namespace kdbf;

namespace {

using Row = CatalogRow;

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

// A search pattern argument; nullopt when absent.
using Pattern = std::optional<std::string>;

template <class Char>
Pattern PatternArg(const Char* text, SQLSMALLINT length) {
    if (text == nullptr) return std::nullopt;
    return InText(text, length);
}

// An absent pattern matches everything.
bool MatchesArg(const Pattern& pattern, const std::string& name) {
    return !pattern || Matches(pattern->c_str(), name.c_str());
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// A list of table types such as "'TABLE','VIEW'" or "TABLE, SYSTEM TABLE": true when it
// names the only type there is. An absent or empty list, or "%", names every type.
bool WantsTables(const Pattern& types) {
    if (!types || types->empty() || *types == SQL_ALL_TABLE_TYPES) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = types->find(',', start);
        std::string item = types->substr(start, comma - start);
        const auto first = item.find_first_not_of(" \t'");
        const auto last = item.find_last_not_of(" \t'");
        if (first != std::string::npos && Upper(item.substr(first, last - first + 1)) == "TABLE")
            return true;
        if (comma == std::string::npos) return false;
        start = comma + 1;
    }
}

std::optional<std::string> Number(long long value) {
    return std::to_string(value);
}

std::vector<Row> ColumnRows(const std::string& table, const DbfTable& file, const Pattern& pattern,
                            SQLINTEGER odbc_version) {
    std::vector<Row> rows;
    int position = 0;
    for (const DbfField& field : file.Fields()) {
        ++position;
        if (!MatchesArg(pattern, field.name)) continue;
        const ColumnInfo info = DescribeField(field, table);
        const SqlType& type = SqlTypeOf(info.sql_type);
        const auto sub = DateTimeSub(info.sql_type);
        rows.push_back(Row{std::nullopt, std::nullopt, table, info.name,
                           Number(TypeCodeFor(info.sql_type, odbc_version)), type.name,
                           Number(static_cast<long long>(info.size)), Number(OctetLength(info)),
                           type.max_scale >= 0 ? Number(info.decimals) : std::nullopt,
                           type.numeric ? Number(10) : std::nullopt, Number(info.nullable),
                           std::nullopt, std::nullopt, Number(VerboseType(info.sql_type)),
                           sub ? Number(*sub) : std::nullopt,
                           type.text ? Number(OctetLength(info)) : std::nullopt, Number(position),
                           info.nullable == SQL_NO_NULLS ? "NO" : "YES"});
    }
    return rows;
}

SQLRETURN Tables(Statement& stmt, const Pattern& catalog, const Pattern& schema,
                 const Pattern& table, const Pattern& types) {
    std::vector<Row> rows;
    // The three enumerations ODBC defines: catalogs and schemas do not exist, and
    // "TABLE" is the one table type.
    const auto empty = [](const Pattern& p) { return p && p->empty(); };
    const bool all_types =
        empty(catalog) && empty(schema) && empty(table) && types == SQL_ALL_TABLE_TYPES;
    const bool all_catalogs = catalog == SQL_ALL_CATALOGS && empty(schema) && empty(table);
    const bool all_schemas = schema == SQL_ALL_SCHEMAS && empty(catalog) && empty(table);
    if (all_types) {
        rows.push_back(Row{std::nullopt, std::nullopt, std::nullopt, "TABLE", std::nullopt});
    } else if (!all_catalogs && !all_schemas && WantsTables(types)) {
        for (const std::string& name : ListTables(stmt.dbc->folder))
            if (MatchesArg(table, name))
                rows.push_back(Row{std::nullopt, std::nullopt, name, "TABLE", std::nullopt});
    }
    return SetListResult(
        stmt,
        {TextColumn("TABLE_CAT"), TextColumn("TABLE_SCHEM"), TextColumn("TABLE_NAME"),
         TextColumn("TABLE_TYPE"), TextColumn("REMARKS")},
        std::move(rows));
}

SQLRETURN Columns(Statement& stmt, const Pattern& table, const Pattern& column) {
    std::vector<Row> rows;
    for (const std::string& name : ListTables(stmt.dbc->folder)) {
        if (!MatchesArg(table, name)) continue;
        // The file may have gone since the folder was listed.
        const std::optional<std::string> path = FindTableFile(stmt.dbc->folder, name);
        if (!path) continue;
        std::unique_ptr<DbfTable> file;
        try {
            file = DbfTable::Open(*path, stmt.dbc->table_options);
        } catch (const DbfError&) {
            continue;
        }
        for (Row& row : ColumnRows(name, *file, column, stmt.dbc->env->odbc_version))
            rows.push_back(std::move(row));
    }
    return SetListResult(
        stmt,
        {TextColumn("TABLE_CAT"), TextColumn("TABLE_SCHEM"), TextColumn("TABLE_NAME"),
         TextColumn("COLUMN_NAME"), SmallColumn("DATA_TYPE"), TextColumn("TYPE_NAME"),
         IntegerColumn("COLUMN_SIZE"), IntegerColumn("BUFFER_LENGTH"),
         SmallColumn("DECIMAL_DIGITS"), SmallColumn("NUM_PREC_RADIX"), SmallColumn("NULLABLE"),
         TextColumn("REMARKS"), TextColumn("COLUMN_DEF"), SmallColumn("SQL_DATA_TYPE"),
         SmallColumn("SQL_DATETIME_SUB"), IntegerColumn("CHAR_OCTET_LENGTH"),
         IntegerColumn("ORDINAL_POSITION"), TextColumn("IS_NULLABLE")},
        std::move(rows));
}

// One row per type the driver delivers, or only those of `wanted` (SQL_ALL_TYPES: all).
SQLRETURN GetTypeInfo(Statement& stmt, SQLSMALLINT wanted) {
    const SQLINTEGER version = stmt.dbc->env->odbc_version;
    std::vector<Row> rows;
    for (const SqlType& type : SqlTypes()) {
        const SQLSMALLINT code = TypeCodeFor(type.sql_type, version);
        if (wanted != SQL_ALL_TYPES && wanted != code && wanted != type.sql_type) continue;
        const auto sub = DateTimeSub(type.sql_type);
        const auto text = [](const char* s) {
            return s ? std::optional<std::string>(s) : std::nullopt;
        };
        const auto scale = [&](long long v) {
            return type.max_scale >= 0 ? Number(v) : std::nullopt;
        };
        rows.push_back(Row{type.name, Number(code), Number(type.max_size), text(type.quote),
                           text(type.quote), text(type.create_params), Number(SQL_NULLABLE),
                           Number(type.text ? SQL_TRUE : SQL_FALSE), Number(Searchability(type)),
                           type.numeric ? Number(SQL_FALSE) : std::nullopt, Number(SQL_FALSE),
                           type.numeric ? Number(SQL_FALSE) : std::nullopt, type.local_name,
                           scale(0), scale(type.max_scale), Number(VerboseType(type.sql_type)),
                           sub ? Number(*sub) : std::nullopt,
                           type.numeric ? Number(10) : std::nullopt, std::nullopt});
    }
    return SetListResult(
        stmt,
        {TextColumn("TYPE_NAME"), SmallColumn("DATA_TYPE"), IntegerColumn("COLUMN_SIZE"),
         TextColumn("LITERAL_PREFIX"), TextColumn("LITERAL_SUFFIX"), TextColumn("CREATE_PARAMS"),
         SmallColumn("NULLABLE"), SmallColumn("CASE_SENSITIVE"), SmallColumn("SEARCHABLE"),
         SmallColumn("UNSIGNED_ATTRIBUTE"), SmallColumn("FIXED_PREC_SCALE"),
         SmallColumn("AUTO_UNIQUE_VALUE"), TextColumn("LOCAL_TYPE_NAME"),
         SmallColumn("MINIMUM_SCALE"), SmallColumn("MAXIMUM_SCALE"), SmallColumn("SQL_DATA_TYPE"),
         SmallColumn("SQL_DATETIME_SUB"), IntegerColumn("NUM_PREC_RADIX"),
         SmallColumn("INTERVAL_PRECISION")},
        std::move(rows));
}

template <class Body>
SQLRETURN OnStatement(SQLHSTMT handle, Body&& body) {
    return Guard<Statement>(handle, HandleKind::kStmt, std::forward<Body>(body));
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLTables(SQLHSTMT handle, SQLCHAR* catalog, SQLSMALLINT catalog_length,
                            SQLCHAR* schema, SQLSMALLINT schema_length, SQLCHAR* table,
                            SQLSMALLINT table_length, SQLCHAR* types, SQLSMALLINT types_length) {
    return OnStatement(handle, [&](Statement& stmt) {
        return Tables(stmt, PatternArg(catalog, catalog_length), PatternArg(schema, schema_length),
                      PatternArg(table, table_length), PatternArg(types, types_length));
    });
}

SQLRETURN SQL_API SQLTablesW(SQLHSTMT handle, SQLWCHAR* catalog, SQLSMALLINT catalog_length,
                             SQLWCHAR* schema, SQLSMALLINT schema_length, SQLWCHAR* table,
                             SQLSMALLINT table_length, SQLWCHAR* types, SQLSMALLINT types_length) {
    return OnStatement(handle, [&](Statement& stmt) {
        return Tables(stmt, PatternArg(catalog, catalog_length), PatternArg(schema, schema_length),
                      PatternArg(table, table_length), PatternArg(types, types_length));
    });
}

SQLRETURN SQL_API SQLColumns(SQLHSTMT handle, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT,
                             SQLCHAR* table, SQLSMALLINT table_length, SQLCHAR* column,
                             SQLSMALLINT column_length) {
    return OnStatement(handle, [&](Statement& stmt) {
        return Columns(stmt, PatternArg(table, table_length), PatternArg(column, column_length));
    });
}

SQLRETURN SQL_API SQLColumnsW(SQLHSTMT handle, SQLWCHAR*, SQLSMALLINT, SQLWCHAR*, SQLSMALLINT,
                              SQLWCHAR* table, SQLSMALLINT table_length, SQLWCHAR* column,
                              SQLSMALLINT column_length) {
    return OnStatement(handle, [&](Statement& stmt) {
        return Columns(stmt, PatternArg(table, table_length), PatternArg(column, column_length));
    });
}

SQLRETURN SQL_API SQLGetTypeInfo(SQLHSTMT handle, SQLSMALLINT type) {
    return OnStatement(handle, [&](Statement& stmt) { return GetTypeInfo(stmt, type); });
}

SQLRETURN SQL_API SQLGetTypeInfoW(SQLHSTMT handle, SQLSMALLINT type) {
    return OnStatement(handle, [&](Statement& stmt) { return GetTypeInfo(stmt, type); });
}

}  // extern "C"
