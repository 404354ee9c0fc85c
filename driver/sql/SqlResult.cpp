// Results of SQL statements, and the binding of their parameters.
#include <sqlite3.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "driver/base/Utf16.h"
#include "driver/dbf/FieldValue.h"
#include "driver/sql/SqlResult.h"

namespace kdbf {
namespace {

// ---- Parameters ---------------------------------------------------------------------

SQLSMALLINT DefaultCType(SQLSMALLINT sql_type) {
    switch (sql_type) {
        case SQL_WCHAR:
        case SQL_WVARCHAR:
        case SQL_WLONGVARCHAR:
            return SQL_C_WCHAR;
        case SQL_INTEGER:
            return SQL_C_SLONG;
        case SQL_SMALLINT:
            return SQL_C_SSHORT;
        case SQL_TINYINT:
            return SQL_C_STINYINT;
        case SQL_BIGINT:
            return SQL_C_SBIGINT;
        case SQL_BIT:
            return SQL_C_BIT;
        case SQL_REAL:
            return SQL_C_FLOAT;
        case SQL_FLOAT:
        case SQL_DOUBLE:
            return SQL_C_DOUBLE;
        case SQL_TYPE_DATE:
        case SQL_DATE:
            return SQL_C_TYPE_DATE;
        case SQL_TYPE_TIME:
        case SQL_TIME:
            return SQL_C_TYPE_TIME;
        case SQL_TYPE_TIMESTAMP:
        case SQL_TIMESTAMP:
            return SQL_C_TYPE_TIMESTAMP;
        case SQL_BINARY:
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return SQL_C_BINARY;
        default:
            return SQL_C_CHAR;
    }
}

template <class T>
T ValueAs(const SqlParam& param) {
    T value;
    std::memcpy(&value, param.value, sizeof value);
    return value;
}

std::string Digits2(unsigned n) {
    char text[8];
    std::snprintf(text, sizeof text, "%02u", n % 100);
    return text;
}

std::string DateText(const SQL_DATE_STRUCT& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", d.year, d.month % 100, d.day % 100);
    return text;
}

std::string TimeText(unsigned hour, unsigned minute, unsigned second) {
    return Digits2(hour) + ":" + Digits2(minute) + ":" + Digits2(second);
}

// Binds `param` to marker `index` of `stmt`, in the form the tables' values have:
// dates as "YYYY-MM-DD", timestamps as "YYYY-MM-DD HH:MM:SS[.fff]", text as UTF-8.
void Bind(sqlite3_stmt* stmt, int index, const SqlParam& param) {
    const SQLLEN indicator = param.indicator != nullptr ? *param.indicator : SQL_NTS;
    if (indicator == SQL_NULL_DATA || param.value == nullptr) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    if (indicator == SQL_DATA_AT_EXEC || indicator <= SQL_LEN_DATA_AT_EXEC_OFFSET)
        throw OdbcError("HYC00", "Parameters sent at execution time are not supported");
    const SQLSMALLINT c_type =
        param.c_type == SQL_C_DEFAULT ? DefaultCType(param.sql_type) : param.c_type;
    auto text = [&](const std::string& value) {
        sqlite3_bind_text(stmt, index, value.data(), static_cast<int>(value.size()),
                          SQLITE_TRANSIENT);
    };
    switch (c_type) {
        case SQL_C_CHAR: {
            const auto* chars = static_cast<const char*>(param.value);
            return text(indicator == SQL_NTS
                            ? std::string(chars)
                            : std::string(chars, static_cast<std::size_t>(indicator)));
        }
        case SQL_C_WCHAR: {
            const auto* units = static_cast<const char16_t*>(param.value);
            std::size_t count = 0;
            if (indicator == SQL_NTS)
                while (units[count] != 0) ++count;
            else
                count = static_cast<std::size_t>(indicator) / sizeof(char16_t);
            return text(Utf16ToUtf8(std::u16string(units, count)));
        }
        case SQL_C_BINARY:
            sqlite3_bind_blob(
                stmt, index, param.value,
                static_cast<int>(indicator == SQL_NTS ? param.buffer_length : indicator),
                SQLITE_TRANSIENT);
            return;
        case SQL_C_SLONG:
        case SQL_C_LONG:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLINTEGER>(param));
            return;
        case SQL_C_ULONG:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLUINTEGER>(param));
            return;
        case SQL_C_SSHORT:
        case SQL_C_SHORT:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLSMALLINT>(param));
            return;
        case SQL_C_USHORT:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLUSMALLINT>(param));
            return;
        case SQL_C_STINYINT:
        case SQL_C_TINYINT:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLSCHAR>(param));
            return;
        case SQL_C_UTINYINT:
        case SQL_C_BIT:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLCHAR>(param));
            return;
        case SQL_C_SBIGINT:
            sqlite3_bind_int64(stmt, index, ValueAs<SQLBIGINT>(param));
            return;
        case SQL_C_UBIGINT: {
            const auto value = ValueAs<SQLUBIGINT>(param);
            if (value <= static_cast<SQLUBIGINT>(INT64_MAX))
                sqlite3_bind_int64(stmt, index, static_cast<sqlite3_int64>(value));
            else
                sqlite3_bind_double(stmt, index, static_cast<double>(value));
            return;
        }
        case SQL_C_DOUBLE:
            sqlite3_bind_double(stmt, index, ValueAs<SQLDOUBLE>(param));
            return;
        case SQL_C_FLOAT:
            sqlite3_bind_double(stmt, index, ValueAs<SQLREAL>(param));
            return;
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE:
            return text(DateText(ValueAs<SQL_DATE_STRUCT>(param)));
        case SQL_C_TYPE_TIME:
        case SQL_C_TIME: {
            const auto t = ValueAs<SQL_TIME_STRUCT>(param);
            return text(TimeText(t.hour, t.minute, t.second));
        }
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP: {
            const auto ts = ValueAs<SQL_TIMESTAMP_STRUCT>(param);
            std::string value = DateText({ts.year, ts.month, ts.day}) + " " +
                                TimeText(ts.hour, ts.minute, ts.second);
            // Stored timestamps carry milliseconds at most, and only when not zero.
            const unsigned millis = (ts.fraction / 1000000) % 1000;
            if (millis != 0) {
                char fraction[8];
                std::snprintf(fraction, sizeof fraction, ".%03u", millis);
                value += fraction;
            }
            return text(value);
        }
        default:
            throw OdbcError(
                "HYC00", "Parameters of C type " + std::to_string(c_type) + " are not supported");
    }
}

