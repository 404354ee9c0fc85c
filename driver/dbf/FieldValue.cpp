#include "driver/dbf/FieldValue.h"

#include <charconv>
#include <cstring>

#include "driver/base/Diagnostics.h"
#include "driver/base/Number.h"
#include "driver/dbf/CodePage.h"
#include "driver/dbf/MemoFile.h"

namespace kdbf {
namespace {

// Memo text has no fixed width; clients that size buffers by the column get this much
// at a time and read the rest with SQLGetData.
constexpr SQLULEN kMemoSize = 65535;

// The SQL type, column size and decimal digits of a field; SQL_UNKNOWN_TYPE when the
// driver cannot decode it.
struct TypeOf {
    SQLSMALLINT sql_type;
    SQLULEN size;
    int decimals;
};

TypeOf FieldType(const DbfField& field) {
    const bool fox8 = field.visual_foxpro && field.width == 8;
    switch (field.type) {
        case 'C':
            return {SQL_CHAR, static_cast<SQLULEN>(field.width), 0};
        case 'N':
        case 'F':
            return {SQL_DOUBLE, 15, field.decimals};  // the decimal digits a double holds
        case 'D':
            return {SQL_TYPE_DATE, 10, 0};
        case 'L':
            return {SQL_BIT, 1, 0};
        case 'M':
            return {SQL_LONGVARCHAR, kMemoSize, 0};
        case 'B':
            return fox8 ? TypeOf{SQL_DOUBLE, 15, field.decimals} : TypeOf{SQL_UNKNOWN_TYPE, 0, 0};
        case 'I':
            return field.visual_foxpro && field.width == 4 ? TypeOf{SQL_INTEGER, 10, 0}
                                                           : TypeOf{SQL_UNKNOWN_TYPE, 0, 0};
        case 'Y':
            return fox8 ? TypeOf{SQL_DECIMAL, 19, 4} : TypeOf{SQL_UNKNOWN_TYPE, 0, 0};
        case 'T':
            return fox8 ? TypeOf{SQL_TYPE_TIMESTAMP, 23, 3} : TypeOf{SQL_UNKNOWN_TYPE, 0, 0};
        default:
            return {SQL_UNKNOWN_TYPE, 0, 0};
    }
}

template <class T>
T LittleEndian(std::string_view raw) {
    if (raw.size() < sizeof(T))
        throw OdbcError("HY000", "A binary field is narrower than its type");
    T value{};
    std::memcpy(&value, raw.data(), sizeof value);  // the file's order is the host's
    return value;
}

bool IsBlank(std::string_view raw) {
    return raw.find_first_not_of(std::string_view(" \0", 2)) == std::string_view::npos;
}

void AppendDigits(long value, int width, std::string* out) {
    char buffer[24];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    for (int n = static_cast<int>(end - buffer); n < width; ++n) out->push_back('0');
    out->append(buffer, end);
}

int DaysInMonth(int year, int month) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

// "YYYYMMDD" as stored in D fields into "YYYY-MM-DD"; false when blank or all zero.
bool DateText(std::string_view raw, const std::string& column, std::string* out) {
    const std::string_view text = TrimFieldText(raw, 'D');
    if (text.empty() || text.find_first_not_of('0') == std::string_view::npos) return false;
    int parts[3] = {};
    const int widths[3] = {4, 2, 2};
    bool valid = text.size() == 8;
    for (int i = 0, pos = 0; valid && i < 3; pos += widths[i++]) {
        auto [ptr, ec] =
            std::from_chars(text.data() + pos, text.data() + pos + widths[i], parts[i]);
        valid = ec == std::errc() && ptr == text.data() + pos + widths[i];
    }
    if (!valid || parts[1] < 1 || parts[1] > 12 || parts[2] < 1 ||
        parts[2] > DaysInMonth(parts[0], parts[1]))
        throw OdbcError("22007",
                        "Invalid date '" + std::string(text) + "' in column '" + column + "'");
    out->append(text.substr(0, 4)).append("-").append(text.substr(4, 2)).append("-");
    out->append(text.substr(6, 2));
    return true;
}

// A Julian day number and milliseconds since midnight (Visual FoxPro's T fields).
bool DateTimeText(std::string_view raw, std::string* out) {
    const auto day = LittleEndian<std::int32_t>(raw.substr(0, 4));
    const auto ms = LittleEndian<std::int32_t>(raw.substr(4, 4));
    if (day <= 0 || IsBlank(raw)) return false;
    // From the Julian day number to the proleptic Gregorian calendar.
    const long a = day + 32044L, b = (4 * a + 3) / 146097, c = a - 146097 * b / 4;
    const long d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
    const long seconds = ms > 0 ? ms / 1000 : 0;
    AppendDigits(100 * b + d - 4800 + m / 10, 4, out);
    out->push_back('-');
    AppendDigits(m + 3 - 12 * (m / 10), 2, out);
    out->push_back('-');
    AppendDigits(e - (153 * m + 2) / 5 + 1, 2, out);
    out->push_back(' ');
    AppendDigits(seconds / 3600 % 24, 2, out);
    out->push_back(':');
    AppendDigits(seconds / 60 % 60, 2, out);
    out->push_back(':');
    AppendDigits(seconds % 60, 2, out);
    if (ms > 0 && ms % 1000 != 0) {
        out->push_back('.');
        AppendDigits(ms % 1000, 3, out);
    }
    return true;
}

// Currency: a 64-bit integer of ten-thousandths.
void CurrencyText(std::int64_t value, std::string* out) {
    const auto magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char buffer[32];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, magnitude / 10000);
    if (value < 0) out->push_back('-');
    out->append(buffer, end);
    out->push_back('.');
    AppendDigits(static_cast<long>(magnitude % 10000), 4, out);
}

bool MemoText(DbfTable& table, std::string_view raw, const std::string& column, std::string* out) {
    std::uint32_t block = 0;
    if (raw.size() == 4) {
        block = LittleEndian<std::uint32_t>(raw);
    } else {
        const std::string_view digits = TrimFieldText(raw, 'M');
        if (digits.empty()) return false;
        auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), block);
        if (ec != std::errc() || ptr != digits.data() + digits.size())
            throw OdbcError("HY000", "Column '" + column + "' holds '" + std::string(digits) +
                                         "', which is not a memo block number");
    }
    if (block == 0) return false;
    try {
        table.Decoder().Append(table.Memo().Read(block), out);
    } catch (const DbfError& e) {
        throw OdbcError("HY000", std::string(e.what()) + " (column '" + column + "')");
    }
    return true;
}

}  // namespace

