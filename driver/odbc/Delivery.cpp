#include "driver/odbc/Delivery.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>

#include "driver/base/Diagnostics.h"
#include "driver/base/Number.h"
#include "driver/base/Utf16.h"
#include "driver/base/System.h"
#include "driver/dbf/CodePage.h"

namespace kdbf {

SQLSMALLINT DefaultCType(SQLSMALLINT sql_type) {
    switch (sql_type) {
        case SQL_DOUBLE:
            return SQL_C_DOUBLE;
        case SQL_SMALLINT:
            return SQL_C_SSHORT;
        case SQL_INTEGER:
            return SQL_C_SLONG;
        case SQL_BIT:
            return SQL_C_BIT;
        case SQL_TYPE_DATE:
            return SQL_C_TYPE_DATE;
        case SQL_TYPE_TIMESTAMP:
            return SQL_C_TYPE_TIMESTAMP;
        case SQL_VARBINARY:
        case SQL_LONGVARBINARY:
            return SQL_C_BINARY;
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

// Text in parts: each call writes what fits after what earlier calls delivered, counted
// in code units of the C type (bytes of UTF-8, or UTF-16 units).
template <class Unit>
Delivery DeliverUnits(const Unit* text, std::size_t size, const CellTarget& target,
                      std::size_t* offset) {
    const std::size_t start = offset != nullptr ? std::min(*offset, size) : 0;
    const std::size_t remaining = size - start;
    const std::size_t unit = sizeof(Unit);
    if (target.indicator != nullptr) *target.indicator = static_cast<SQLLEN>(remaining * unit);
    if (target.buffer == nullptr || target.buffer_length < static_cast<SQLLEN>(unit))
        return remaining > 0 ? Delivery::kTruncated : Delivery::kComplete;
    std::size_t n = std::min(remaining, static_cast<std::size_t>(target.buffer_length) / unit - 1);
    // A UTF-16 surrogate pair is never split between two parts.
    if (unit == 2 && n > 0 && n < remaining && (text[start + n - 1] & 0xFC00) == 0xD800) --n;
    auto* out = static_cast<Unit*>(target.buffer);
    std::memcpy(out, text + start, n * unit);
    out[n] = 0;
    if (offset != nullptr) *offset = start + n;
    return n < remaining ? Delivery::kTruncated : Delivery::kComplete;
}

// Bytes in parts, as DeliverUnits delivers text but without a terminating NUL.
Delivery DeliverBytes(const std::string& bytes, const CellTarget& target, std::size_t* offset) {
    const std::size_t start = offset != nullptr ? std::min(*offset, bytes.size()) : 0;
    const std::size_t remaining = bytes.size() - start;
    if (target.indicator != nullptr) *target.indicator = static_cast<SQLLEN>(remaining);
    const std::size_t n =
        std::min(remaining, static_cast<std::size_t>(std::max<SQLLEN>(0, target.buffer_length)));
    if (n > 0) std::memcpy(target.buffer, bytes.data() + start, n);
    if (offset != nullptr) *offset = start + n;
    return n < remaining ? Delivery::kTruncated : Delivery::kComplete;
}

// Binary data as text: two hexadecimal digits a byte, as ODBC converts it.
std::string HexText(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned char c : bytes) text.append({kDigits[c >> 4], kDigits[c & 15]});
    return text;
}

// "YYYY-MM-DD[ HH:MM:SS[.fff]]", the canonical text of dates and timestamps.
struct DateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    unsigned fraction = 0;  // nanoseconds
};

DateTime DateTimeOf(const std::string& text, const std::string& column) {
    DateTime t;
    char tail = 0;
    unsigned milli = 0;
    const int n = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d.%3u%c", &t.year, &t.month,
                              &t.day, &t.hour, &t.minute, &t.second, &milli, &tail);
    if (n != 3 && n != 6 && n != 7)
        throw OdbcError("22018", "Invalid character value for conversion to a date: '" + text +
                                     "' in column '" + column + "'");
    t.fraction = milli * 1000000u;
    return t;
}

template <class Struct>
Delivery DeliverStruct(const Struct& value, const CellTarget& target) {
    std::memcpy(target.buffer, &value, sizeof value);
    if (target.indicator != nullptr) *target.indicator = sizeof value;
    return Delivery::kComplete;
}

Delivery DeliverBit(const std::string& text, const CellTarget& target, const std::string& column) {
    const double value = NumberOf(text, column);
    if (value < 0 || value >= 2)
        throw OdbcError("22003",
                        "Numeric value out of range: '" + text + "' in column '" + column + "'");
    const unsigned char bit = value >= 1 ? 1 : 0;
    DeliverStruct(bit, target);
    return value == bit ? Delivery::kComplete : Delivery::kFractionTruncated;
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
    const bool binary = sql_type == SQL_VARBINARY || sql_type == SQL_LONGVARBINARY;
    const std::string& text = binary && c_type != SQL_C_BINARY ? HexText(*cell) : *cell;
    switch (c_type) {
        case SQL_C_BINARY:
            return DeliverBytes(*cell, target, offset);
        case SQL_C_CHAR: {
            const std::string narrow = Utf8ToNarrow(text);
            return DeliverUnits(narrow.data(), narrow.size(), target, offset);
        }
        case SQL_C_WCHAR: {
            std::u16string wide;
            AppendUtf16(text, &wide);
            static_assert(sizeof(SQLWCHAR) == sizeof(char16_t));
            return DeliverUnits(reinterpret_cast<const SQLWCHAR*>(wide.data()), wide.size(), target,
                                offset);
        }
        case SQL_C_BIT:
            return DeliverBit(*cell, target, column);
        case SQL_C_TYPE_DATE:
        case SQL_C_DATE: {
            const DateTime t = DateTimeOf(*cell, column);
            const SQL_DATE_STRUCT date{static_cast<SQLSMALLINT>(t.year),
                                       static_cast<SQLUSMALLINT>(t.month),
                                       static_cast<SQLUSMALLINT>(t.day)};
            DeliverStruct(date, target);
            return t.hour || t.minute || t.second || t.fraction ? Delivery::kFractionTruncated
                                                                : Delivery::kComplete;
        }
        case SQL_C_TYPE_TIMESTAMP:
        case SQL_C_TIMESTAMP: {
            const DateTime t = DateTimeOf(*cell, column);
            const SQL_TIMESTAMP_STRUCT stamp{static_cast<SQLSMALLINT>(t.year),
                                             static_cast<SQLUSMALLINT>(t.month),
                                             static_cast<SQLUSMALLINT>(t.day),
                                             static_cast<SQLUSMALLINT>(t.hour),
                                             static_cast<SQLUSMALLINT>(t.minute),
                                             static_cast<SQLUSMALLINT>(t.second),
                                             t.fraction};
            return DeliverStruct(stamp, target);
        }
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
