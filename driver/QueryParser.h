// The small SELECT dialect the driver understands:
//
//   SELECT * FROM table
//   SELECT col [, col ...] FROM table
//
// where a column is `[table].[column]`, `table.column`, `[column]` or `column`, and
// the table is `[name]` or `name`. Inside brackets "]]" stands for "]". A name may also
// be quoted the standard way, `"name"` with `""` for `"`: that is the quote character the
// driver reports, so tools that quote names themselves use it. Keywords are
// case-insensitive and white space may be any amount.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kdbf {

// A query text that is not in the dialect; what() quotes the part not understood.
class SyntaxError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ColumnRef {
    std::string table;  // empty when the column was not qualified
    std::string column;
};

struct SelectQuery {
    bool all_columns = false;        // SELECT *
    std::vector<ColumnRef> columns;  // empty when all_columns
    std::string table;
};

// Parses `text`; throws SyntaxError.
SelectQuery ParseSelect(const std::string& text);

}  // namespace kdbf
