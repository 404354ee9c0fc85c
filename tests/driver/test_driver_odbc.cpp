// The driver through the real unixODBC driver manager, registered and used exactly as
// the program does: SQLConfigDataSource, "DSN=zlmrt_conv;DEFAULTDIR=<folder>/", the
// program's query on a static cursor.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "tests/driver/OdbcClient.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

namespace {

class DriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource()) << m_sandbox.InstallerError();
    }

    bool ConnectTo(const std::string& strFolder) {
        return m_client.Connect("DSN=zlmrt_conv;DEFAULTDIR=" + strFolder + "/");
    }

    // Fetches with `nOrientation` and returns the prices, or nullopt for SQL_NO_DATA.
    std::optional<std::vector<std::optional<double>>> Fetch(SQLSMALLINT nOrientation,
                                                            SQLLEN nOffset = 0) {
        SQLRETURN rc = SQLFetchScroll(m_client.Stmt(), nOrientation, nOffset);
        if (rc == SQL_NO_DATA) return std::nullopt;
        EXPECT_EQ(rc, SQL_SUCCESS) << m_client.StmtError();
        return m_client.Prices();
    }

    static std::vector<std::optional<double>> Record(int nRecord) {
        std::vector<std::optional<double>> prices;
        for (int f = 1; f <= 11; ++f) prices.push_back(PriceValue(nRecord, f));
        return prices;
    }

    COdbcSandbox m_sandbox;  // first: before any ODBC call of the process
    CTempDir m_data;
    COdbcClient m_client;
};

TEST_F(DriverTest, ProgramQueryWalksFirstNextToTheEndAndFirstAgain) {
    ASSERT_TRUE(WritePriceTable(m_data.File("rnddat.dbf"), 150));
    ASSERT_TRUE(ConnectTo(m_data.Path())) << m_client.DbcError();
    ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
    m_client.BindPrices();
    EXPECT_EQ(Fetch(SQL_FETCH_FIRST), Record(1));
    for (int r = 2; r <= 150; ++r) ASSERT_EQ(Fetch(SQL_FETCH_NEXT), Record(r)) << r;
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_FIRST), Record(1));
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(2));
}

TEST_F(DriverTest, BlankNumbersAreNullAndDeletedRecordsAreSkippedInEveryDirection) {
    std::vector<CPriceRow> rows;
    for (int r = 1; r <= 5; ++r) rows.push_back(Record(r));
    rows[0][3] = std::nullopt;
    ASSERT_TRUE(WriteDbf(m_data.File("rnddat.dbf"), PriceColumns(), rows));
    ASSERT_TRUE(MarkDeleted(m_data.File("rnddat.dbf"), 1));  // record 2
    ASSERT_TRUE(MarkDeleted(m_data.File("rnddat.dbf"), 4));  // record 5, the last
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
    m_client.BindPrices();

    auto first = Fetch(SQL_FETCH_NEXT);
    ASSERT_TRUE(first);
    EXPECT_EQ((*first)[3], std::nullopt);
    EXPECT_EQ((*first)[4], PriceValue(1, 5));
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(3));
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(4));
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_PRIOR), Record(4));
    EXPECT_EQ(Fetch(SQL_FETCH_PRIOR), Record(3));
    EXPECT_EQ(Fetch(SQL_FETCH_LAST), Record(4));
    EXPECT_EQ(Fetch(SQL_FETCH_ABSOLUTE, 2), Record(3));
    EXPECT_EQ(Fetch(SQL_FETCH_ABSOLUTE, -3), (*first));
    EXPECT_EQ(Fetch(SQL_FETCH_RELATIVE, 2), Record(4));
    EXPECT_EQ(Fetch(SQL_FETCH_RELATIVE, 1), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_RELATIVE, -1), Record(4));
    EXPECT_EQ(Fetch(SQL_FETCH_ABSOLUTE, 0), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_PRIOR), std::nullopt);
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), *first);
}

