// How a statement runs: the one place that picks its route. A plain column list of one
// table (QueryParser.h) is read directly from the file, at the reader's own speed;
// every other statement goes through SQLite's engine. The direct route is only faster:
// it gives the rows, descriptions, texts and errors the engine would give.
#pragma once

#include <memory>
#include <string>

#include "driver/sql/ResultSet.h"
#include "driver/sql/SqlEngine.h"

namespace kdbf {

// The result of `text`, positioned before its first row; `all_params`: every marker
// must have a bound parameter (when executing, not when describing). Throws OdbcError.
std::unique_ptr<ResultSet> OpenQuery(SqlEngine& engine, const std::string& text,
                                     const SqlParams& params, bool all_params, bool forward_only);

// Checks `text` as preparing it does, with the errors its execution would give for a
// missing table or column or a statement that writes; the number of its `?` markers.
int PrepareQuery(SqlEngine& engine, const std::string& text);

}  // namespace kdbf
