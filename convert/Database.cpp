#include "convert/Database.h"

#include "convert/OdbcLibrary.h"

namespace {

template <typename FnPointer>
FnPointer Bind(const char* pszName) {
    return reinterpret_cast<FnPointer>(OdbcSymbol(EOdbcLibrary::driverManager, pszName));
}

// The driver manager's functions this layer calls, bound when the first connection is
// opened. The names are the ANSI entry points on every platform.
struct SDriverManager {
    decltype(&::SQLGetDiagRec) GetDiagRec = Bind<decltype(&::SQLGetDiagRec)>("SQLGetDiagRec");
    decltype(&::SQLAllocHandle) AllocHandle = Bind<decltype(&::SQLAllocHandle)>("SQLAllocHandle");
    decltype(&::SQLSetEnvAttr) SetEnvAttr = Bind<decltype(&::SQLSetEnvAttr)>("SQLSetEnvAttr");
    decltype(&::SQLSetConnectAttr) SetConnectAttr =
        Bind<decltype(&::SQLSetConnectAttr)>("SQLSetConnectAttr");
    decltype(&::SQLDriverConnect) DriverConnect =
        Bind<decltype(&::SQLDriverConnect)>("SQLDriverConnect");
    decltype(&::SQLDisconnect) Disconnect = Bind<decltype(&::SQLDisconnect)>("SQLDisconnect");
    decltype(&::SQLFreeHandle) FreeHandle = Bind<decltype(&::SQLFreeHandle)>("SQLFreeHandle");
    decltype(&::SQLSetStmtAttr) SetStmtAttr = Bind<decltype(&::SQLSetStmtAttr)>("SQLSetStmtAttr");
    decltype(&::SQLExecDirect) ExecDirect = Bind<decltype(&::SQLExecDirect)>("SQLExecDirect");
    decltype(&::SQLBindCol) BindCol = Bind<decltype(&::SQLBindCol)>("SQLBindCol");
    decltype(&::SQLFetchScroll) FetchScroll = Bind<decltype(&::SQLFetchScroll)>("SQLFetchScroll");

    bool Complete() const {
        return GetDiagRec && AllocHandle && SetEnvAttr && SetConnectAttr && DriverConnect &&
               Disconnect && FreeHandle && SetStmtAttr && ExecDirect && BindCol && FetchScroll;
    }
};

const SDriverManager* LoadDriverManager() {
    static const SDriverManager dm;
    return dm.Complete() ? &dm : nullptr;
}

// Only reached with handles that exist, which a connection without the driver manager
// never has.
const SDriverManager& Dm() {
    return *LoadDriverManager();
}

// Whether an ODBC call failed; a warning (SQL_SUCCESS_WITH_INFO) is success here.
bool Failed(SQLRETURN nRet) {
    return !SQL_SUCCEEDED(nRet);
}

}  // namespace

const char* const CRecordset::kNoDataMessage = "No data found: the record set holds no records.\n";

std::string StripOriginTags(const std::string& strMessage) {
    // "[vendor][component]Text" or "[vendor][component] Text" -> "Text". A "[" without
    // its "]" is part of the text, not a tag.
    size_t nPos = 0;
    bool bTagged = false;
    while (nPos < strMessage.size() && strMessage[nPos] == '[') {
        size_t nClose = strMessage.find(']', nPos);
        if (nClose == std::string::npos) break;
        nPos = nClose + 1;
        bTagged = true;
    }
    if (bTagged && nPos < strMessage.size() && strMessage[nPos] == ' ') ++nPos;
    return strMessage.substr(nPos);
}

