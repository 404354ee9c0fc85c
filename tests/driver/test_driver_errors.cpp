// Each failure through the driver manager: its SQLSTATE, and a message that starts
// with the driver's origin tags and names what failed.
#include <gtest/gtest.h>

#include "tests/driver/OdbcClient.h"
#include "tests/support/DbfWriter.h"
#include "tests/support/OdbcSandbox.h"
#include "tests/support/TempDir.h"

namespace {

class DriverErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_sandbox.RegisterDataSource());
        ASSERT_TRUE(WritePriceTable(m_data.File("rnddat.dbf"), 3));
    }

    bool Connect() { return m_client.Connect("DSN=zlmrt_conv;DEFAULTDIR=" + m_data.Path() + "/"); }

    // The statement error of `strQuery`, which must fail.
    std::string ExecError(const std::string& strQuery) {
        EXPECT_EQ(m_client.Exec(strQuery), SQL_ERROR);
        return m_client.StmtError();
    }

    COdbcSandbox m_sandbox;
    CTempDir m_data;
    COdbcClient m_client;
};

TEST_F(DriverErrorTest, QueriesNamingMissingThingsOrOutsideTheDialect) {
    ASSERT_TRUE(Connect());
    EXPECT_EQ(ExecError(ProgramQuery("peardat")),
              "42S02: [kestrix][dBase driver]Table 'peardat' not found: no file 'peardat.dbf' in "
              "folder '" +
                  m_data.Path() + "/'");
    EXPECT_EQ(ExecError("SELECT [rnddat].[F1],[rnddat].[FC]  FROM [rnddat]"),
              "42S22: [kestrix][dBase driver]Column 'FC' not found in table 'rnddat' (file '" +
                  m_data.File("rnddat.dbf") + "')");
    EXPECT_EQ(ExecError("SELECT F1 FROM rnddat ORDER BY F1"),
              "42000: [kestrix][dBase driver]Syntax error, unexpected text near 'ORDER BY F1'");
    EXPECT_EQ(ExecError("SELECT * FROM [../rnddat]").substr(0, 5), "42S02");
}

TEST_F(DriverErrorTest, AFolderThatCannotBeReadFailsTheConnection) {
    const std::string strMissing = m_data.File("gone");
    EXPECT_FALSE(m_client.Connect("DSN=zlmrt_conv;DEFAULTDIR=" + strMissing + "/"));
    EXPECT_EQ(m_client.DbcError(), "08001: [kestrix][dBase driver]Folder '" + strMissing +
                                       "/' (DEFAULTDIR) is not a readable folder");
}

TEST_F(DriverErrorTest, PromptingIsRefusedWithoutAWindow) {
    // Without a window the driver manager refuses by itself; with one (never used by
    // the driver) the request reaches the driver, which has no user interface.
    const std::string strIn = "DSN=zlmrt_conv;DEFAULTDIR=" + m_data.Path();
    int nNotAWindow = 0;
    SQLRETURN rc = SQLDriverConnect(m_client.Dbc(), &nNotAWindow, (SQLCHAR*)strIn.c_str(), SQL_NTS,
                                    nullptr, 0, nullptr, SQL_DRIVER_PROMPT);
    EXPECT_EQ(rc, SQL_ERROR);
    EXPECT_EQ(m_client.DbcError(),
              "HYC00: [kestrix][dBase driver]The driver never prompts; use SQL_DRIVER_NOPROMPT");
}

TEST_F(DriverErrorTest, TextThatIsNoNumberCannotBeReadAsADouble) {
    std::vector<SDbfColumn> columns = {{"F1", 'C', 8, 0}};
    ASSERT_TRUE(WriteDbf(m_data.File("text.dbf"), columns, {CPriceRow(1)}, {{"12,50"}}));
    ASSERT_TRUE(Connect());
    ASSERT_EQ(m_client.Exec("SELECT F1 FROM text"), SQL_SUCCESS);
    double dValue = 0;
    SQLLEN nIndicator = 0;
    ASSERT_EQ(SQLFetch(m_client.Stmt()), SQL_SUCCESS);
    EXPECT_EQ(SQLGetData(m_client.Stmt(), 1, SQL_C_DOUBLE, &dValue, 0, &nIndicator), SQL_ERROR);
    EXPECT_EQ(m_client.StmtError(),
              "22018: [kestrix][dBase driver]Invalid character value for cast specification: "
              "'12,50' in column 'F1' is not a number");
}

TEST_F(DriverErrorTest, DamagedTablesAreRefusedNamingTheFile) {
    std::string bytes = ReadFile(m_data.File("rnddat.dbf"));
    WriteFile(m_data.File("rnddat.dbf"), bytes.substr(0, bytes.size() - 60));
    ASSERT_TRUE(Connect());
    const std::string strError = ExecError(ProgramQuery("rnddat"));
    EXPECT_EQ(strError.substr(0, 5), "HY000");
    EXPECT_NE(
        strError.find("File '" + m_data.File("rnddat.dbf") + "' is not a readable dBase table"),
        std::string::npos)
        << strError;
}

TEST_F(DriverErrorTest, DiagnosticsStayUntilTheNextCallOnTheHandle) {
    ASSERT_TRUE(Connect());
    ExecError("SELECT nothing");
    SQLINTEGER nRecords = 0;
    SQLGetDiagField(SQL_HANDLE_STMT, m_client.Stmt(), 0, SQL_DIAG_NUMBER, &nRecords, 0, nullptr);
    EXPECT_EQ(nRecords, 1);
    EXPECT_EQ(m_client.StmtError().substr(0, 5), "42000");  // read twice: still there
    SQLCHAR szState[6];
    SQLGetDiagField(SQL_HANDLE_STMT, m_client.Stmt(), 1, SQL_DIAG_SQLSTATE, szState, sizeof szState,
                    nullptr);
    EXPECT_STREQ((char*)szState, "42000");
    EXPECT_EQ(SQLExecDirect(m_client.Stmt(), (SQLCHAR*)"SELECT * FROM rnddat", SQL_NTS),
              SQL_SUCCESS);
    EXPECT_EQ(m_client.StmtError(), "no diagnostic");
}

}  // namespace
