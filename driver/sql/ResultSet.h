// What a statement fetches from: a table read lazily from its file, or a small list
// built in memory (catalog functions). Rows are numbered from 0 among the rows a
// client may see; deleted records are never counted.
#pragma once

#include <sql.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "driver/dbf/DbfTable.h"
#include "driver/dbf/FieldValue.h"
#include "driver/sql/QueryParser.h"

namespace kdbf {

class ResultSet {
public:
    virtual ~ResultSet() = default;
    virtual const std::vector<ColumnInfo>& Columns() const = 0;
    // True when row `row` exists; reads no further than needed to know.
    virtual bool HasRow(std::size_t row) = 0;
    // Number of rows; may read the whole table.
    virtual std::size_t CountRows() = 0;
    // The value of column `column` (from 0) in row `row`, as text; nullopt is NULL.
    // Throws OdbcError when the value cannot be read.
    virtual std::optional<std::string> Cell(std::size_t row, int column) = 0;
    // The same value as a double, for a result that holds it as a number and a client
    // that asks for one, sparing the text in between; nullopt when the result holds
    // it otherwise (ask Cell). Equal to what Cell's text reads as.
    virtual std::optional<double> Number(std::size_t /*row*/, int /*column*/) {
        return std::nullopt;
    }
};

// The rows of `query` over a table file. Throws OdbcError 42S22 for a missing column
// and HY000 for a column of a type the driver cannot read. A forward-only result keeps
// no memory per row; a scrollable one remembers where each visible row is stored.
std::unique_ptr<ResultSet> MakeTableResult(std::unique_ptr<DbfTable> table,
                                           const SelectQuery& query, const std::string& name,
                                           bool forward_only = false);

// Where a result read in one pass stands among its rows: the rows reached so far. A
// forward-only result stands on the last of them (until it looked past the end) and,
// asked for a row behind that, reads again from the start; a static one keeps what it
// needs of every row it reached.
class RowTrack {
public:
    explicit RowTrack(bool forward_only) : forward_only_(forward_only) {}

    // Reaches row `row`: `step(n)` moves the reader to the next row, which becomes row
    // `n`, and returns false at the end; `restart()` takes a forward-only reader back
    // before its first row. False when there is no such row.
    template <class Step, class Restart>
    bool Reach(std::size_t row, Step&& step, Restart&& restart) {
        if (forward_only_ && row + (done_ ? 0 : 1) < reached_) {
            restart();
            reached_ = 0;
            done_ = false;
        }
        while (reached_ <= row && !done_) {
            if (step(reached_))
                ++reached_;
            else
                done_ = true;
        }
        return row < reached_;
    }

    // The number of rows reached: all of them once Reach went past the end.
    std::size_t Reached() const { return reached_; }
    bool ForwardOnly() const { return forward_only_; }
    // True when a forward-only reader stands on row `row`: Reach(row) would do nothing.
    bool StandsOn(std::size_t row) const { return forward_only_ && !done_ && row + 1 == reached_; }

    // For Reach(kEnd, ...): every row.
    static constexpr std::size_t kEnd = static_cast<std::size_t>(-2);

private:
    const bool forward_only_;
    std::size_t reached_ = 0;
    bool done_ = false;
};

// A fixed list of rows.
std::unique_ptr<ResultSet> MakeListResult(
    std::vector<ColumnInfo> columns, std::vector<std::vector<std::optional<std::string>>> rows);

}  // namespace kdbf