void BindAll(sqlite3_stmt* stmt, const SqlParams& params, bool all_params) {
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int i = 1; i <= count; ++i) {
        const auto index = static_cast<std::size_t>(i - 1);
        if (index < params.size() && params[index]) {
            Bind(stmt, i, *params[index]);
        } else if (all_params) {
            throw OdbcError(
                "07002", "COUNT field incorrect: parameter " + std::to_string(i) + " is not bound");
        }
    }
}

// ---- Results ------------------------------------------------------------------------

// How a column is described and its values are written as text. A column from a table
// is described as the direct path describes the field, and its numbers are written as
// the field gives them: with its declared decimals where the field has them (N F, and
// Y's four), else in the shortest form. Any other column (an expression) is described
// by its first value, INTEGER within 32 bits as SQL_INTEGER, other numbers as
// SQL_DOUBLE, text as SQL_CHAR of at least 255 characters, and SQL_CHAR(255) when the
// first value is NULL or there is no row; its numbers are written in the shortest form.
struct Column {
    ColumnInfo info;
    int decimals = -1;  // the decimals numbers are written with; -1: the shortest form
};

Column Describe(const SqlEngine& engine, sqlite3_stmt* stmt, int column, bool has_row) {
    const char* table = sqlite3_column_table_name(stmt, column);
    const char* origin = sqlite3_column_origin_name(stmt, column);
    Column result;
    ColumnInfo& info = result.info;
    if (table != nullptr && origin != nullptr) {
        if (const DbfField* field = engine.FindField(table, origin)) {
            info = DescribeField(*field, table);
            if (std::strchr("NFY", field->type) != nullptr) result.decimals = info.decimals;
        }
    }
    info.name = sqlite3_column_name(stmt, column);
    if (!info.table.empty()) return result;
    info.sql_type = SQL_CHAR;
    info.size = 255;
    if (!has_row) return result;
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_INTEGER: {
            const sqlite3_int64 value = sqlite3_column_int64(stmt, column);
            if (value >= INT32_MIN && value <= INT32_MAX) {
                info.sql_type = SQL_INTEGER;
                info.size = 10;
                break;
            }
            [[fallthrough]];
        }
        case SQLITE_FLOAT:
            info.sql_type = SQL_DOUBLE;
            info.size = 15;
            break;
        case SQLITE_TEXT:
            info.size =
                std::max<SQLULEN>(255, static_cast<SQLULEN>(sqlite3_column_bytes(stmt, column)));
            break;
        case SQLITE_BLOB:
            info.sql_type = SQL_VARBINARY;
            info.size =
                std::max<SQLULEN>(255, static_cast<SQLULEN>(sqlite3_column_bytes(stmt, column)));
            break;
        default:
            break;
    }
    return result;
}

// `value` with `decimals` decimals. A value read from a field of that many decimals
// has at most 15 significant digits, so its scaled form is the stored digits exactly;
// what would not fit goes the general, slower way.
std::string FixedText(double value, int decimals) {
    static const double kScale[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8, 1e9,
                                    1e10, 1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18};
    char buffer[400];  // a double in fixed notation takes up to 309 digits
    const double scaled = decimals < 19 ? value * kScale[decimals] : 1e300;
    if (!(std::fabs(scaled) < 1e15)) {
        auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value,
                                       std::chars_format::fixed, decimals);
        return std::string(buffer, end);
    }
    const long long digits = std::llround(scaled);
    auto [end, ec] = std::to_chars(buffer, buffer + 32, digits < 0 ? -digits : digits);
    std::string text = digits < 0 ? "-" : "";
    const auto count = static_cast<int>(end - buffer);
    if (count <= decimals) text.append(static_cast<std::size_t>(decimals - count + 1), '0');
    text.append(buffer, end);
    if (decimals > 0) text.insert(text.size() - static_cast<std::size_t>(decimals), 1, '.');
    return text;
}

