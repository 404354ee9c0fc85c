// The driver through the real unixODBC driver manager, registered and used exactly as the
// program does: SQLConfigDataSource, "DSN=zlmrt_conv;DEFAULTDIR=<folder>/", its query.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/driver/OdbcClient.h"
#include "tests/support/OdbcSandbox.h"

namespace {

const std::string kTag = "[kestrix][dBase driver]";

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource()) << m_sandbox.InstallerError();
    }
    // SQLTables; column `nColumn` of its rows.
    std::vector<std::string> Tables(const char* pszTable, const char* pszTypes = nullptr,
                                    const char* pszCatalog = nullptr,
                                    const char* pszSchema = nullptr, SQLUSMALLINT nColumn = 3) {
        EXPECT_EQ(
            SQLTables(m_client.Statement(), (SQLCHAR*)pszCatalog, SQL_NTS, (SQLCHAR*)pszSchema,
                      SQL_NTS, (SQLCHAR*)pszTable, SQL_NTS, (SQLCHAR*)pszTypes, SQL_NTS),
            SQL_SUCCESS);
        return m_client.ReadColumn(nColumn);
    }

    COdbcSandbox m_sandbox;  // first: before any ODBC call of the process
    CTempDir m_data;
    COdbcClient m_client;
};

// Also through SQLExtendedFetch, the ODBC 2 way that PHP uses: a rowset of one row, its
// count handed back where the application asks.
TEST_F(DriverTest, BlankNumbersAreNullAndDeletedRecordsAreSkippedInEveryDirection) {
    std::vector<CPriceRow> rows;
    for (int r = 1; r <= 5; ++r) rows.push_back(PriceRecord(r));
    rows[0][3] = std::nullopt;  // blank: NULL
    ASSERT_TRUE(WriteDbf(m_data.File("rnddat.dbf"), PriceColumns(), rows));
    ASSERT_TRUE(MarkDeleted(m_data.File("rnddat.dbf"), 1));  // record 2
    ASSERT_TRUE(MarkDeleted(m_data.File("rnddat.dbf"), 4));  // record 5, the last
    // {orientation, offset, record expected (0: none)}
    const int walk[][3] = {
        {SQL_FETCH_NEXT, 0, 1},     {SQL_FETCH_NEXT, 0, 3},     {SQL_FETCH_NEXT, 0, 4},
        {SQL_FETCH_NEXT, 0, 0},     {SQL_FETCH_PRIOR, 0, 4},    {SQL_FETCH_PRIOR, 0, 3},
        {SQL_FETCH_LAST, 0, 4},     {SQL_FETCH_ABSOLUTE, 2, 3}, {SQL_FETCH_ABSOLUTE, -3, 1},
        {SQL_FETCH_RELATIVE, 2, 4}, {SQL_FETCH_RELATIVE, 1, 0}, {SQL_FETCH_RELATIVE, -1, 4},
        {SQL_FETCH_ABSOLUTE, 0, 0}, {SQL_FETCH_RELATIVE, 1, 1}, {SQL_FETCH_ABSOLUTE, 0, 0},
        {SQL_FETCH_PRIOR, 0, 0},    {SQL_FETCH_NEXT, 0, 1}};
    ASSERT_TRUE(m_client.ConnectTo(m_data.Path()));
    for (bool bExtended : {false, true}) {
        ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
        for (const auto& step : walk) {
            SCOPED_TRACE(testing::Message() << bExtended << " " << step[0] << " " << step[1]);
            SQLULEN nRows = 99;
            EXPECT_EQ(m_client.Fetch(step[0], step[1], bExtended ? &nRows : nullptr),
                      step[2] ? std::optional(rows[step[2] - 1]) : std::nullopt);
            if (bExtended) EXPECT_EQ(nRows, step[2] ? 1u : 0u);
        }
    }
}

