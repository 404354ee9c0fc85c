// The plain column list the driver reads directly, without SQL engine (the kestrix
// program's own query has this shape; any other statement goes to SqlEngine, which
// gives the same answers, only slower):
//
//   SELECT * FROM table
//   SELECT col [, col ...] FROM table
//
// optionally ended by one ';',
// where a column is `[table].[column]`, `table.column`, `[column]` or `column`, and
// the table is `[name]` or `name`. Inside brackets "]]" stands for "]". A name may also
// be quoted the standard way, `"name"` with `""` for `"`: that is the quote character the
// driver reports, so tools that quote names themselves use it. Keywords are
// case-insensitive and white space may be any amount.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kdbf {

struct ColumnRef {
    std::string table;  // empty when the column was not qualified
    std::string column;
};

struct SelectQuery {
    bool all_columns = false;        // SELECT *
    std::vector<ColumnRef> columns;  // empty when all_columns
    std::string table;
};

// The query `text` reads when it has the plain shape, nullopt for any other text.
std::optional<SelectQuery> ParsePlainSelect(const std::string& text);

}  // namespace kdbf