ColumnInfo DescribeField(const DbfField& field, const std::string& table) {
    const TypeOf type = FieldType(field);
    ColumnInfo info;
    info.name = field.name;
    info.table = table;
    info.sql_type = type.sql_type;
    info.size = type.sql_type == SQL_UNKNOWN_TYPE ? static_cast<SQLULEN>(field.width) : type.size;
    info.decimals = static_cast<SQLSMALLINT>(type.decimals);
    return info;
}

std::string Refusal(const DbfField& field, const std::string& table) {
    if (FieldType(field).sql_type != SQL_UNKNOWN_TYPE) return "";
    return "Column '" + field.name + "' of table '" + table + "' has the field type '" +
           std::string(1, field.type) + "', which the driver cannot read";
}

bool FieldText(DbfTable& table, int field, const std::string& column, std::string* out) {
    out->clear();
    if (table.IsNullFlagged(field)) return false;
    const DbfField& f = table.Fields()[static_cast<std::size_t>(field)];
    const std::string_view raw = table.Raw(field);
    switch (f.type) {
        case 'C':
            try {
                table.Decoder().Append(TrimFieldText(raw, 'C'), out);
            } catch (const DbfError& e) {
                throw OdbcError("HY000", std::string(e.what()) + " (table '" + table.Path() + "')");
            }
            return true;
        case 'N':
        case 'F': {
            const std::string_view text = TrimFieldText(raw, f.type);
            if (text.empty()) return false;
            if (text.find_first_not_of('*') == std::string_view::npos) {
                if (table.Options().stars_are_null) return false;
                throw OdbcError("22003", "Numeric value out of range: column '" + column +
                                             "' holds '" + std::string(text) +
                                             "', the mark of a value too wide for its field");
            }
            out->assign(text);
            return true;
        }
        case 'D':
            return DateText(raw, column, out);
        case 'L': {
            const char c = raw.empty() ? ' ' : raw[0];
            if (std::strchr("TtYy", c) != nullptr) *out = "1";
            if (std::strchr("FfNn", c) != nullptr) *out = "0";
            return !out->empty();
        }
        case 'M':
            return MemoText(table, raw, column, out);
        case 'I': {
            char buffer[16];
            auto [end, ec] = std::to_chars(buffer, buffer + 16, LittleEndian<std::int32_t>(raw));
            out->assign(buffer, end);
            return true;
        }
        case 'B': {
            char buffer[32];
            auto [end, ec] = std::to_chars(buffer, buffer + 32, LittleEndian<double>(raw));
            out->assign(buffer, end);
            return true;
        }
        case 'Y':
            CurrencyText(LittleEndian<std::int64_t>(raw), out);
            return true;
        case 'T':
            return DateTimeText(raw, out);
        default:
            throw OdbcError("HY000", "Column '" + column + "' has the field type '" +
                                         std::string(1, f.type) +
                                         "', which the driver cannot read");
    }
}

bool ReadFieldNumber(DbfTable& table, int field, const std::string& column, FieldNumber* out,
                     std::string* scratch) {
    const DbfField& f = table.Fields()[static_cast<std::size_t>(field)];
    const std::string_view raw = table.Raw(field);
    *out = FieldNumber();
    const bool binary = f.type == 'I' || f.type == 'B' || f.type == 'Y';
    if (binary && table.IsNullFlagged(field)) return false;  // FieldText checks the others
    switch (f.type) {
        case 'I':
            out->kind = FieldNumber::Kind::kInteger;
            out->integer = LittleEndian<std::int32_t>(raw);
            return true;
        case 'B':
            out->real = LittleEndian<double>(raw);
            return true;
        case 'Y':  // correctly rounded, as a parse of its text with four decimals is
            out->real = static_cast<double>(LittleEndian<std::int64_t>(raw)) / 10000;
            return true;
        default:
            break;
    }
    if (!FieldText(table, field, column, scratch)) return false;
    const char* first = scratch->data();
    const char* last = first + scratch->size();
    if (f.type != 'F' && f.decimals == 0) {
        auto [end, ec] = std::from_chars(first + (*first == '+'), last, out->integer);
        out->kind = ec == std::errc() && end == last ? FieldNumber::Kind::kInteger
                                                     : FieldNumber::Kind::kReal;
        if (out->kind == FieldNumber::Kind::kInteger) return true;  // else too wide, or "1."
    }
    const std::optional<double> number = ParseNumber(*scratch);
    out->kind = number ? FieldNumber::Kind::kReal : FieldNumber::Kind::kText;
    out->real = number.value_or(0);
    return true;
}

}  // namespace kdbf
