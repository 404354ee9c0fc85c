// The SELECT dialect: the program's own query text, the forms tools send, and
// messages that quote what was not understood.
#include <gtest/gtest.h>

#include "driver/QueryParser.h"

using kdbf::ParseSelect;
using kdbf::SyntaxError;

namespace {

std::string ErrorOf(const std::string& text) {
    try {
        ParseSelect(text);
    } catch (const SyntaxError& e) {
        return e.what();
    }
    return "";
}

TEST(QueryParserTest, ReadsTheProgramsQueryWithTwoBlanksBeforeFrom) {
    const auto query = ParseSelect(
        "SELECT [rnddat].[F1],[rnddat].[F2],[rnddat].[F3],[rnddat].[F4],[rnddat].[F5],"
        "[rnddat].[F6],[rnddat].[F7],[rnddat].[F8],[rnddat].[F9],[rnddat].[FA],[rnddat].[FB]"
        "  FROM [rnddat]");
    EXPECT_EQ(query.table, "rnddat");
    ASSERT_EQ(query.columns.size(), 11u);
    EXPECT_EQ(query.columns[0].table, "rnddat");
    EXPECT_EQ(query.columns[0].column, "F1");
    EXPECT_EQ(query.columns[10].column, "FB");
    EXPECT_FALSE(query.all_columns);
}

TEST(QueryParserTest, AcceptsEveryColumnAndTableFormInAnyCaseAndSpacing) {
    const auto query = ParseSelect("select\n\tt.F1 , [F2],F3,[t].[F4]\r\n from   t  ");
    EXPECT_EQ(query.table, "t");
    ASSERT_EQ(query.columns.size(), 4u);
    EXPECT_EQ(query.columns[0].table, "t");
    EXPECT_EQ(query.columns[1].table, "");
    EXPECT_EQ(query.columns[1].column, "F2");
    EXPECT_EQ(query.columns[3].column, "F4");
    EXPECT_TRUE(ParseSelect("SeLeCt * FrOm [x]").all_columns);
}

TEST(QueryParserTest, DoubledClosingBracketStandsForOne) {
    const auto query = ParseSelect("SELECT [a]]b].[c]]] FROM [a]]b]");
    EXPECT_EQ(query.table, "a]b");
    EXPECT_EQ(query.columns[0].table, "a]b");
    EXPECT_EQ(query.columns[0].column, "c]");
    EXPECT_EQ(ParseSelect("SELECT * FROM [my prices; 2004]").table, "my prices; 2004");
}

TEST(QueryParserTest, RefusesAnythingElseQuotingWhereItStopped) {
    EXPECT_EQ(ErrorOf("DELETE FROM t"), "Syntax error, expected SELECT near 'DELETE FROM t'");
    EXPECT_NE(ErrorOf("SELECT F1 FROM t WHERE F1 > 2").find("near 'WHERE F1 > 2'"),
              std::string::npos);
    EXPECT_NE(ErrorOf("SELECT F1 FROM").find("end of statement"), std::string::npos);
    EXPECT_NE(ErrorOf("SELECT F1, FROM t").find("expected a column name"), std::string::npos);
    EXPECT_NE(ErrorOf("SELECT [F1 FROM t").find("unterminated bracket near '[F1 FROM t'"),
              std::string::npos);
    EXPECT_NE(ErrorOf("SELECT F1 FROM a, b").find("near ', b'"), std::string::npos);
    EXPECT_NE(ErrorOf("SELECT [] FROM t").find("empty name"), std::string::npos);
    EXPECT_NE(ErrorOf("SELECT x.F1 FROM t").find("other than 't'"), std::string::npos);
    EXPECT_NE(ErrorOf(""), "");
}

}  // namespace
