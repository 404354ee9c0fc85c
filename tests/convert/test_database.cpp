// The database layer and CPapRecord, through the driver manager and our driver.
#include <gtest/gtest.h>

#include "tests/convert/PriceTableFixture.h"

TEST(PapRecordQuery, NamesElevenBracketedColumns) {
    CDatabase db;
    CPapRecord rs(db);
    rs.SetTable("rnddat");
    EXPECT_EQ(rs.GetSelectSQL(),
              "SELECT [rnddat].[F1],[rnddat].[F2],[rnddat].[F3],[rnddat].[F4],[rnddat].[F5],"
              "[rnddat].[F6],[rnddat].[F7],[rnddat].[F8],[rnddat].[F9],[rnddat].[FA],"
              "[rnddat].[FB]  FROM [rnddat]");
}

TEST_F(PriceTableFixture, FailedConnectionsAndOpensAreDescribedWithoutOriginTags) {
    EXPECT_EQ(StripOriginTags("[x]  two blanks"), " two blanks");  // one blank goes with them
    EXPECT_EQ(StripOriginTags("No tags [here]"), "No tags [here]");
    EXPECT_EQ(StripOriginTags("[unclosed tag"), "[unclosed tag");
    EXPECT_EQ(ErrorOf([] { CDatabase().OpenEx("DSN=no_such_source"); }),
              "Data source name not found and no default driver specified\n");
    EXPECT_EQ(ErrorOf([&] { OpenTable("absent"); }),
              "Table 'absent' not found: no file 'absent.dbf' in folder '" + m_dir.Path() + "/'\n");
    std::vector<SDbfColumn> columns = PriceColumns();
    columns.erase(columns.begin() + 9);  // FA
    ASSERT_TRUE(WriteDbf(m_dir.File("nofa.dbf"), columns, {CPriceRow(10, 7.0)}));
    EXPECT_EQ(ErrorOf([&] { OpenTable("nofa"); }),
              "Column 'FA' not found in table 'nofa' (file '" + m_dir.File("nofa.dbf") + "')\n");
}

// Columns are found by name, and a "]" in the table name does not break the query.
TEST_F(PriceTableFixture, ATableWithExtraColumnsAndABracketInItsNameOpens) {
    std::vector<SDbfColumn> columns = PriceColumns();
    columns.insert(columns.begin(), {"NOTE", 'N', 8, 2});
    const CPriceRow row = {99, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    ASSERT_TRUE(WriteDbf(m_dir.File("odd]name.dbf"), columns, {row, row}));
    CPapRecord& rs = OpenTable("odd]name");
    EXPECT_DOUBLE_EQ(rs.m_F1, 1);
    EXPECT_DOUBLE_EQ(rs.m_FB, 11);
    EXPECT_EQ(CountRecords(rs), 2);
}

TEST_F(PriceTableFixture, CountsUpTo201AndStaysOnTheFirstRecord) {
    for (auto [nRecords, nExpected] : {std::pair{150, 150}, {200, 200}, {201, 201}, {5000, 201}}) {
        SCOPED_TRACE(nRecords);
        const std::string strTable = "t" + std::to_string(nRecords);
        ASSERT_TRUE(WritePriceTable(m_dir.File(strTable + ".dbf"), nRecords));
        CPapRecord& rs = OpenTable(strTable);
        rs.MoveNext();  // start anywhere but the first record
        EXPECT_EQ(CountRecords(rs), nExpected);
        EXPECT_FALSE(rs.IsEOF());
        EXPECT_DOUBLE_EQ(rs.m_F1, PriceValue(1, 1));
        EXPECT_DOUBLE_EQ(rs.m_FB, PriceValue(1, 11));
    }
}

// The price-list writer relies on neither, but every reader of the record set does.
TEST_F(PriceTableFixture, EmptyFieldsReadAsEmptyAndMovesWithoutARecordFailWithNoData) {
    CPriceRow gaps(11, std::nullopt);
    gaps[2] = 3.0;
    ASSERT_TRUE(WriteDbf(m_dir.File("gaps.dbf"), PriceColumns(), {CPriceRow(11, 7.5), gaps}));
    CPapRecord& rs = OpenTable("gaps");
    rs.MoveNext();
    for (int i = 0; i < CPapRecord::kFieldCount; ++i) {
        EXPECT_EQ(rs.IsFieldNull(i), i != 2) << i;
        EXPECT_EQ(rs.Field(i), i == 2 ? 3.0 : 0.0) << "not the value of the record before";
    }
    rs.MoveNext();
    EXPECT_EQ(ErrorOf([&] { rs.MoveNext(); }), "No data found: the record set holds no records.\n");
    ASSERT_TRUE(WriteDbf(m_dir.File("empty.dbf"), PriceColumns(), {}));
    EXPECT_TRUE(OpenTable("empty").IsEOF());
    EXPECT_EQ(ErrorOf([&] { CountRecords(*m_rs); }), CRecordset::kNoDataMessage);
}
