// A small ODBC client for tests through the real driver manager: one connection, one
// statement at a time, prices bound as doubles, diagnostics as "SQLSTATE: message".
#pragma once

#include <sql.h>
#include <sqlext.h>
#include <unistd.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/DbfWriter.h"
#include "tests/support/TempDir.h"

class COdbcClient {
public:
    COdbcClient() {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
        SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
        SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
    }
    ~COdbcClient() {  // releases any statement still open through the disconnection
        Disconnect();
        SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
        SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
    }
    COdbcClient(const COdbcClient&) = delete;
    COdbcClient& operator=(const COdbcClient&) = delete;

    // Connects to the folder as the program does; false on failure (see DbcError()).
    bool ConnectTo(const std::string& strFolder) {
        const std::string strIn = "DSN=zlmrt_conv;NULLSTARS=0;DEFAULTDIR=" + strFolder + "/";
        return SQL_SUCCEEDED(SQLDriverConnect(m_hDbc, nullptr, (SQLCHAR*)strIn.c_str(), SQL_NTS,
                                              nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT));
    }
    bool Disconnect() {  // leaving the statement open; whether it succeeded
        SQLFreeStmt(m_hStmt, SQL_CLOSE);
        m_hStmt = SQL_NULL_HSTMT;
        return SQLDisconnect(m_hDbc) == SQL_SUCCESS;
    }

    // A fresh read-only statement of that cursor type, columns 1..11 bound as doubles.
    SQLHSTMT Statement(SQLULEN nCursorType = SQL_CURSOR_STATIC) {
        if (m_hStmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_hStmt);
        SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &m_hStmt);
        SQLSetStmtAttr(m_hStmt, SQL_ATTR_CURSOR_TYPE, (SQLPOINTER)nCursorType, 0);
        SQLSetStmtAttr(m_hStmt, SQL_ATTR_CONCURRENCY, (SQLPOINTER)SQL_CONCUR_READ_ONLY, 0);
        for (SQLUSMALLINT i = 0; i < 11; ++i)
            SQLBindCol(m_hStmt, i + 1, SQL_C_DOUBLE, &m_adPrices[i], 0, &m_anIndicators[i]);
        return m_hStmt;
    }
    SQLRETURN Exec(const std::string& strQuery, SQLULEN nCursorType = SQL_CURSOR_STATIC) {
        return SQLExecDirect(Statement(nCursorType), (SQLCHAR*)strQuery.c_str(), SQL_NTS);
    }
    // SQLFetchScroll, or with `pnRows` SQLExtendedFetch counting the rows there; the
    // bound prices, or nullopt at SQL_NO_DATA. Throws on an error.
    std::optional<CPriceRow> Fetch(SQLSMALLINT nOrientation = SQL_FETCH_NEXT, SQLLEN nOffset = 0,
                                   SQLULEN* pnRows = nullptr) {
        SQLUSMALLINT nStatus = 0;
        const SQLRETURN rc =
            pnRows ? SQLExtendedFetch(m_hStmt, nOrientation, nOffset, pnRows, &nStatus)
                   : SQLFetchScroll(m_hStmt, nOrientation, nOffset);
        if (rc == SQL_NO_DATA) return std::nullopt;
        if (rc != SQL_SUCCESS) throw std::runtime_error("fetch: " + StmtError());
        CPriceRow prices(11);
        for (int i = 0; i < 11; ++i)
            if (m_anIndicators[i] != SQL_NULL_DATA) prices[i] = m_adPrices[i];
        return prices;
    }
    // Unbinds, then every remaining row, each column as text ("NULL" for NULL). Throws
    // with the diagnostic when a fetch fails.
    std::vector<std::vector<std::string>> ReadRows() {
        SQLFreeStmt(m_hStmt, SQL_UNBIND);
        SQLSMALLINT nColumns = 0;
        SQLNumResultCols(m_hStmt, &nColumns);
        std::vector<std::vector<std::string>> rows;
        SQLRETURN rc;
        while ((rc = SQLFetch(m_hStmt)) == SQL_SUCCESS) {
            rows.emplace_back();
            for (SQLUSMALLINT c = 1; c <= nColumns; ++c) {
                char szValue[256];
                SQLLEN nInd = 0;
                if (!SQL_SUCCEEDED(SQLGetData(m_hStmt, c, SQL_C_CHAR, szValue, 256, &nInd)))
                    throw std::runtime_error(StmtError());
                rows.back().push_back(nInd == SQL_NULL_DATA ? "NULL" : szValue);
            }
        }
        if (rc != SQL_NO_DATA) throw std::runtime_error(StmtError());
        return rows;
    }
    std::vector<std::string> ReadColumn(SQLUSMALLINT nColumn) {
        std::vector<std::string> values;
        for (const auto& row : ReadRows()) values.push_back(row.at(nColumn - 1u));
        return values;
    }

    static std::string Error(SQLSMALLINT nType, SQLHANDLE handle) {
        SQLCHAR szState[6] = {}, szText[1024] = {};
        if (!SQL_SUCCEEDED(
                SQLGetDiagRec(nType, handle, 1, szState, nullptr, szText, 1024, nullptr)))
            return "no diagnostic";
        return std::string((char*)szState) + ": " + (char*)szText;
    }
    std::string StmtError() const { return Error(SQL_HANDLE_STMT, m_hStmt); }
    std::string DbcError() const { return Error(SQL_HANDLE_DBC, m_hDbc); }
    SQLHDBC Dbc() const { return m_hDbc; }
    SQLHSTMT Stmt() const { return m_hStmt; }

private:
    SQLHENV m_hEnv = SQL_NULL_HENV;
    SQLHDBC m_hDbc = SQL_NULL_HDBC;
    SQLHSTMT m_hStmt = SQL_NULL_HSTMT;
    double m_adPrices[11] = {};
    SQLLEN m_anIndicators[11] = {};
};

// The program's query for `strTable`: every price column qualified, two blanks before FROM.
inline std::string ProgramQuery(const std::string& strTable) {
    std::string strQuery = "SELECT ";
    for (const char* pszColumn : {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "FA", "FB"})
        strQuery += (strQuery.size() > 7 ? ",[" : "[") + strTable + "].[" + pszColumn + "]";
    return strQuery + "  FROM [" + strTable + "]";
}

// A 2 GB table, made sparse: 201 real records, then holes up to the 16 million announced.
inline bool WriteHugePriceTable(const std::string& strPath) {
    if (!WritePriceTable(strPath, 201)) return false;
    std::string bytes = ReadFile(strPath);
    const std::uint32_t nRecords = 16'000'000;  // of 133 bytes each
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>(nRecords >> (8 * i));
    WriteFile(strPath, bytes);
    return truncate(strPath.c_str(), 2'200'000'000LL) == 0;
}