TEST_F(DriverTest, UpperCaseFileNamesAndExtraColumnsReadNormally) {
    std::vector<SDbfColumn> columns = {{"NAME", 'C', 10, 0}};
    for (const SDbfColumn& c : PriceColumns()) columns.push_back(c);
    columns.push_back({"REMARK", 'C', 20, 0});
    std::vector<CPriceRow> rows = {CPriceRow(13)};
    for (int f = 1; f <= 11; ++f) rows[0][f] = PriceValue(1, f);
    ASSERT_TRUE(WriteDbf(m_data.File("RNDDAT.DBF"), columns, rows,
                         {{"Round", "", "", "", "", "", "", "", "", "", "", "", "x"}}));
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
    m_client.BindPrices();
    EXPECT_EQ(Fetch(SQL_FETCH_FIRST), Record(1));

    ASSERT_EQ(m_client.Exec("select * from RnDdAt", SQL_CURSOR_FORWARD_ONLY), SQL_SUCCESS);
    SQLSMALLINT nColumns = 0;
    SQLNumResultCols(m_client.Stmt(), &nColumns);
    EXPECT_EQ(nColumns, 13);
    SQLCHAR szName[32];
    SQLSMALLINT nNameLength, nType, nDecimals, nNullable;
    SQLULEN nSize;
    SQLDescribeCol(m_client.Stmt(), 1, szName, sizeof szName, &nNameLength, &nType, &nSize,
                   &nDecimals, &nNullable);
    EXPECT_STREQ((char*)szName, "NAME");
    EXPECT_EQ(nType, SQL_CHAR);
    SQLDescribeCol(m_client.Stmt(), 2, szName, sizeof szName, &nNameLength, &nType, &nSize,
                   &nDecimals, &nNullable);
    EXPECT_EQ(nType, SQL_DOUBLE);
    EXPECT_EQ(nDecimals, 3);
    ASSERT_EQ(SQLFetch(m_client.Stmt()), SQL_SUCCESS);
    char szText[8];
    SQLLEN nIndicator = 0;
    EXPECT_EQ(SQLGetData(m_client.Stmt(), 1, SQL_C_CHAR, szText, sizeof szText, &nIndicator),
              SQL_SUCCESS);
    EXPECT_STREQ(szText, "Round");
    SQLINTEGER nWhole = 0;
    EXPECT_EQ(SQLGetData(m_client.Stmt(), 2, SQL_C_SLONG, &nWhole, 0, &nIndicator),
              SQL_SUCCESS_WITH_INFO);
    EXPECT_EQ(nWhole, static_cast<SQLINTEGER>(PriceValue(1, 1)));
    EXPECT_EQ(SQLFetch(m_client.Stmt()), SQL_NO_DATA);
}

TEST_F(DriverTest, BraceQuotedFolderMayHoldSemicolonsAndBraces) {
    const std::string strFolder = m_data.File("prices;2004}old");
    ASSERT_EQ(mkdir(strFolder.c_str(), 0700), 0);
    ASSERT_TRUE(WritePriceTable(strFolder + "/peardat.dbf", 2));
    ASSERT_TRUE(
        m_client.Connect("DSN=zlmrt_conv;DEFAULTDIR={" + m_data.Path() + "/prices;2004}}old/}"))
        << m_client.DbcError();
    ASSERT_EQ(m_client.Exec(ProgramQuery("peardat")), SQL_SUCCESS) << m_client.StmtError();
    m_client.BindPrices();
    EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(1));
}

TEST_F(DriverTest, ForwardOnlyCursorsReadForwardAndRefuseToScroll) {
    ASSERT_TRUE(WritePriceTable(m_data.File("mqdat.dbf"), 3));
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    ASSERT_EQ(m_client.Exec(ProgramQuery("mqdat"), SQL_CURSOR_FORWARD_ONLY), SQL_SUCCESS);
    m_client.BindPrices();
    EXPECT_EQ(SQLFetch(m_client.Stmt()), SQL_SUCCESS);
    EXPECT_EQ(m_client.Prices(), Record(1));
    EXPECT_EQ(SQLFetchScroll(m_client.Stmt(), SQL_FETCH_FIRST, 0), SQL_ERROR);
    EXPECT_EQ(m_client.StmtError().substr(0, 5), "HY106");
}

TEST_F(DriverTest, PreparedQueriesExecuteAgainFromTheStart) {
    ASSERT_TRUE(WritePriceTable(m_data.File("emdat.dbf"), 2));
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    SQLHSTMT hStmt = m_client.Statement();
    const std::string strQuery = ProgramQuery("emdat");
    ASSERT_EQ(SQLPrepare(hStmt, (SQLCHAR*)strQuery.c_str(), SQL_NTS), SQL_SUCCESS);
    m_client.BindPrices();
    for (int nRun = 0; nRun < 2; ++nRun) {
        ASSERT_EQ(SQLExecute(hStmt), SQL_SUCCESS) << m_client.StmtError();
        EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(1));
        EXPECT_EQ(Fetch(SQL_FETCH_NEXT), Record(2));
        EXPECT_EQ(SQLCloseCursor(hStmt), SQL_SUCCESS);
    }
}

