#include "tests/driver/OdbcClient.h"

COdbcClient::COdbcClient() {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv);
    SQLSetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc);
}

COdbcClient::~COdbcClient() {
    if (m_hStmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_hStmt);
    if (m_bConnected) SQLDisconnect(m_hDbc);
    SQLFreeHandle(SQL_HANDLE_DBC, m_hDbc);
    SQLFreeHandle(SQL_HANDLE_ENV, m_hEnv);
}

bool COdbcClient::Connect(const std::string& strConnection) {
    SQLCHAR szOut[1024];
    SQLSMALLINT nOut = 0;
    SQLRETURN rc = SQLDriverConnect(m_hDbc, nullptr, (SQLCHAR*)strConnection.c_str(), SQL_NTS,
                                    szOut, sizeof szOut, &nOut, SQL_DRIVER_NOPROMPT);
    m_bConnected = SQL_SUCCEEDED(rc);
    return m_bConnected;
}

SQLHSTMT COdbcClient::Statement(SQLULEN nCursorType) {
    if (m_hStmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, m_hStmt);
    m_hStmt = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_STMT, m_hDbc, &m_hStmt);
    SQLSetStmtAttr(m_hStmt, SQL_ATTR_CURSOR_TYPE, reinterpret_cast<SQLPOINTER>(nCursorType), 0);
    SQLSetStmtAttr(m_hStmt, SQL_ATTR_CONCURRENCY,
                   reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
    return m_hStmt;
}

SQLRETURN COdbcClient::Exec(const std::string& strQuery, SQLULEN nCursorType) {
    Statement(nCursorType);
    return SQLExecDirect(m_hStmt, (SQLCHAR*)strQuery.c_str(), SQL_NTS);
}

void COdbcClient::BindPrices() {
    for (SQLUSMALLINT i = 0; i < 11; ++i)
        SQLBindCol(m_hStmt, i + 1, SQL_C_DOUBLE, &m_adPrices[i], 0, &m_anIndicators[i]);
}

std::vector<std::optional<double>> COdbcClient::Prices() const {
    std::vector<std::optional<double>> prices;
    for (int i = 0; i < 11; ++i)
        prices.push_back(m_anIndicators[i] == SQL_NULL_DATA ? std::nullopt
                                                            : std::optional<double>(m_adPrices[i]));
    return prices;
}

std::string COdbcClient::Error(SQLSMALLINT nType, SQLHANDLE handle) const {
    SQLCHAR szState[6] = {};
    SQLCHAR szMessage[1024] = {};
    SQLINTEGER nNative = 0;
    SQLSMALLINT nLength = 0;
    SQLRETURN rc =
        SQLGetDiagRec(nType, handle, 1, szState, &nNative, szMessage, sizeof szMessage, &nLength);
    if (!SQL_SUCCEEDED(rc)) return "no diagnostic";
    return std::string((char*)szState) + ": " + (char*)szMessage;
}

std::string ProgramQuery(const std::string& strTable) {
    std::string strQuery = "SELECT ";
    const char* apszColumns[] = {"F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "FA", "FB"};
    for (int i = 0; i < 11; ++i)
        strQuery += (i ? "," : "") + std::string("[") + strTable + "].[" + apszColumns[i] + "]";
    return strQuery + "  FROM [" + strTable + "]";
}
