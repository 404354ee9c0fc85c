// Connecting, disconnecting, the connection's attributes and transactions.
#include "driver/odbc/OdbcApi.h"

#include "driver/base/System.h"
#include "driver/dbf/CodePage.h"
#include "driver/dbf/Folder.h"
#include "driver/odbc/ConnectionString.h"
#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

// A value of the data source's entry in odbc.ini, or empty. The installer's functions
// speak narrow text.
std::string DataSourceValue(const std::string& dsn, const char* key) {
    if (dsn.empty()) return {};
    char buffer[4096] = {};
    int n = SQLGetPrivateProfileString(Utf8ToNarrow(dsn).c_str(), key, "", buffer, sizeof buffer,
                                       "odbc.ini");
    return n > 0 ? NarrowToUtf8(buffer) : std::string();
}

// The value of the first of `keys` present: in the connection string, else in the DSN.
std::string Setting(const Attributes& attributes, const std::string& dsn,
                    std::initializer_list<const char*> keys) {
    for (const char* key : keys) {
        auto it = attributes.find(key);
        if (it != attributes.end()) return it->second;
    }
    for (const char* key : keys) {
        std::string value = DataSourceValue(dsn, key);
        if (!value.empty()) return value;
    }
    return {};
}

void Open(Connection& dbc, const Attributes& attributes) {
    if (dbc.connected) throw OdbcError("08002", "Connection name in use");
    auto dsn = attributes.find("DSN");
    dbc.dsn = dsn != attributes.end() ? dsn->second : std::string();
    std::string folder = Setting(attributes, dbc.dsn, {"DEFAULTDIR", "DBQ"});
    dbc.fil = Setting(attributes, dbc.dsn, {"FIL"});
    dbc.table_options.code_page = Setting(attributes, dbc.dsn, {"CODEPAGE"});
    CheckCodePage(dbc.table_options.code_page);
    const std::string stars = Setting(attributes, dbc.dsn, {"NULLSTARS"});
    dbc.table_options.stars_are_null = stars != "0";
    if (!IsReadableFolder(folder))
        throw OdbcError("08001", "Folder '" + folder + "' (DEFAULTDIR) is not a readable folder");
    if (!folder.empty() && folder.back() != '/') folder += '/';
    dbc.folder = folder;
    dbc.connected = true;
}

std::string OutputConnectionString(const Connection& dbc) {
    std::string out;
    if (!dbc.dsn.empty()) out += FormatAttribute("DSN", dbc.dsn) + ";";
    out += FormatAttribute("DEFAULTDIR", dbc.folder) + ";";
    if (!dbc.fil.empty()) out += FormatAttribute("FIL", dbc.fil) + ";";
    if (!dbc.table_options.code_page.empty())
        out += FormatAttribute("CODEPAGE", dbc.table_options.code_page) + ";";
    if (!dbc.table_options.stars_are_null) out += "NULLSTARS=0;";
    return out;
}

Attributes ParseOrFail(const std::string& text) {
    try {
        return ParseConnectionString(text);
    } catch (const std::invalid_argument& e) {
        throw OdbcError("HY000", std::string("Invalid connection string: ") + e.what());
    }
}

SQLRETURN Connect(Connection& dbc, std::string dsn) {
    Attributes attributes;
    attributes["DSN"] = std::move(dsn);
    Open(dbc, attributes);
    return SQL_SUCCESS;
}

SQLRETURN DriverConnect(Connection& dbc, const std::string& in, const TextOut& out,
                        SQLUSMALLINT completion) {
    // The driver has no user interface; completing means using what was given.
    if (completion == SQL_DRIVER_PROMPT)
        throw OdbcError("HYC00", "The driver never prompts; use SQL_DRIVER_NOPROMPT");
    if (completion != SQL_DRIVER_NOPROMPT && completion != SQL_DRIVER_COMPLETE &&
        completion != SQL_DRIVER_COMPLETE_REQUIRED)
        throw OdbcError("HY110", "Invalid driver completion");
    Open(dbc, ParseOrFail(in));
    if (CopyOut(OutputConnectionString(dbc), out))
        return RecordWarning(dbc, "01004",
                             "String data, right truncated: output connection string");
    return SQL_SUCCESS;
}

SQLRETURN GetConnectAttr(Connection& dbc, SQLINTEGER attribute, SQLPOINTER value,
                         const TextOut& text) {
    SQLUINTEGER number;
    switch (attribute) {
        case SQL_ATTR_ACCESS_MODE:
            number = SQL_MODE_READ_ONLY;
            break;
        case SQL_ATTR_AUTOCOMMIT:
            number = dbc.autocommit;
            break;
        case SQL_ATTR_LOGIN_TIMEOUT:
            number = dbc.login_timeout;
            break;
        case SQL_ATTR_CONNECTION_TIMEOUT:
            number = 0;
            break;
        case SQL_ATTR_TXN_ISOLATION:
            number = 0;  // no transactions, hence no isolation level
            break;
        case SQL_ATTR_CONNECTION_DEAD:
            number = dbc.connected ? SQL_CD_FALSE : SQL_CD_TRUE;
            break;
        case SQL_ATTR_CURRENT_CATALOG:
            if (CopyOut(dbc.folder, text))
                return RecordWarning(dbc, "01004", "String data, right truncated");
            return SQL_SUCCESS;
        default:
            return RecordError(dbc, "HY092",
                               "Attribute " + std::to_string(attribute) + " is not supported");
    }
    if (value != nullptr) *static_cast<SQLUINTEGER*>(value) = number;
    if (text.length32 != nullptr) *text.length32 = sizeof number;
    return SQL_SUCCESS;
}

