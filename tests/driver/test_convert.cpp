// Delivering cell values in the C types applications ask for.
#include <gtest/gtest.h>

#include <clocale>

#include "driver/Convert.h"
#include "driver/Diagnostics.h"

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

TEST(ConvertTest, NumbersWhateverTheLocaleAndNulls) {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a decimal comma, where installed
    double d = 0;
    SQLLEN ind = 0;
    EXPECT_EQ(Deliver(std::string("12.125"), SQL_C_DOUBLE, &d, &ind), "");
    EXPECT_EQ(std::pair(d, ind), std::pair(12.125, SQLLEN{8}));
    EXPECT_EQ(Deliver(std::string("-7.5"), SQL_C_DEFAULT, &d, &ind), "");
    EXPECT_EQ(d, -7.5);
    SQLINTEGER n = 0;
    EXPECT_EQ(Deliver(std::string("42.75"), SQL_C_SLONG, &n, &ind), "01S07");
    EXPECT_EQ(n, 42);
    std::setlocale(LC_NUMERIC, "C");
    EXPECT_EQ(Deliver(std::nullopt, SQL_C_DOUBLE, &d, &ind), "");
    EXPECT_EQ(ind, SQL_NULL_DATA);
    const std::tuple<std::optional<std::string>, SQLSMALLINT, const char*> failures[] = {
        {std::nullopt, SQL_C_DOUBLE, "22002"},  // no indicator for a NULL
        {"abc", SQL_C_DOUBLE, "22018"},
        {"1.5x", SQL_C_SLONG, "22018"},
        {"3000000000", SQL_C_SLONG, "22003"},
        {"-1", SQL_C_ULONG, "22003"},
        {"9223372036854775808", SQL_C_SBIGINT, "22003"},
        {"1", SQL_C_BINARY, "07006"},
        {"2147483647", SQL_C_SLONG, ""},
    };
    for (const auto& [cell, nCType, pszState] : failures) {
        char buffer[16];
        EXPECT_EQ(Deliver(cell, nCType, &buffer, cell ? &ind : nullptr), pszState)
            << cell.value_or("NULL");
    }
}

TEST(ConvertTest, TextComesInPartsWhenTheBufferIsSmallAndWideTextCountsBytes) {
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
    SQLWCHAR wide[8];
    EXPECT_EQ(Deliver(std::string("Pr\xE9"), SQL_C_WCHAR, &wide, &ind, nullptr, SQL_CHAR), "");
    EXPECT_EQ(ind, 6);
    EXPECT_EQ(std::vector<SQLWCHAR>(wide, wide + 4), (std::vector<SQLWCHAR>{'P', 'r', 0xE9, 0}));
}

}  // namespace
