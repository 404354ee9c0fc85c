// The result sets of the catalog functions: their columns, and handing a list of rows
// to a statement as its open result.
#pragma once

#include <algorithm>

#include "driver/odbc/Handles.h"

namespace kdbf {

using CatalogRow = std::vector<std::optional<std::string>>;

// Names in catalog results are file names or field names: up to 255 bytes.
inline ColumnInfo TextColumn(const char* name) {
    return ColumnInfo{name, "", SQL_VARCHAR, 255, 0, SQL_NULLABLE};
}
inline ColumnInfo SmallColumn(const char* name) {
    return ColumnInfo{name, "", SQL_SMALLINT, 5, 0, SQL_NULLABLE};
}
inline ColumnInfo IntegerColumn(const char* name) {
    return ColumnInfo{name, "", SQL_INTEGER, 10, 0, SQL_NULLABLE};
}

// Closes the statement's cursor and opens one on `rows`.
inline SQLRETURN SetListResult(Statement& stmt, std::vector<ColumnInfo> columns,
                               std::vector<CatalogRow> rows) {
    CloseCursor(stmt);
    const std::size_t count = columns.size();
    stmt.result = MakeListResult(std::move(columns), std::move(rows));
    stmt.bindings.resize(std::max(stmt.bindings.size(), count));
    return SQL_SUCCESS;
}

}  // namespace kdbf
