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

TEST(ConvertTest, TextComesInPartsWhenTheBufferIsSmall) {
    char buffer[4];
    SQLLEN ind = 0;
    std::size_t offset = 0;
    std::string strParts;
    for (const auto& [strState, nInd] : {std::pair("01004", 7), {"01004", 4}, {"", 1}}) {
        EXPECT_EQ(Deliver(std::string("abcdefg"), SQL_C_CHAR, &buffer, &ind, &offset, SQL_CHAR),
                  strState);
        EXPECT_EQ(ind, nInd);
        strParts += std::string(buffer) + "|";
    }
    EXPECT_EQ(strParts, "abc|def|g|");
    // Bytes whole to SQL_C_BINARY, without a NUL, and as hexadecimal text to SQL_C_CHAR.
    offset = 0;
    strParts.clear();
    for (const auto& [strState, nInd] : {std::pair("01004", 5), {"", 1}}) {
        EXPECT_EQ(Deliver(std::string("\xAB\0cd\n", 5), SQL_C_BINARY, &buffer, &ind, &offset,
                          SQL_LONGVARBINARY),
                  strState);
        strParts.append(buffer, static_cast<std::size_t>(std::min<SQLLEN>(ind, 4))) += "|";
    }
    EXPECT_EQ(strParts, std::string("\xAB\0cd|\n|", 7));
    EXPECT_EQ(Deliver(std::string("\xAB\x01"), SQL_C_CHAR, &buffer, &ind, nullptr, SQL_VARBINARY),
              "01004");
    EXPECT_EQ(std::string(buffer), "AB0");
    // UTF-8 in, UTF-16 out, in parts that never split a surrogate pair.
    SQLWCHAR wide[3];
    offset = 0;
    std::vector<SQLWCHAR> units;
    for (const auto& [strState, nInd] : {std::pair("01004", 8), {"01004", 6}, {"", 2}}) {
        EXPECT_EQ(Deliver(std::string("\xE2\x82\xAC\xF0\x9F\x98\x80\xC3\xA9"), SQL_C_WCHAR, &wide,
                          &ind, &offset, SQL_CHAR),
                  strState);
        EXPECT_EQ(ind, nInd);
        for (SQLWCHAR* p = wide; *p != 0; ++p) units.push_back(*p);
        units.push_back('|');
    }
    EXPECT_EQ(units, (std::vector<SQLWCHAR>{0x20AC, '|', 0xD83D, 0xDE00, '|', 0xE9, '|'}));
}

}  // namespace
