#include "driver/Convert.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

#include "driver/Diagnostics.h"

namespace kdbf {

std::optional<double> ParseNumber(const std::string& text) {
    std::size_t begin = text.find_first_not_of(' ');
    std::size_t end = text.find_last_not_of(' ');
    if (begin == std::string::npos) return std::nullopt;
    const char* first = text.data() + begin;
    const char* last = text.data() + end + 1;
    if (*first == '+') ++first;  // from_chars refuses a leading plus
    double value = 0;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || ptr != last || !std::isfinite(value)) return std::nullopt;
    return value;
}

SQLSMALLINT DefaultCType(SQLSMALLINT sql_type) {
    switch (sql_type) {
        case SQL_DOUBLE:
            return SQL_C_DOUBLE;
        case SQL_SMALLINT:
            return SQL_C_SSHORT;
        case SQL_INTEGER:
            return SQL_C_SLONG;
        default:
            return SQL_C_CHAR;
    }
}

namespace {

double NumberOf(const std::string& text, const std::string& column) {
    std::optional<double> value = ParseNumber(text);
    if (!value)
        throw OdbcError("22018", "Invalid character value for conversion to a number: '" + text +
                                     "' in column '" + column + "' is not a number");
    return *value;
}

template <class Int>
Delivery DeliverInteger(const std::string& text, const CellTarget& target,
                        const std::string& column) {
    const double value = NumberOf(text, column);
    const double whole = std::trunc(value);
    // max + 1 is a power of two and exact as a double, whereas max may round up to it.
    const double low = static_cast<double>(std::numeric_limits<Int>::min());
    const double beyond = std::ldexp(1.0, std::numeric_limits<Int>::digits);
    if (whole < low || whole >= beyond)
        throw OdbcError("22003",
                        "Numeric value out of range: '" + text + "' in column '" + column + "'");
    const Int out = static_cast<Int>(whole);
    std::memcpy(target.buffer, &out, sizeof out);
    if (target.indicator != nullptr) *target.indicator = sizeof out;
    return whole == value ? Delivery::kComplete : Delivery::kFractionTruncated;
}

// Text in parts: each call writes what fits after what earlier calls delivered.
// Code units of SQL_C_WCHAR are the bytes themselves (single-byte tables, Latin-1).
Delivery DeliverText(const std::string& text, const CellTarget& target, std::size_t* offset,
                     bool wide) {
    const std::size_t start = offset != nullptr ? *offset : 0;
    const std::size_t remaining = text.size() - (start < text.size() ? start : text.size());
    const std::size_t unit = wide ? 2 : 1;
    if (target.indicator != nullptr) *target.indicator = static_cast<SQLLEN>(remaining * unit);
    if (target.buffer == nullptr || target.buffer_length < static_cast<SQLLEN>(unit))
        return remaining > 0 ? Delivery::kTruncated : Delivery::kComplete;
    const std::size_t room = static_cast<std::size_t>(target.buffer_length) / unit - 1;
    const std::size_t n = remaining < room ? remaining : room;
    if (wide) {
        auto* out = static_cast<SQLWCHAR*>(target.buffer);
        for (std::size_t i = 0; i < n; ++i)
            out[i] = static_cast<SQLWCHAR>(static_cast<unsigned char>(text[start + i]));
        out[n] = 0;
    } else {
        auto* out = static_cast<char*>(target.buffer);
        std::memcpy(out, text.data() + start, n);
        out[n] = '\0';
    }
    if (offset != nullptr) *offset = start + n;
    return n < remaining ? Delivery::kTruncated : Delivery::kComplete;
}

}  // namespace

Delivery DeliverCell(const std::optional<std::string>& cell, SQLSMALLINT sql_type,
                     const CellTarget& target, std::size_t* offset, const std::string& column) {
    if (!cell) {
        if (target.indicator == nullptr)
            throw OdbcError("22002",
                            "Indicator variable required but not supplied for the "
                            "NULL value of column '" +
                                column + "'");
        *target.indicator = SQL_NULL_DATA;
        return Delivery::kComplete;
    }
    SQLSMALLINT c_type = target.c_type == SQL_C_DEFAULT ? DefaultCType(sql_type) : target.c_type;
    if (target.buffer == nullptr && c_type != SQL_C_CHAR && c_type != SQL_C_WCHAR)
        throw OdbcError("HY009", "Invalid use of null pointer for column '" + column + "'");
    switch (c_type) {
        case SQL_C_CHAR:
            return DeliverText(*cell, target, offset, false);
        case SQL_C_WCHAR:
            return DeliverText(*cell, target, offset, true);
        case SQL_C_DOUBLE: {
            const double value = NumberOf(*cell, column);
            std::memcpy(target.buffer, &value, sizeof value);
            if (target.indicator != nullptr) *target.indicator = sizeof value;
            return Delivery::kComplete;
        }
        case SQL_C_FLOAT: {
            const auto value = static_cast<float>(NumberOf(*cell, column));
            std::memcpy(target.buffer, &value, sizeof value);
            if (target.indicator != nullptr) *target.indicator = sizeof value;
            return Delivery::kComplete;
        }
        case SQL_C_SLONG:
        case SQL_C_LONG:
            return DeliverInteger<SQLINTEGER>(*cell, target, column);
        case SQL_C_SSHORT:
        case SQL_C_SHORT:
            return DeliverInteger<SQLSMALLINT>(*cell, target, column);
        case SQL_C_SBIGINT:
            return DeliverInteger<SQLBIGINT>(*cell, target, column);
        case SQL_C_ULONG:
            return DeliverInteger<SQLUINTEGER>(*cell, target, column);
        case SQL_C_USHORT:
            return DeliverInteger<SQLUSMALLINT>(*cell, target, column);
        case SQL_C_UBIGINT:
            return DeliverInteger<SQLUBIGINT>(*cell, target, column);
        case SQL_C_STINYINT:
        case SQL_C_TINYINT:
            return DeliverInteger<SQLSCHAR>(*cell, target, column);
        case SQL_C_UTINYINT:
            return DeliverInteger<SQLCHAR>(*cell, target, column);
        default:
            throw OdbcError("07006", "Restricted data type attribute violation: column '" + column +
                                         "' cannot be delivered as C type " +
                                         std::to_string(target.c_type));
    }
}

}  // namespace kdbf
