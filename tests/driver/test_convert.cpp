// Delivering cell values in the C types applications ask for.
#include <gtest/gtest.h>

#include <clocale>
#include <cstring>

#include "driver/Convert.h"
#include "driver/Diagnostics.h"

using kdbf::CellTarget;
using kdbf::DeliverCell;
using kdbf::Delivery;
using kdbf::OdbcError;

namespace {

std::string StateOf(const std::optional<std::string>& cell, SQLSMALLINT c_type, SQLLEN* ind) {
    char buffer[16];
    try {
        DeliverCell(cell, SQL_DOUBLE, CellTarget{c_type, buffer, sizeof buffer, ind}, nullptr,
                    "F1");
    } catch (const OdbcError& e) {
        return e.SqlState();
    }
    return "";
}

TEST(ConvertTest, NumbersAsDoubleAndIntegersWhateverTheLocale) {
    std::setlocale(LC_NUMERIC, "de_DE.UTF-8");  // a decimal comma, where installed
    double d = 0;
    SQLLEN ind = 0;
    EXPECT_EQ(
        DeliverCell(std::string("12.125"), SQL_DOUBLE, {SQL_C_DOUBLE, &d, 0, &ind}, nullptr, "F1"),
        Delivery::kComplete);
    EXPECT_DOUBLE_EQ(d, 12.125);
    EXPECT_EQ(ind, 8);
    EXPECT_EQ(
        DeliverCell(std::string("-7.5"), SQL_DOUBLE, {SQL_C_DEFAULT, &d, 0, &ind}, nullptr, "F1"),
        Delivery::kComplete);
    EXPECT_DOUBLE_EQ(d, -7.5);
    SQLINTEGER n = 0;
    EXPECT_EQ(
        DeliverCell(std::string("42.75"), SQL_DOUBLE, {SQL_C_SLONG, &n, 0, &ind}, nullptr, "F1"),
        Delivery::kFractionTruncated);
    EXPECT_EQ(n, 42);
    std::setlocale(LC_NUMERIC, "C");
}

TEST(ConvertTest, NullNeedsAnIndicator) {
    SQLLEN ind = 0;
    double d = 1;
    DeliverCell(std::nullopt, SQL_DOUBLE, {SQL_C_DOUBLE, &d, 0, &ind}, nullptr, "F1");
    EXPECT_EQ(ind, SQL_NULL_DATA);
    EXPECT_EQ(StateOf(std::nullopt, SQL_C_DOUBLE, nullptr), "22002");
}

TEST(ConvertTest, BadNumbersAndRangesGiveTheirStates) {
    SQLLEN ind;
    EXPECT_EQ(StateOf(std::string("abc"), SQL_C_DOUBLE, &ind), "22018");
    EXPECT_EQ(StateOf(std::string("1.5x"), SQL_C_SLONG, &ind), "22018");
    EXPECT_EQ(StateOf(std::string("3000000000"), SQL_C_SLONG, &ind), "22003");
    EXPECT_EQ(StateOf(std::string("-1"), SQL_C_ULONG, &ind), "22003");
    EXPECT_EQ(StateOf(std::string("9223372036854775808"), SQL_C_SBIGINT, &ind), "22003");
    EXPECT_EQ(StateOf(std::string("1"), SQL_C_BINARY, &ind), "07006");
    EXPECT_EQ(StateOf(std::string("2147483647"), SQL_C_SLONG, &ind), "");
}

TEST(ConvertTest, TextComesInPartsWhenTheBufferIsSmall) {
    char buffer[4];
    SQLLEN ind = 0;
    std::size_t offset = 0;
    const CellTarget target{SQL_C_CHAR, buffer, sizeof buffer, &ind};
    EXPECT_EQ(DeliverCell(std::string("abcdefg"), SQL_CHAR, target, &offset, "C"),
              Delivery::kTruncated);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(ind, 7);
    EXPECT_EQ(DeliverCell(std::string("abcdefg"), SQL_CHAR, target, &offset, "C"),
              Delivery::kTruncated);
    EXPECT_EQ(ind, 4);
    EXPECT_EQ(DeliverCell(std::string("abcdefg"), SQL_CHAR, target, &offset, "C"),
              Delivery::kComplete);
    EXPECT_STREQ(buffer, "g");
}

TEST(ConvertTest, WideTextCountsBytes) {
    SQLWCHAR buffer[8];
    SQLLEN ind = 0;
    DeliverCell(std::string("Pr\xE9"), SQL_CHAR, {SQL_C_WCHAR, buffer, sizeof buffer, &ind},
                nullptr, "C");
    EXPECT_EQ(ind, 6);
    EXPECT_EQ(buffer[2], 0xE9);
    EXPECT_EQ(buffer[3], 0);
}

}  // namespace
