// How a statement runs: the one place that picks its route. A plain column list of one
// table (QueryParser.h) is read directly from the file, at the reader's own speed;
// every other statement goes through SQLite's engine. The direct route is only faster:
// it gives the rows, descriptions, texts and errors the engine would give.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "driver/sql/ResultSet.h"
#include "driver/sql/SqlEngine.h"

namespace kdbf {

// Where a statement runs: the folder's tables, read with `options`, and the SQL engine,
// made only when a statement needs it.
struct QueryPlace {
    const std::string& folder;
    const TableOptions& options;
    std::function<SqlEngine&()> engine;
};

// The result of `text`, positioned before its first row; `all_params`: every marker
// must have a bound parameter (when executing, not when describing). Throws OdbcError.
std::unique_ptr<ResultSet> OpenQuery(const QueryPlace& place, const std::string& text,
                                     const SqlParams& params, bool all_params, bool forward_only);

// Checks `text` as preparing it does, with the errors its execution would give for a
// missing table or column or a statement that writes; the number of its `?` markers.
int PrepareQuery(const QueryPlace& place, const std::string& text);

}  // namespace kdbf
