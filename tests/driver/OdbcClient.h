// A small ODBC client for tests that go through the real driver manager: one
// environment and connection, statements opened on demand, and the text of the last
// diagnostic as "SQLSTATE: message".
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <optional>
#include <string>
#include <vector>

class COdbcClient {
public:
    COdbcClient();
    ~COdbcClient();
    COdbcClient(const COdbcClient&) = delete;
    COdbcClient& operator=(const COdbcClient&) = delete;

    // SQLDriverConnect with SQL_DRIVER_NOPROMPT; false on failure (see Error()).
    bool Connect(const std::string& strConnection);
    // A fresh statement with the given cursor type; closes the previous one.
    SQLHSTMT Statement(SQLULEN nCursorType = SQL_CURSOR_STATIC);
    // SQLExecDirect on a fresh statement; the return code.
    SQLRETURN Exec(const std::string& strQuery, SQLULEN nCursorType = SQL_CURSOR_STATIC);
    // Binds F1..FB as doubles (columns 1..11) with indicators.
    void BindPrices();
    // The bound prices of the current row, nullopt where NULL.
    std::vector<std::optional<double>> Prices() const;

    // "SQLSTATE: message" of the first diagnostic record of `handle` (or the statement).
    std::string Error(SQLSMALLINT nType, SQLHANDLE handle) const;
    std::string StmtError() const { return Error(SQL_HANDLE_STMT, m_hStmt); }
    std::string DbcError() const { return Error(SQL_HANDLE_DBC, m_hDbc); }

    SQLHDBC Dbc() const { return m_hDbc; }
    SQLHSTMT Stmt() const { return m_hStmt; }

private:
    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
    bool m_bConnected = false;
    double m_adPrices[11] = {};
    SQLLEN m_anIndicators[11] = {};
};

// The program's query for `strTable`: every price column qualified, two blanks before FROM.
std::string ProgramQuery(const std::string& strTable);