TEST_F(DriverTest, PreparedQueriesRunAgainFromTheStartAndForwardOnlyCursorsRefuseToScroll) {
    ASSERT_TRUE(WritePriceTable(m_data.File("emdat.dbf"), 2));
    ASSERT_TRUE(m_client.ConnectTo(m_data.Path()));
    SQLHSTMT hStmt = m_client.Statement(SQL_CURSOR_FORWARD_ONLY);
    ASSERT_EQ(SQLPrepare(hStmt, (SQLCHAR*)ProgramQuery("emdat").c_str(), SQL_NTS), SQL_SUCCESS);
    SQLLEN nLength = 0;  // ODBC 2's length, in bytes, before the statement runs
    SQLColAttribute(hStmt, 1, SQL_COLUMN_LENGTH, nullptr, 0, nullptr, &nLength);
    EXPECT_EQ(nLength, 8);
    for (int nRun = 0; nRun < 2; ++nRun) {
        ASSERT_EQ(SQLExecute(hStmt), SQL_SUCCESS) << m_client.StmtError();
        EXPECT_EQ(m_client.Fetch(), PriceRecord(1));
        EXPECT_EQ(SQLFetchScroll(hStmt, SQL_FETCH_FIRST, 0), SQL_ERROR);
        EXPECT_EQ(m_client.StmtError(),
                  "HY106: " + kTag + "Fetch type out of range: the cursor is forward-only");
        EXPECT_EQ(m_client.Fetch(), PriceRecord(2));
        EXPECT_EQ(SQLCloseCursor(hStmt), SQL_SUCCESS);
    }
}

TEST_F(DriverTest, CatalogFunctionsListTheFolder) {
    ASSERT_TRUE(WritePriceTable(m_data.File("rnddat.dbf"), 1));
    ASSERT_TRUE(WritePriceTable(m_data.File("PEARDAT.DBF"), 1));
    WriteFile(m_data.File("notes.txt"), "not a table");
    ASSERT_TRUE(m_client.ConnectTo(m_data.Path()));
    const std::vector<std::string> all = {"PEARDAT", "rnddat"}, none;
    EXPECT_EQ(Tables(nullptr), all);
    EXPECT_EQ(Tables("%D%T"), all);
    // Escapes, and a pattern that naive backtracking would take ages over.
    for (const char* pszPattern : {"r_d\\%", "%\\_%", "%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_%_x"})
        EXPECT_EQ(Tables(pszPattern), none) << pszPattern;
    // The table types: "TABLE" only, asked for in any of the ways tools write it.
    EXPECT_EQ(Tables("", SQL_ALL_TABLE_TYPES, "", "", 4), std::vector<std::string>{"TABLE"});
    EXPECT_EQ(Tables("", nullptr, SQL_ALL_CATALOGS, ""), none);
    EXPECT_EQ(Tables("", nullptr, "", SQL_ALL_SCHEMAS), none);
    EXPECT_EQ(Tables("r%", "'VIEW', 'TABLE'"), std::vector<std::string>{"rnddat"});
    EXPECT_EQ(Tables("r%", "SYSTEM TABLE,VIEW"), none);
    SQLHSTMT hStmt = m_client.Statement();
    ASSERT_EQ(SQLColumns(hStmt, nullptr, 0, nullptr, 0, (SQLCHAR*)"rnd%", 4, (SQLCHAR*)"F_", 2), 0);
    EXPECT_EQ(m_client.ReadColumn(5), std::vector<std::string>(11, std::to_string(SQL_DOUBLE)));
    // A tool quotes names with the quote character the driver reports, on both sides.
    char szQuote[4] = {};
    ASSERT_EQ(SQLGetInfo(m_client.Dbc(), SQL_IDENTIFIER_QUOTE_CHAR, szQuote, 4, nullptr), 0);
    const std::string q = szQuote;
    EXPECT_EQ(m_client.Exec("SELECT " + q + "F1" + q + " FROM " + q + "rnddat" + q), SQL_SUCCESS)
        << m_client.StmtError();
    // No keys or indexes: SQLStatistics has only the row of the table itself.
    for (const char* pszTable : {"rnddat", "nothere"}) {
        ASSERT_EQ(SQLStatistics(m_client.Statement(), nullptr, 0, nullptr, 0, (SQLCHAR*)pszTable,
                                SQL_NTS, SQL_INDEX_ALL, SQL_QUICK),
                  SQL_SUCCESS);
        EXPECT_EQ(m_client.ReadColumn(7), std::vector<std::string>(pszTable[0] == 'r', "0"));
    }
    SQLSMALLINT nColumns = 0;
    ASSERT_EQ(
        SQLPrimaryKeys(m_client.Statement(), nullptr, 0, nullptr, 0, (SQLCHAR*)"rnddat", SQL_NTS),
        SQL_SUCCESS);
    EXPECT_EQ(SQLNumResultCols(m_client.Stmt(), &nColumns), SQL_SUCCESS);
    EXPECT_EQ(nColumns, 6);
    EXPECT_EQ(m_client.ReadColumn(4), std::vector<std::string>{});
}

