// Delivering cell values in the C types applications ask for.
#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "driver/base/Diagnostics.h"
#include "driver/base/Number.h"
#include "driver/odbc/Delivery.h"

using kdbf::Delivery;

namespace {

// Delivers `cell` into `*target`; "" when complete, else the SQLSTATE the driver reports.
template <class T>
std::string Deliver(const std::optional<std::string>& cell, SQLSMALLINT nCType, T* target,
                    SQLLEN* ind, std::size_t* offset = nullptr, SQLSMALLINT nSqlType = SQL_DOUBLE) {
    try {
        const Delivery d =
            kdbf::DeliverCell(cell, nSqlType, {nCType, target, sizeof(T), ind}, offset, "F1");
        return d == Delivery::kComplete ? "" : d == Delivery::kTruncated ? "01004" : "01S07";
    } catch (const kdbf::OdbcError& e) {
        return e.SqlState();
    }
}

TEST(ConvertTest, NumbersWhateverTheLocaleNullsDatesAndBits) {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a decimal comma, where installed
    SQLLEN ind = 0;
    // What each text gives as a double, sign of zero included; texts that are no number.
    const std::pair<const char*, double> numbers[] = {
        {"12.125", 12.125}, {" -7.5 ", -7.5}, {"+12.50", 12.5}, {"0.001", 0.001},
        {"1e3", 1000.0},    {"-0", -0.0},     {".5", 0.5},      {"5.", 5.0}};
    for (const auto& [pszText, dExpected] : numbers) {
        double d = 0;
        EXPECT_EQ(Deliver(std::string(pszText), SQL_C_DEFAULT, &d, &ind), "") << pszText;
        EXPECT_TRUE(d == dExpected && std::signbit(d) == std::signbit(dExpected)) << pszText;
    }
    for (const char* pszText : {"abc", "1.5x", "inf", "nan", "1e999", "+-5", "-", "1 2"}) {
        double d = 0;
        EXPECT_EQ(Deliver(std::string(pszText), SQL_C_DEFAULT, &d, &ind), "22018") << pszText;
    }
    // The fast path for plain decimals rounds exactly as a full parse does, which takes
    // over beyond 15 digits.
    for (const char* pszText : {"123456789012.345", "1234567890123456789"})
        EXPECT_EQ(kdbf::ParseNumber(pszText), std::strtod(pszText, nullptr)) << pszText;
    for (long n = -200000; n <= 200000; n += 7)
        for (int nDecimals : {0, 2, 3, 6}) {
            char szText[32];
            std::snprintf(szText, sizeof szText, "%ld.%0*ld", n / 1000, nDecimals,
                          std::labs(n) % 1000 * (nDecimals == 6 ? 1000 : 1));
            ASSERT_EQ(kdbf::ParseNumber(szText), std::strtod(szText, nullptr)) << szText;
        }
    std::setlocale(LC_NUMERIC, "C");

    SQLINTEGER n = 0;
    EXPECT_EQ(Deliver(std::string("42.75"), SQL_C_SLONG, &n, &ind), "01S07");
    EXPECT_EQ(n, 42);
    double d = 0;
    EXPECT_EQ(Deliver(std::nullopt, SQL_C_DOUBLE, &d, &ind), "");
    EXPECT_EQ(ind, SQL_NULL_DATA);
    const std::tuple<std::optional<std::string>, SQLSMALLINT, const char*> failures[] = {
        {std::nullopt, SQL_C_DOUBLE, "22002"},  // no indicator for a NULL
        {"3000000000", SQL_C_SLONG, "22003"},
        {"-1", SQL_C_ULONG, "22003"},
        {"9223372036854775808", SQL_C_SBIGINT, "22003"},
        {"2", SQL_C_BIT, "22003"},
        {"0.5", SQL_C_BIT, "01S07"},
        {"2024-02-29", SQL_C_DOUBLE, "22018"},
        {"12.5", SQL_C_TYPE_DATE, "22018"},
        {"1", SQL_C_GUID, "07006"},
        {"2147483647", SQL_C_SLONG, ""}};
    for (const auto& [cell, nCType, pszState] : failures) {
        char buffer[16];
        EXPECT_EQ(Deliver(cell, nCType, &buffer, cell ? &ind : nullptr), pszState)
            << cell.value_or("NULL");
    }
    // Dates, timestamps and bits in their structs.
    SQL_DATE_STRUCT date{};
    EXPECT_EQ(
        Deliver(std::string("2024-02-29"), SQL_C_DEFAULT, &date, &ind, nullptr, SQL_TYPE_DATE), "");
    EXPECT_EQ(std::tuple(date.year, date.month, date.day, ind),
              std::tuple(2024, 2, 29, SQLLEN{sizeof date}));
    EXPECT_EQ(Deliver(std::string("2024-02-29 13:45:07.250"), SQL_C_DATE, &date, &ind), "01S07");
    SQL_TIMESTAMP_STRUCT stamp{};
    EXPECT_EQ(Deliver(std::string("2024-02-29 13:45:07.250"), SQL_C_DEFAULT, &stamp, &ind, nullptr,
                      SQL_TYPE_TIMESTAMP),
              "");
    EXPECT_EQ(std::tuple(stamp.hour, stamp.minute, stamp.second, stamp.fraction),
              std::tuple(13, 45, 7, 250000000u));
    unsigned char bit = 9;
    EXPECT_EQ(Deliver(std::string("1"), SQL_C_DEFAULT, &bit, &ind, nullptr, SQL_BIT), "");
    EXPECT_EQ(bit, 1);
}

// `value` delivered part by part into a `Buffer` until complete: for each part its state,
// its indicator and what it filled ("01004 7 abc|"), text up to its terminating NUL.
template <class Buffer>
std::string Parts(const std::string& value, SQLSMALLINT nCType, SQLSMALLINT nSqlType) {
    std::string strParts, strState = "01004";
    SQLLEN ind = 0;
    for (std::size_t offset = 0; strState == "01004";) {
        Buffer buffer{};
        strState = Deliver(std::optional(value), nCType, &buffer, &ind, &offset, nSqlType);
        std::size_t nFilled = 0;  // in elements of the buffer
        while (nFilled < std::size(buffer) &&
               (nCType == SQL_C_BINARY ? nFilled < std::size_t(ind) : buffer[nFilled] != 0))
            ++nFilled;
        strParts += strState + " " + std::to_string(ind) + " " +
                    std::string(reinterpret_cast<char*>(buffer), nFilled * sizeof buffer[0]) + "|";
    }
    return strParts;
}

// Text and bytes in parts when the buffer is small: bytes whole to SQL_C_BINARY, without
// a NUL, and as hexadecimal text to SQL_C_CHAR; UTF-16 in parts that never split a
// surrogate pair.
TEST(ConvertTest, TextComesInPartsWhenTheBufferIsSmall) {
    EXPECT_EQ(Parts<char[4]>("abcdefg", SQL_C_CHAR, SQL_CHAR), "01004 7 abc|01004 4 def| 1 g|");
    EXPECT_EQ(Parts<char[4]>(std::string("\xAB\0cd\n", 5), SQL_C_BINARY, SQL_LONGVARBINARY),
              std::string("01004 5 \xAB\0cd| 1 \n|", 18));
    EXPECT_EQ(Parts<char[4]>("\xAB\x01", SQL_C_CHAR, SQL_VARBINARY), "01004 4 AB0| 1 1|");
    auto bytes = [](const std::u16string& units) {
        return std::string(reinterpret_cast<const char*>(units.data()), 2 * units.size());
    };
    EXPECT_EQ(Parts<SQLWCHAR[3]>("\xE2\x82\xAC\xF0\x9F\x98\x80\xC3\xA9", SQL_C_WCHAR, SQL_CHAR),
              "01004 8 " + bytes(u"\u20AC") + "|01004 6 " + bytes(u"\U0001F600") + "| 2 " +
                  bytes(u"\u00E9") + "|");
}

}  // namespace