void ThrowDBException(SQLSMALLINT nHandleType, SQLHANDLE hHandle) {
    std::string strError;
    for (SQLSMALLINT nRecord = 1;; ++nRecord) {
        SQLCHAR szState[6] = {};
        SQLINTEGER nNative = 0;
        SQLSMALLINT nLength = 0;
        std::vector<SQLCHAR> message(SQL_MAX_MESSAGE_LENGTH + 1);
        SQLRETURN nRet =
            Dm().GetDiagRec(nHandleType, hHandle, nRecord, szState, &nNative, message.data(),
                            static_cast<SQLSMALLINT>(message.size()), &nLength);
        if (nRet == SQL_SUCCESS_WITH_INFO && nLength >= static_cast<SQLSMALLINT>(message.size())) {
            // The message was cut; ask again with room for all of it.
            message.resize(static_cast<size_t>(nLength) + 1);
            nRet = Dm().GetDiagRec(nHandleType, hHandle, nRecord, szState, &nNative, message.data(),
                                   static_cast<SQLSMALLINT>(message.size()), &nLength);
        }
        if (Failed(nRet)) break;
        std::string strMessage(reinterpret_cast<const char*>(message.data()));
        strError += StripOriginTags(strMessage) + "\n";
    }
    if (strError.empty()) strError = "The data source reported an error without a description.\n";
    throw CDBException(strError);
}

CDatabase::~CDatabase() {
    Close();
}

void CDatabase::OpenEx(const std::string& strConnect) {
    Close();
    if (!LoadDriverManager())
        throw CDBException("The ODBC driver manager is not installed or cannot be loaded.\n");
    if (Failed(Dm().AllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_hEnv))) {
        m_hEnv = SQL_NULL_HENV;
        throw CDBException("The ODBC driver manager could not allocate an environment.\n");
    }
    try {
        SQLRETURN nRet = Dm().SetEnvAttr(m_hEnv, SQL_ATTR_ODBC_VERSION,
                                         reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        if (Failed(nRet)) ThrowDBException(SQL_HANDLE_ENV, m_hEnv);
        if (Failed(Dm().AllocHandle(SQL_HANDLE_DBC, m_hEnv, &m_hDbc))) {
            m_hDbc = SQL_NULL_HDBC;
            ThrowDBException(SQL_HANDLE_ENV, m_hEnv);
        }
        // Advisory: the tool never writes, so a driver that ignores this changes nothing.
        Dm().SetConnectAttr(m_hDbc, SQL_ATTR_ACCESS_MODE,
                            reinterpret_cast<SQLPOINTER>(SQL_MODE_READ_ONLY), 0);
        std::string strIn = strConnect;
        SQLCHAR szOut[1024];
        SQLSMALLINT nOutLength = 0;
        nRet = Dm().DriverConnect(m_hDbc, nullptr, reinterpret_cast<SQLCHAR*>(strIn.data()),
                                  static_cast<SQLSMALLINT>(strIn.size()), szOut, sizeof szOut,
                                  &nOutLength, SQL_DRIVER_NOPROMPT);
        if (Failed(nRet)) ThrowDBException(SQL_HANDLE_DBC, m_hDbc);
        m_bConnected = true;
    } catch (...) {
        Close();
        throw;
    }
}

void CDatabase::Close() {
    if (m_hDbc != SQL_NULL_HDBC) {
        if (m_bConnected) Dm().Disconnect(m_hDbc);
        Dm().FreeHandle(SQL_HANDLE_DBC, m_hDbc);
        m_hDbc = SQL_NULL_HDBC;
    }
    m_bConnected = false;
    if (m_hEnv != SQL_NULL_HENV) {
        Dm().FreeHandle(SQL_HANDLE_ENV, m_hEnv);
        m_hEnv = SQL_NULL_HENV;
    }
}

void CFieldExchange::Double(const std::string& strColumn, double& value) {
    m_fields.push_back({strColumn, &value});
}

CRecordset::~CRecordset() {
    Close();
}

std::string CRecordset::GetSelectSQL() {
    CFieldExchange fx;
    DoFieldExchange(fx);
    std::string strColumns;
    for (const auto& field : fx.Fields()) {
        if (!strColumns.empty()) strColumns += ',';
        strColumns += field.strColumn;
    }
    // The blank after the list and the one before FROM are both kept: the driver sees
    // exactly this text, two blanks included.
    return "SELECT " + strColumns + " " + " FROM " + GetDefaultSQL();
}