// Clients size buffers and choose how to fetch by these answers (a limit of 11 cut
// catalog names short; a claim of absolute fetching made PHP use SQLExtendedFetch).
TEST_F(DriverTest, InformationAnswersAndTheTypeListAreTheTruth) {
    ASSERT_TRUE(WriteDbf(m_data.File("mixed.dbf"), {{"F1", 'N', 8, 2}, {"NAME", 'C', 10, 0}},
                         {CPriceRow(2)}, {{"Round"}}));
    ASSERT_TRUE(m_client.ConnectTo(m_data.Path()));
    const std::pair<SQLUSMALLINT, SQLUSMALLINT> smalls[] = {
        {SQL_MAX_IDENTIFIER_LEN, 255},     {SQL_MAX_TABLE_NAME_LEN, 255},
        {SQL_MAX_COLUMN_NAME_LEN, 0},      {SQL_MAX_COLUMNS_IN_SELECT, 0},
        {SQL_MAX_TABLES_IN_SELECT, 0},     {SQL_TXN_CAPABLE, SQL_TC_NONE},
        {SQL_CORRELATION_NAME, SQL_CN_ANY}};
    const std::pair<SQLUSMALLINT, SQLUINTEGER> words[] = {
        {SQL_DEFAULT_TXN_ISOLATION, 0},
        {SQL_TXN_ISOLATION_OPTION, 0},
        {SQL_ODBC_INTERFACE_CONFORMANCE, 0},
        {SQL_SQL_CONFORMANCE, 0},
        {SQL_UNION, SQL_U_UNION | SQL_U_UNION_ALL},
        {SQL_SCROLL_OPTIONS, SQL_SO_FORWARD_ONLY | SQL_SO_STATIC}};
    auto check = [&](const auto& answers) {
        for (auto [nInfo, nExpected] : answers) {
            decltype(nExpected) nValue = 99;
            EXPECT_EQ(SQLGetInfo(m_client.Dbc(), nInfo, &nValue, 0, nullptr), SQL_SUCCESS);
            EXPECT_EQ(nValue, nExpected) << nInfo;
        }
    };
    check(smalls);
    check(words);
    for (SQLUSMALLINT nFunction : {SQL_API_SQLEXTENDEDFETCH, SQL_API_SQLGETTYPEINFO}) {
        SQLUSMALLINT bSupported = SQL_FALSE;
        SQLGetFunctions(m_client.Dbc(), nFunction, &bSupported);
        EXPECT_EQ(bSupported, SQL_TRUE) << nFunction;
    }
    // Every type a column can have is in the type list under the name SQLColumns gives it.
    ASSERT_EQ(SQLGetTypeInfo(m_client.Statement(), SQL_ALL_TYPES), SQL_SUCCESS);
    std::vector<std::string> types, names;
    for (const auto& row : m_client.ReadRows()) {
        types.push_back(row[0] + "=" + row[1]);
        names.push_back(row[0]);
    }
    EXPECT_EQ(types,
              (std::vector<std::string>{"BIT=-7", "LONGVARBINARY=-4", "VARBINARY=-3",
                                        "LONGVARCHAR=-1", "CHAR=1", "DECIMAL=3", "INTEGER=4",
                                        "SMALLINT=5", "DOUBLE=8", "DATE=91", "TIMESTAMP=93"}));
    ASSERT_EQ(SQLColumns(m_client.Statement(), nullptr, 0, nullptr, 0, (SQLCHAR*)"mixed", SQL_NTS,
                         nullptr, 0),
              SQL_SUCCESS);
    for (const std::string& strType : m_client.ReadColumn(6))
        EXPECT_NE(std::find(names.begin(), names.end(), strType), names.end()) << strType;
}

std::u16string Widen(const std::string& strAscii) {
    return std::u16string(strAscii.begin(), strAscii.end());
}