// Only numbers can be set, so the wide and the narrow forms are the same.
SQLRETURN SetConnectAttr(Connection& dbc, SQLINTEGER attribute, SQLPOINTER value) {
    const auto number = static_cast<SQLUINTEGER>(reinterpret_cast<SQLULEN>(value));
    switch (attribute) {
        case SQL_ATTR_ACCESS_MODE:
            if (number == SQL_MODE_READ_ONLY) return SQL_SUCCESS;
            return RecordWarning(dbc, "01S02", "Option value changed: the driver is read-only");
        case SQL_ATTR_AUTOCOMMIT:
            dbc.autocommit = number;
            return SQL_SUCCESS;
        case SQL_ATTR_LOGIN_TIMEOUT:
            dbc.login_timeout = number;
            return SQL_SUCCESS;
        case SQL_ATTR_CONNECTION_TIMEOUT:
            if (number == 0) return SQL_SUCCESS;
            return RecordWarning(dbc, "01S02", "Option value changed: no connection timeout");
        case SQL_ATTR_TXN_ISOLATION:
            // Tools set an isolation level out of habit; with nothing ever written, any
            // level holds, so refusing would only stop them.
            return SQL_SUCCESS;
        default:
            return RecordError(dbc, "HY092",
                               "Attribute " + std::to_string(attribute) + " is not supported");
    }
}

template <class Body>
SQLRETURN OnConnection(SQLHDBC handle, Body&& body) {
    return Guard<Connection>(handle, HandleKind::kDbc, std::forward<Body>(body));
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLConnect(SQLHDBC handle, SQLCHAR* dsn, SQLSMALLINT dsn_length, SQLCHAR*,
                             SQLSMALLINT, SQLCHAR*, SQLSMALLINT) {
    return OnConnection(handle,
                        [&](Connection& dbc) { return Connect(dbc, InText(dsn, dsn_length)); });
}

SQLRETURN SQL_API SQLConnectW(SQLHDBC handle, SQLWCHAR* dsn, SQLSMALLINT dsn_length, SQLWCHAR*,
                              SQLSMALLINT, SQLWCHAR*, SQLSMALLINT) {
    return OnConnection(handle,
                        [&](Connection& dbc) { return Connect(dbc, InText(dsn, dsn_length)); });
}

SQLRETURN SQL_API SQLDriverConnect(SQLHDBC handle, SQLHWND, SQLCHAR* in, SQLSMALLINT in_length,
                                   SQLCHAR* out, SQLSMALLINT out_max, SQLSMALLINT* out_length,
                                   SQLUSMALLINT completion) {
    return OnConnection(handle, [&](Connection& dbc) {
        return DriverConnect(dbc, InText(in, in_length), Utf8Out(out, out_max, out_length),
                             completion);
    });
}

SQLRETURN SQL_API SQLDriverConnectW(SQLHDBC handle, SQLHWND, SQLWCHAR* in, SQLSMALLINT in_length,
                                    SQLWCHAR* out, SQLSMALLINT out_max, SQLSMALLINT* out_length,
                                    SQLUSMALLINT completion) {
    return OnConnection(handle, [&](Connection& dbc) {
        return DriverConnect(dbc, InText(in, in_length),
                             Utf16Out(out, out_max, TextOut::Form::kUtf16Chars, out_length),
                             completion);
    });
}

SQLRETURN SQL_API SQLDisconnect(SQLHDBC handle) {
    return Guard<Connection>(handle, HandleKind::kDbc, [](Connection& dbc) -> SQLRETURN {
        if (!dbc.connected) throw OdbcError("08003", "Connection not open");
        // Statements left open by the application go with the connection.
        while (!dbc.statements.empty()) {
            delete dbc.statements.back();
            dbc.statements.pop_back();
        }
        dbc.sql.reset();
        dbc.connected = false;
        return SQL_SUCCESS;
    });
}

SQLRETURN SQL_API SQLSetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER) {
    return OnConnection(handle,
                        [&](Connection& dbc) { return SetConnectAttr(dbc, attribute, value); });
}

SQLRETURN SQL_API SQLSetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER) {
    return OnConnection(handle,
                        [&](Connection& dbc) { return SetConnectAttr(dbc, attribute, value); });
}

SQLRETURN SQL_API SQLGetConnectAttr(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                    SQLINTEGER buffer_length, SQLINTEGER* length) {
    return OnConnection(handle, [&](Connection& dbc) {
        return GetConnectAttr(dbc, attribute, value, Utf8Out(value, buffer_length, length));
    });
}

SQLRETURN SQL_API SQLGetConnectAttrW(SQLHDBC handle, SQLINTEGER attribute, SQLPOINTER value,
                                     SQLINTEGER buffer_length, SQLINTEGER* length) {
    return OnConnection(handle, [&](Connection& dbc) {
        return GetConnectAttr(dbc, attribute, value,
                              Utf16Out(value, buffer_length, TextOut::Form::kUtf16Bytes, length));
    });
}

// Nothing is ever written, so there is nothing to commit or roll back.
SQLRETURN SQL_API SQLEndTran(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT) {
    if (type == SQL_HANDLE_ENV)
        return Guard<Environment>(handle, HandleKind::kEnv,
                                  [](Environment&) -> SQLRETURN { return SQL_SUCCESS; });
    return Guard<Connection>(handle, HandleKind::kDbc,
                             [](Connection&) -> SQLRETURN { return SQL_SUCCESS; });
}

}  // extern "C"