std::optional<std::string> Text(sqlite3_value* value, int decimals) {
    switch (sqlite3_value_type(value)) {
        case SQLITE_NULL:
            return std::nullopt;
        case SQLITE_INTEGER:
            if (decimals <= 0) return std::to_string(sqlite3_value_int64(value));
            [[fallthrough]];
        case SQLITE_FLOAT: {
            const double number = sqlite3_value_double(value);
            if (decimals >= 0) return FixedText(number, decimals);
            char buffer[32];
            auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, number);
            return std::string(buffer, end);
        }
        default: {
            const auto* bytes = static_cast<const char*>(sqlite3_value_blob(value));
            return std::string(bytes != nullptr ? bytes : "",
                               static_cast<std::size_t>(sqlite3_value_bytes(value)));
        }
    }
}

struct ValueDeleter {
    void operator()(sqlite3_value* value) const { sqlite3_value_free(value); }
};
using Row = std::vector<std::unique_ptr<sqlite3_value, ValueDeleter>>;

class SqlResult : public ResultSet {
public:
    SqlResult(SqlEngine& engine, StmtPtr stmt, bool forward_only)
        : engine_(engine), stmt_(std::move(stmt)), rows_(forward_only) {
        const bool has_row = Reach(0);
        const int count = sqlite3_column_count(stmt_.get());
        for (int i = 0; i < count; ++i) {
            Column column = Describe(engine_, stmt_.get(), i, has_row);
            columns_.push_back(column.info);
            decimals_.push_back(column.decimals);
        }
        if (has_row && !forward_only) Keep();
    }

    const std::vector<ColumnInfo>& Columns() const override { return columns_; }

    bool HasRow(std::size_t row) override { return Reach(row); }

    std::size_t CountRows() override {
        Reach(RowTrack::kEnd);
        return rows_.Reached();
    }

    std::optional<std::string> Cell(std::size_t row, int column) override {
        return Text(ValueAt(row, column), decimals_.at(static_cast<std::size_t>(column)));
    }

    std::optional<double> Number(std::size_t row, int column) override {
        sqlite3_value* value = ValueAt(row, column);
        const int type = sqlite3_value_type(value);
        if (type != SQLITE_FLOAT && type != SQLITE_INTEGER) return std::nullopt;
        return sqlite3_value_double(value);
    }

private:
    // A forward-only result reads the current row's values from the statement when
    // asked; a static one keeps a copy of every row it reached. Until the columns are
    // described (the first row's step), nothing is kept.
    bool Reach(std::size_t row) {
        auto step = [this](std::size_t) {
            const int rc = sqlite3_step(stmt_.get());
            if (rc == SQLITE_DONE) return false;
            if (rc != SQLITE_ROW) engine_.FailStep(rc);
            if (!rows_.ForwardOnly() && !columns_.empty()) Keep();
            return true;
        };
        return rows_.Reach(row, step, [this] { sqlite3_reset(stmt_.get()); });
    }

    sqlite3_value* ValueAt(std::size_t row, int column) {
        if (!rows_.StandsOn(row) && !Reach(row))
            throw OdbcError("HY109", "Invalid cursor position");
        if (column < 0 || static_cast<std::size_t>(column) >= columns_.size())
            throw std::out_of_range("column");
        if (rows_.ForwardOnly()) return sqlite3_column_value(stmt_.get(), column);
        return kept_[row][static_cast<std::size_t>(column)].get();
    }

    void Keep() {
        Row row(columns_.size());
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            row[i].reset(sqlite3_value_dup(sqlite3_column_value(stmt_.get(), static_cast<int>(i))));
            if (!row[i]) throw OdbcError("HY001", "Memory allocation error: cannot keep a row");
        }
        kept_.push_back(std::move(row));
    }

    SqlEngine& engine_;
    StmtPtr stmt_;
    RowTrack rows_;
    std::vector<ColumnInfo> columns_;
    std::vector<int> decimals_;
    std::vector<Row> kept_;  // static: every row reached
};

}  // namespace

std::unique_ptr<ResultSet> MakeSqlResult(SqlEngine& engine, const std::string& text,
                                         const SqlParams& params, bool all_params,
                                         bool forward_only) {
    StmtPtr stmt = engine.Prepare(text);
    BindAll(stmt.get(), params, all_params);
    return std::make_unique<SqlResult>(engine, std::move(stmt), forward_only);
}

}  // namespace kdbf
