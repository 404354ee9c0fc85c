#include "driver/dbf/FieldValue.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <type_traits>

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

constexpr TypeOf kUnknown{SQL_UNKNOWN_TYPE, 0, 0};
constexpr TypeOf kBlob{SQL_LONGVARBINARY, kMemoSize, 0};

// dBase 7's binary types: integers (I, and + counting up by itself), doubles (O) and
// timestamps (@).
TypeOf Dbase7Type(const DbfField& field) {
    switch (field.type) {
        case 'I':
        case '+':
            return field.width == 4 ? TypeOf{SQL_INTEGER, 10, 0} : kUnknown;
        case 'O':
            return field.width == 8 ? TypeOf{SQL_DOUBLE, 15, 0} : kUnknown;
        case '@':
            return field.width == 8 ? TypeOf{SQL_TYPE_TIMESTAMP, 23, 3} : kUnknown;
        case 'B':
        case 'G':
            return kBlob;
        default:
            return kUnknown;
    }
}

TypeOf FieldType(const DbfField& field) {
    const bool fox8 = field.visual_foxpro && field.width == 8;
    if (field.dbase7 && std::strchr("I+O@BG", field.type) != nullptr) return Dbase7Type(field);
    switch (field.type) {
        case 'C':
        case 'V':
            return {SQL_CHAR, static_cast<SQLULEN>(field.width), 0};
        case 'Q':
            return field.visual_foxpro ? TypeOf{SQL_VARBINARY, static_cast<SQLULEN>(field.width), 0}
                                       : kUnknown;
        case 'W':
            return field.visual_foxpro ? kBlob : kUnknown;
        case 'G':
            return kBlob;
        case 'N':
        case 'F':
            return {SQL_DOUBLE, 15, field.decimals};  // the decimal digits a double holds
        case 'D':
            return {SQL_TYPE_DATE, 10, 0};
        case 'L':
            return {SQL_BIT, 1, 0};
        case 'M':
            return {SQL_LONGVARCHAR, kMemoSize, 0};
        case 'B':  // a double in Visual FoxPro, a binary memo in dBase
            return fox8                  ? TypeOf{SQL_DOUBLE, 15, field.decimals}
                   : field.visual_foxpro ? kUnknown
                                         : kBlob;
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
T BigEndian(std::string_view raw) {
    if (raw.size() < sizeof(T))
        throw OdbcError("HY000", "A binary field is narrower than its type");
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits = bits << 8 | static_cast<unsigned char>(raw[i]);
    T value{};
    const auto narrow =
        static_cast<std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>>(bits);
    std::memcpy(&value, &narrow, sizeof value);
    return value;
}

// dBase 7 stores numbers so that their bytes sort as the numbers do: big-endian, with
// the sign bit flipped (and, of a negative double, every other bit too).
std::int32_t Dbase7Integer(std::string_view raw) {
    return static_cast<std::int32_t>(BigEndian<std::uint32_t>(raw) ^ 0x80000000u);
}

double Dbase7Double(std::string_view raw) {
    std::uint64_t bits = BigEndian<std::uint64_t>(raw);
    bits = (bits & 0x8000000000000000u) != 0 ? bits ^ 0x8000000000000000u : ~bits;
    double value = 0;
    std::memcpy(&value, &bits, sizeof value);
    return value;
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

// The Julian day number of 1 January of the year 1.
constexpr std::int64_t kJulianDayOfYear1 = 1721426;

// A Julian day number and milliseconds since midnight (Visual FoxPro's T fields), or
// a count of milliseconds (dBase 7's @ fields).
bool DateTimeText(std::string_view raw, bool dbase7, std::string* out) {
    if (IsBlank(raw)) return false;
    std::int64_t day = 0, ms = 0;
    if (dbase7) {
        // A plain big-endian double, unlike dBase 7's numbers: milliseconds from the
        // start of the day before 1 January of the year 1 (proleptic Gregorian).
        double count = 0;
        const std::uint64_t bits = BigEndian<std::uint64_t>(raw);
        std::memcpy(&count, &bits, sizeof count);
        if (!(count > 0 && count < 1e17)) return false;
        const auto total = static_cast<std::int64_t>(count);
        day = total / 86400000 + kJulianDayOfYear1 - 1;
        ms = total % 86400000;
    } else {
        day = LittleEndian<std::int32_t>(raw.substr(0, 4));
        ms = LittleEndian<std::int32_t>(raw.substr(4, 4));
    }
    if (day <= 0) return false;
    // From the Julian day number to the proleptic Gregorian calendar.
    const long a = static_cast<long>(day) + 32044L, b = (4 * a + 3) / 146097,
               c = a - 146097 * b / 4;
    const long d = (4 * c + 3) / 1461, e = c - 1461 * d / 4, m = (5 * e + 2) / 153;
    const long seconds = ms > 0 ? static_cast<long>(ms / 1000) : 0;
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
        AppendDigits(static_cast<long>(ms % 1000), 3, out);
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

// The memo a field points to, as text of the table's code page or, `binary`, as bytes.
bool MemoText(DbfTable& table, std::string_view raw, const std::string& column, bool binary,
              std::string* out) {
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
        if (binary)
            *out = table.Memo().Read(block);
        else
            table.Decoder().Append(table.Memo().Read(block), out);
    } catch (const DbfError& e) {
        throw OdbcError("HY000", std::string(e.what()) + " (column '" + column + "')");
    }
    return true;
}

// Of a V or Q field, the bytes it holds: fewer than its width when _NullFlags says so,
// their count then in its last byte.
std::string_view VariableBytes(const DbfTable& table, const DbfField& field, std::string_view raw) {
    if (raw.empty() || !table.IsFlagged(field.length_bit)) return raw;
    return raw.substr(
        0, std::min<std::size_t>(static_cast<unsigned char>(raw.back()), raw.size() - 1));
}

// A number as other programs write it: "68,500" is 68.5 from a tool that writes a decimal
// comma. A comma beside a point ("1,200.00") is a thousands separator, whose reading
// depends on who wrote it, so it is refused.
// A number as stored, with a decimal comma read as a point, and written with the field's
// declared decimals when it has fewer ("12.5" in a field of three: "12.500"), as the SQL
// engine writes the same value.
bool NumberText(const DbfTable& table, std::string_view text, int decimals,
                const std::string& column, std::string* out) {
    if (text.empty()) return false;
    if (text.find_first_not_of('*') == std::string_view::npos) {
        if (table.Options().stars_are_null) return false;
        throw OdbcError("22003", "Numeric value out of range: column '" + column + "' holds '" +
                                     std::string(text) +
                                     "', the mark of a value too wide for its field");
    }
    out->assign(text);
    const std::size_t comma = out->find(',');
    if (comma != std::string::npos) {
        if (out->find_first_of(",.", comma + 1) != std::string::npos || out->find('.') < comma)
            throw OdbcError("22018", "Column '" + column + "' holds '" + *out +
                                         "', a number with a thousands separator");
        (*out)[comma] = '.';
    }
    if (decimals <= 0 || out->find_first_not_of("+-.0123456789") != std::string::npos ||
        out->find_first_of("0123456789") == std::string::npos)
        return true;
    const std::size_t point = out->find('.');
    const std::size_t have = point == std::string::npos ? 0 : out->size() - point - 1;
    if (point == std::string::npos) *out += '.';
    if (have < static_cast<std::size_t>(decimals))
        out->append(static_cast<std::size_t>(decimals) - have, '0');
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
    if (f.dbase7 && std::strchr("I+O@", f.type) != nullptr) {
        if (IsBlank(raw)) return false;
        if (f.type == '@') return DateTimeText(raw, true, out);
        char buffer[32];
        auto [end, ec] = f.type == 'O' ? std::to_chars(buffer, buffer + 32, Dbase7Double(raw))
                                       : std::to_chars(buffer, buffer + 32, Dbase7Integer(raw));
        out->assign(buffer, end);
        return true;
    }
    switch (f.type) {
        case 'V':
        case 'C':
            try {
                table.Decoder().Append(
                    f.type == 'V' ? VariableBytes(table, f, raw) : TrimFieldText(raw, 'C'), out);
            } catch (const DbfError& e) {
                throw OdbcError("HY000", std::string(e.what()) + " (table '" + table.Path() + "')");
            }
            return true;
        case 'N':
        case 'F':
            return NumberText(table, TrimFieldText(raw, f.type), f.decimals, column, out);
        case 'Q':
            out->assign(VariableBytes(table, f, raw));
            return true;
        case 'D':
            return DateText(raw, column, out);
        case 'L': {
            const char c = raw.empty() ? ' ' : raw[0];
            if (std::strchr("TtYy", c) != nullptr) *out = "1";
            if (std::strchr("FfNn", c) != nullptr) *out = "0";
            return !out->empty();
        }
        case 'M':
        case 'W':
        case 'G':
            return MemoText(table, raw, column, f.type != 'M', out);
        case 'I': {
            char buffer[16];
            auto [end, ec] = std::to_chars(buffer, buffer + 16, LittleEndian<std::int32_t>(raw));
            out->assign(buffer, end);
            return true;
        }
        case 'B': {
            if (!f.visual_foxpro) return MemoText(table, raw, column, true, out);
            char buffer[32];
            auto [end, ec] = std::to_chars(buffer, buffer + 32, LittleEndian<double>(raw));
            out->assign(buffer, end);
            return true;
        }
        case 'Y':
            CurrencyText(LittleEndian<std::int64_t>(raw), out);
            return true;
        case 'T':
            return DateTimeText(raw, false, out);
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
    // Visual FoxPro's binary numbers straight from their bytes; dBase 7's and the rest
    // through their text.
    const bool binary =
        f.visual_foxpro && !f.dbase7 && (f.type == 'I' || f.type == 'B' || f.type == 'Y');
    if (binary && table.IsNullFlagged(field)) return false;  // FieldText checks the others
    switch (binary ? f.type : '\0') {
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