TEST_F(DriverTest, CatalogFunctionsListTheFolder) {
    ASSERT_TRUE(WritePriceTable(m_data.File("rnddat.dbf"), 1));
    ASSERT_TRUE(WritePriceTable(m_data.File("PEARDAT.DBF"), 1));
    WriteFile(m_data.File("notes.txt"), "not a table");
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    SQLHSTMT hStmt = m_client.Statement(SQL_CURSOR_FORWARD_ONLY);
    ASSERT_EQ(SQLTables(hStmt, nullptr, 0, nullptr, 0, nullptr, 0, nullptr, 0), SQL_SUCCESS);
    std::vector<std::string> tables;
    char szName[64];
    SQLLEN nIndicator;
    while (SQLFetch(hStmt) == SQL_SUCCESS) {
        SQLGetData(hStmt, 3, SQL_C_CHAR, szName, sizeof szName, &nIndicator);
        tables.push_back(szName);
    }
    EXPECT_EQ(tables, (std::vector<std::string>{"PEARDAT", "rnddat"}));

    hStmt = m_client.Statement(SQL_CURSOR_FORWARD_ONLY);
    ASSERT_EQ(SQLColumns(hStmt, nullptr, 0, nullptr, 0, (SQLCHAR*)"rnd%", SQL_NTS, (SQLCHAR*)"F_",
                         SQL_NTS),
              SQL_SUCCESS);
    int nRows = 0;
    SQLSMALLINT nType = 0;
    while (SQLFetch(hStmt) == SQL_SUCCESS) {
        ++nRows;
        SQLGetData(hStmt, 5, SQL_C_SSHORT, &nType, 0, &nIndicator);
        EXPECT_EQ(nType, SQL_DOUBLE);
    }
    EXPECT_EQ(nRows, 11);
}

TEST_F(DriverTest, AHugeTableOpensAndDeliversItsFirstRecordsWithoutReadingTheRest) {
    // A 2 GB table made sparse: the header announces the records, the file holds holes.
    const std::string strPath = m_data.File("rnddat.dbf");
    ASSERT_TRUE(WritePriceTable(strPath, 201));
    std::string bytes = ReadFile(strPath);
    const std::uint32_t nRecords = 16'000'000;
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(nRecords >> (8 * i));
    WriteFile(strPath, bytes);
    ASSERT_EQ(truncate(strPath.c_str(), 2'200'000'000LL), 0);
    ASSERT_TRUE(ConnectTo(m_data.Path()));
    ASSERT_EQ(m_client.Exec(ProgramQuery("rnddat")), SQL_SUCCESS) << m_client.StmtError();
    m_client.BindPrices();
    for (int r = 1; r <= 201; ++r) ASSERT_EQ(Fetch(SQL_FETCH_NEXT), Record(r));
    auto hole = Fetch(SQL_FETCH_NEXT);  // a record of zero bytes: blank, hence NULL
    ASSERT_TRUE(hole);
    EXPECT_EQ((*hole)[0], std::nullopt);
}

}  // namespace

namespace {

// Statements the application never freed go with the connection; the driver manager
// must not reach them afterwards (run under AddressSanitizer this shows any misuse).
TEST(DriverLifetimeTest, DisconnectingWithOpenStatementsReleasesThem) {
    COdbcSandbox sandbox;
    ASSERT_TRUE(sandbox.RegisterDataSource());
    CTempDir data;
    ASSERT_TRUE(WritePriceTable(data.File("rnddat.dbf"), 2));
    SQLHENV hEnv;
    SQLHDBC hDbc;
    SQLHSTMT hStmt;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &hEnv);
    SQLSetEnvAttr(hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, hEnv, &hDbc);
    const std::string strIn = "DSN=zlmrt_conv;DEFAULTDIR=" + data.Path();
    ASSERT_TRUE(SQL_SUCCEEDED(SQLDriverConnect(hDbc, nullptr, (SQLCHAR*)strIn.c_str(), SQL_NTS,
                                               nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT)));
    ASSERT_EQ(SQLAllocHandle(SQL_HANDLE_STMT, hDbc, &hStmt), SQL_SUCCESS);
    ASSERT_EQ(SQLExecDirect(hStmt, (SQLCHAR*)"SELECT * FROM rnddat", SQL_NTS), SQL_SUCCESS);
    ASSERT_EQ(SQLFetch(hStmt), SQL_SUCCESS);
    SQLCloseCursor(hStmt);
    EXPECT_EQ(SQLDisconnect(hDbc), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_DBC, hDbc), SQL_SUCCESS);
    EXPECT_EQ(SQLFreeHandle(SQL_HANDLE_ENV, hEnv), SQL_SUCCESS);
}

}  // namespace
