// The result of a statement run through SQLite's engine.
#pragma once

#include <memory>
#include <string>

#include "driver/sql/ResultSet.h"
#include "driver/sql/SqlEngine.h"

namespace kdbf {

// The rows of `text` with `params` bound (a marker without a parameter is NULL when
// `all_params` is false, else an error 07002). The first row is read at once, so that
// the columns of expressions can be described by their first value. A forward-only
// result holds one row; a static one keeps the rows fetched so far, which is all that
// scrolling back needs.
std::unique_ptr<ResultSet> MakeSqlResult(SqlEngine& engine, const std::string& text,
                                         const SqlParams& params, bool all_params,
                                         bool forward_only);

}  // namespace kdbf