// A Unicode client (the wide entry points) and file names beyond ASCII: UTF-8 names as
// they are, other names read as ISO 8859-1; both can be listed and opened by that name.
TEST_F(DriverTest, WideFunctionsCarryNamesAndMessagesBeyondAscii) {
    ASSERT_TRUE(WritePriceTable(m_data.File("\xC3\x9Cn\xC3\xAF.dbf"), 2));  // "Ünï", UTF-8
    ASSERT_TRUE(WritePriceTable(m_data.File("caf\xE9.dbf"), 3));            // "café", Latin-1
    std::u16string strIn = u"DSN=zlmrt_conv;DEFAULTDIR=" + Widen(m_data.Path()) + u"/";
    SQLWCHAR szOut[8];
    SQLSMALLINT nOut = 0;
    ASSERT_EQ(SQLDriverConnectW(m_client.Dbc(), nullptr, (SQLWCHAR*)strIn.c_str(), SQL_NTS, szOut,
                                8, &nOut, SQL_DRIVER_NOPROMPT),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(std::u16string((char16_t*)szOut), u"DSN=zlm");
    EXPECT_EQ(nOut, static_cast<SQLSMALLINT>((strIn + u";FIL=dBase III;").size()));
    EXPECT_EQ(Tables(nullptr), (std::vector<std::string>{"caf\xC3\xA9", "\xC3\x9Cn\xC3\xAF"}));

    SQLHSTMT hStmt = m_client.Statement();
    // The Latin-1 name as UTF-8; pyodbc_smoke reads the UTF-8 one through the wide calls.
    ASSERT_EQ(SQLExecDirectW(hStmt, (SQLWCHAR*)u"SELECT * FROM [café]", SQL_NTS), SQL_SUCCESS)
        << m_client.StmtError();
    EXPECT_EQ(m_client.ReadRows().size(), 3u);
    SQLCloseCursor(hStmt);

    EXPECT_EQ(SQLExecDirectW(hStmt, (SQLWCHAR*)u"SELECT * FROM [Öl💎]", SQL_NTS), SQL_ERROR);
    const std::u16string strMessage = u"[kestrix][dBase driver]Table 'Öl💎' not found: no file " +
                                      std::u16string(u"'Öl💎.dbf' in folder '") +
                                      Widen(m_data.Path()) + u"/'";
    // Cut short, never between the two halves of a character beyond the BMP; its length
    // that of the whole message (pyodbc_smoke reads the whole message and its state).
    SQLWCHAR szState[6], szText[512];
    SQLSMALLINT nLength = 0;
    const std::size_t nPair = strMessage.find(u"💎");
    ASSERT_EQ(SQLGetDiagRecW(SQL_HANDLE_STMT, hStmt, 1, szState, nullptr, szText,
                             static_cast<SQLSMALLINT>(nPair + 2), &nLength),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(nLength, static_cast<SQLSMALLINT>(strMessage.size()));
    EXPECT_EQ(std::u16string((char16_t*)szText), strMessage.substr(0, nPair));
}

// Under AddressSanitizer this also shows any later use of the statement left open.
TEST_F(DriverTest, AHugeTableDeliversItsFirstRecordsWithoutReadingTheRest) {
    ASSERT_TRUE(WriteHugePriceTable(m_data.File("rnddat.dbf")));
    ASSERT_TRUE(m_client.ConnectTo(m_data.Path()));
    ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
    for (int r = 1; r <= 201; ++r) ASSERT_EQ(m_client.Fetch(), PriceRecord(r));
    EXPECT_EQ(m_client.Fetch(), CPriceRow(11));  // a hole reads as blanks, hence NULLs
    EXPECT_TRUE(m_client.Disconnect());
}

TEST_F(DriverTest, ConnectionsToAnUnreadableFolderOrWithAPromptFail) {
    const std::string strMissing = m_data.File("gone");
    EXPECT_FALSE(m_client.ConnectTo(strMissing));
    EXPECT_EQ(m_client.DbcError(), "08001: " + kTag + "Folder '" + strMissing +
                                       "/' (DEFAULTDIR) is not a readable folder");
    const std::string strIn = "DSN=zlmrt_conv;DEFAULTDIR=" + m_data.Path();
    int nNotAWindow = 0;
    EXPECT_EQ(SQLDriverConnect(m_client.Dbc(), &nNotAWindow, (SQLCHAR*)strIn.c_str(), SQL_NTS,
                               nullptr, 0, nullptr, SQL_DRIVER_PROMPT),
              SQL_ERROR);
    EXPECT_EQ(m_client.DbcError(),
              "HYC00: " + kTag + "The driver never prompts; use SQL_DRIVER_NOPROMPT");
}

}  // namespace
