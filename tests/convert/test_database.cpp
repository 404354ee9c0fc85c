// The database layer and CPapRecord, through the driver manager and our driver.
#include <gtest/gtest.h>

#include "tests/convert/PriceTableFixture.h"

namespace {

// GetSelectSQL is public on the record set; the query needs no connection to build.
std::string SelectFor(const std::string& strTable) {
    CDatabase db;
    CPapRecord rs(db);
    rs.SetTable(strTable);
    return rs.GetSelectSQL();
}

}  // namespace

TEST(PapRecordQuery, NamesElevenBracketedColumnsWithTwoBlanksBeforeFrom) {
    EXPECT_EQ(SelectFor("rnddat"),
              "SELECT [rnddat].[F1],[rnddat].[F2],[rnddat].[F3],[rnddat].[F4],[rnddat].[F5],"
              "[rnddat].[F6],[rnddat].[F7],[rnddat].[F8],[rnddat].[F9],[rnddat].[FA],"
              "[rnddat].[FB]  FROM [rnddat]");
}

TEST(PapRecordQuery, DoublesAClosingBracketInTheTableName) {
    std::string strSQL = SelectFor("a]b");
    EXPECT_EQ(strSQL.substr(0, 18), "SELECT [a]]b].[F1]");
    EXPECT_EQ(strSQL.substr(strSQL.size() - 13), "  FROM [a]]b]");
}

TEST(DiagnosticText, DropsLeadingOriginTagsAndOneBlank) {
    EXPECT_EQ(StripOriginTags("[unixODBC][Driver Manager]Data source name not found"),
              "Data source name not found");
    EXPECT_EQ(StripOriginTags("[kestrix][dBase] Table not found"), "Table not found");
    EXPECT_EQ(StripOriginTags("[x]  two blanks"), " two blanks");
    EXPECT_EQ(StripOriginTags("No tags [here]"), "No tags [here]");
    EXPECT_EQ(StripOriginTags(" [not] leading"), " [not] leading");
    EXPECT_EQ(StripOriginTags("[unclosed tag"), "[unclosed tag");
    EXPECT_EQ(StripOriginTags("[only]"), "");
}

TEST_F(PriceTableFixture, UnknownDataSourceIsADatabaseErrorWithoutOriginTags) {
    CDatabase db;
    try {
        db.OpenEx("DSN=no_such_source");
        FAIL() << "connected to a missing data source";
    } catch (const CDBException& e) {
        ASSERT_FALSE(e.m_strError.empty());
        EXPECT_NE(e.m_strError[0], '[') << e.m_strError;
        EXPECT_EQ(e.m_strError.back(), '\n');
        EXPECT_EQ(e.m_strError.find("[unixODBC]"), std::string::npos) << e.m_strError;
    }
    EXPECT_FALSE(db.IsOpen());
}

TEST_F(PriceTableFixture, ReadsRecordsInStoredOrderAndEmptyFieldsAsNull) {
    CPriceRow first(11, 1.5), second(11, 2.5);
    first[3] = std::nullopt;
    WriteTable("prices", {first, second});
    CPapRecord& rs = OpenTable("prices");
    EXPECT_FALSE(rs.IsEOF());
    EXPECT_DOUBLE_EQ(rs.m_F1, 1.5);
    EXPECT_TRUE(rs.IsFieldNull(3));
    EXPECT_EQ(rs.m_F4, 0.0);
    EXPECT_DOUBLE_EQ(rs.m_FB, 1.5);
    rs.MoveNext();
    EXPECT_FALSE(rs.IsFieldNull(3));
    EXPECT_DOUBLE_EQ(rs.m_F4, 2.5);
    rs.MoveNext();
    EXPECT_TRUE(rs.IsEOF());
    EXPECT_THROW(rs.MoveNext(), CDBException);
}

TEST_F(PriceTableFixture, ExtraColumnsAreIgnoredAndAMissingColumnFailsTheOpen) {
    std::vector<SDbfColumn> columns = PriceColumns();
    columns.insert(columns.begin(), {"NOTE", 'N', 8, 2});
    ASSERT_TRUE(WriteDbf(m_dir.File("extra.dbf"), columns, {CPriceRow(12, 7.0)}));
    columns = PriceColumns();
    columns.erase(columns.begin() + 9);  // FA
    ASSERT_TRUE(WriteDbf(m_dir.File("nofa.dbf"), columns, {CPriceRow(10, 7.0)}));

    EXPECT_DOUBLE_EQ(OpenTable("extra").m_FB, 7.0);
    CPapRecord rs(m_db);
    rs.SetTable("nofa");
    EXPECT_THROW(rs.Open(), CDBException);
    EXPECT_FALSE(rs.IsOpen());
}

TEST_F(PriceTableFixture, AMissingTableFailsTheOpenWithADescription) {
    try {
        OpenTable("absent");
        FAIL() << "opened a table that does not exist";
    } catch (const CDBException& e) {
        EXPECT_FALSE(e.m_strError.empty());
        EXPECT_EQ(e.m_strError.back(), '\n');
    }
}

class CountRecordsTest : public PriceTableFixture,
                         public ::testing::WithParamInterface<std::pair<int, int>> {};

TEST_P(CountRecordsTest, CountsUpTo201AndStaysOnTheFirstRecord) {
    auto [nRecords, nExpected] = GetParam();
    WriteNumberedTable("rnddat", nRecords);
    CPapRecord& rs = OpenTable("rnddat");
    rs.MoveNext();  // start anywhere but the first record
    EXPECT_EQ(CountRecords(rs), nExpected);
    EXPECT_FALSE(rs.IsEOF());
    EXPECT_DOUBLE_EQ(rs.m_F1, PriceValue(1, 1));
    EXPECT_DOUBLE_EQ(rs.m_FB, PriceValue(1, 11));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CountRecordsTest,
                         ::testing::Values(std::pair{150, 150}, std::pair{200, 200},
                                           std::pair{201, 201}, std::pair{5000, 201}));

TEST_F(PriceTableFixture, AnEmptyTableOpensButFailsAtTheFirstMove) {
    WriteTable("empty", {});
    CPapRecord& rs = OpenTable("empty");
    EXPECT_TRUE(rs.IsEOF());
    try {
        CountRecords(rs);
        FAIL() << "counted an empty table";
    } catch (const CDBException& e) {
        EXPECT_EQ(e.m_strError, CRecordset::kNoDataMessage);
    }
}

TEST_F(PriceTableFixture, ATableNameWithAClosingBracketStillOpens) {
    WriteNumberedTable("odd]name", 3);
    CPapRecord& rs = OpenTable("odd]name");
    EXPECT_DOUBLE_EQ(rs.m_F1, PriceValue(1, 1));
    EXPECT_EQ(CountRecords(rs), 3);
}