void CRecordset::Open() {
    Close();
    if (!m_database.IsOpen()) throw CDBException("The database connection is not open.\n");
    std::string strSQL = GetSelectSQL();
    m_fields = CFieldExchange();
    DoFieldExchange(m_fields);
    m_indicators.assign(m_fields.Fields().size(), 0);

    if (Failed(Dm().AllocHandle(SQL_HANDLE_STMT, m_database.Handle(), &m_hStmt))) {
        m_hStmt = SQL_NULL_HSTMT;
        ThrowDBException(SQL_HANDLE_DBC, m_database.Handle());
    }
    try {
        // A snapshot: a static, read-only cursor. A driver may substitute another cursor
        // type with a warning, which is fine as long as it can move to the first row.
        Dm().SetStmtAttr(m_hStmt, SQL_ATTR_CURSOR_TYPE,
                         reinterpret_cast<SQLPOINTER>(SQL_CURSOR_STATIC), 0);
        Dm().SetStmtAttr(m_hStmt, SQL_ATTR_CONCURRENCY,
                         reinterpret_cast<SQLPOINTER>(SQL_CONCUR_READ_ONLY), 0);
        SQLRETURN nRet = Dm().ExecDirect(m_hStmt, reinterpret_cast<SQLCHAR*>(strSQL.data()),
                                         static_cast<SQLINTEGER>(strSQL.size()));
        if (Failed(nRet)) ThrowDBException(SQL_HANDLE_STMT, m_hStmt);
        const auto& fields = m_fields.Fields();
        for (size_t i = 0; i < fields.size(); ++i) {
            nRet = Dm().BindCol(m_hStmt, static_cast<SQLUSMALLINT>(i + 1), SQL_C_DOUBLE,
                                fields[i].pValue, sizeof(double), &m_indicators[i]);
            if (Failed(nRet)) ThrowDBException(SQL_HANDLE_STMT, m_hStmt);
        }
        Fetch(SQL_FETCH_NEXT);
        m_bEmpty = m_bEOF;
    } catch (...) {
        Close();
        throw;
    }
}

void CRecordset::Close() {
    if (m_hStmt != SQL_NULL_HSTMT) {
        Dm().FreeHandle(SQL_HANDLE_STMT, m_hStmt);
        m_hStmt = SQL_NULL_HSTMT;
    }
    m_bEOF = true;
    m_bEmpty = true;
}

void CRecordset::MoveFirst() {
    if (!IsOpen() || m_bEmpty) throw CDBException(kNoDataMessage);
    Fetch(SQL_FETCH_FIRST);
}

void CRecordset::MoveNext() {
    if (!IsOpen() || m_bEOF) throw CDBException(kNoDataMessage);
    Fetch(SQL_FETCH_NEXT);
}

bool CRecordset::IsFieldNull(int nField) const {
    if (nField < 0 || static_cast<size_t>(nField) >= m_indicators.size()) return false;
    return m_indicators[static_cast<size_t>(nField)] == SQL_NULL_DATA;
}

void CRecordset::Fetch(SQLSMALLINT nOrientation) {
    SQLRETURN nRet = Dm().FetchScroll(m_hStmt, nOrientation, 0);
    if (nRet == SQL_NO_DATA) {
        m_bEOF = true;
        return;
    }
    if (Failed(nRet)) ThrowDBException(SQL_HANDLE_STMT, m_hStmt);
    m_bEOF = false;
    // The driver leaves an empty field's buffer untouched; clear it so the variable
    // never shows the previous record's value.
    const auto& fields = m_fields.Fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        if (m_indicators[i] == SQL_NULL_DATA) *fields[i].pValue = 0.0;
    }
}
