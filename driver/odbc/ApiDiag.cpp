// Reading diagnostic records. These calls leave the records in place.
#include "driver/odbc/OdbcApi.h"

#include "driver/odbc/Handles.h"

using namespace kdbf;

namespace {

Handle* HandleOf(SQLSMALLINT type, SQLHANDLE handle) {
    switch (type) {
        case SQL_HANDLE_ENV:
            return CastHandle<Environment>(handle, HandleKind::kEnv);
        case SQL_HANDLE_DBC:
            return CastHandle<Connection>(handle, HandleKind::kDbc);
        case SQL_HANDLE_STMT:
            return CastHandle<Statement>(handle, HandleKind::kStmt);
        default:
            return nullptr;
    }
}

SQLRETURN StringField(const std::string& text, const TextOut& out) {
    return CopyOut(text, out) ? SQL_SUCCESS_WITH_INFO : SQL_SUCCESS;
}

// Class origin of a SQLSTATE: ISO for the standard classes, ODBC for the rest.
std::string ClassOrigin(const std::string& sqlstate, bool subclass) {
    const bool odbc = sqlstate.compare(0, 2, "IM") == 0 || sqlstate.compare(0, 2, "HY") == 0 ||
                      (subclass && sqlstate.size() == 5 && sqlstate[2] == 'S');
    return odbc ? "ODBC 3.0" : "ISO 9075";
}

// `state_out` receives the five characters of the SQLSTATE and a NUL.
SQLRETURN GetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                     const TextOut& state_out, SQLINTEGER* native, const TextOut& message) {
    Handle* h = HandleOf(type, handle);
    if (h == nullptr) return SQL_INVALID_HANDLE;
    if (number < 1) return SQL_ERROR;
    if (message.room < 0) return SQL_ERROR;
    const auto& records = h->diag.Records();
    if (static_cast<std::size_t>(number) > records.size()) return SQL_NO_DATA;
    const DiagRecord& record = records[static_cast<std::size_t>(number) - 1];
    CopyOut(record.sqlstate, state_out);
    if (native != nullptr) *native = record.native_error;
    return StringField(record.message, message);
}

SQLRETURN GetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number, SQLSMALLINT field,
                       SQLPOINTER out, const TextOut& text) {
    Handle* h = HandleOf(type, handle);
    if (h == nullptr) return SQL_INVALID_HANDLE;
    const auto& records = h->diag.Records();
    switch (field) {  // header fields
        case SQL_DIAG_NUMBER:
            if (out != nullptr)
                *static_cast<SQLINTEGER*>(out) = static_cast<SQLINTEGER>(records.size());
            return SQL_SUCCESS;
        case SQL_DIAG_RETURNCODE:
            if (out != nullptr) *static_cast<SQLRETURN*>(out) = h->diag.ReturnCode();
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_COUNT:
        case SQL_DIAG_CURSOR_ROW_COUNT:
            if (type != SQL_HANDLE_STMT) return SQL_ERROR;
            if (out != nullptr) *static_cast<SQLLEN*>(out) = -1;
            return SQL_SUCCESS;
        case SQL_DIAG_DYNAMIC_FUNCTION:
            return StringField("", text);
        case SQL_DIAG_DYNAMIC_FUNCTION_CODE:
            if (out != nullptr) *static_cast<SQLINTEGER*>(out) = SQL_DIAG_UNKNOWN_STATEMENT;
            return SQL_SUCCESS;
        default:
            break;
    }
    if (number < 1) return SQL_ERROR;
    if (static_cast<std::size_t>(number) > records.size()) return SQL_NO_DATA;
    const DiagRecord& record = records[static_cast<std::size_t>(number) - 1];
    switch (field) {  // record fields
        case SQL_DIAG_SQLSTATE:
            return StringField(record.sqlstate, text);
        case SQL_DIAG_MESSAGE_TEXT:
            return StringField(record.message, text);
        case SQL_DIAG_CLASS_ORIGIN:
            return StringField(ClassOrigin(record.sqlstate, false), text);
        case SQL_DIAG_SUBCLASS_ORIGIN:
            return StringField(ClassOrigin(record.sqlstate, true), text);
        case SQL_DIAG_CONNECTION_NAME:
        case SQL_DIAG_SERVER_NAME:
            return StringField("", text);
        case SQL_DIAG_NATIVE:
            if (out != nullptr) *static_cast<SQLINTEGER*>(out) = record.native_error;
            return SQL_SUCCESS;
        case SQL_DIAG_COLUMN_NUMBER:
            if (out != nullptr) *static_cast<SQLINTEGER*>(out) = SQL_COLUMN_NUMBER_UNKNOWN;
            return SQL_SUCCESS;
        case SQL_DIAG_ROW_NUMBER:
            if (out != nullptr) *static_cast<SQLLEN*>(out) = SQL_ROW_NUMBER_UNKNOWN;
            return SQL_SUCCESS;
        default:
            return SQL_ERROR;
    }
}

}  // namespace

extern "C" {

SQLRETURN SQL_API SQLGetDiagRec(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                SQLCHAR* sqlstate, SQLINTEGER* native, SQLCHAR* message,
                                SQLSMALLINT message_max, SQLSMALLINT* message_length) {
    return GetDiagRec(type, handle, number,
                      Utf8Out(sqlstate, 6, static_cast<SQLSMALLINT*>(nullptr)), native,
                      Utf8Out(message, message_max, message_length));
}

SQLRETURN SQL_API SQLGetDiagRecW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                 SQLWCHAR* sqlstate, SQLINTEGER* native, SQLWCHAR* message,
                                 SQLSMALLINT message_max, SQLSMALLINT* message_length) {
    constexpr auto kChars = TextOut::Form::kUtf16Chars;
    return GetDiagRec(type, handle, number,
                      Utf16Out(sqlstate, 6, kChars, static_cast<SQLSMALLINT*>(nullptr)), native,
                      Utf16Out(message, message_max, kChars, message_length));
}

SQLRETURN SQL_API SQLGetDiagField(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                  SQLSMALLINT field, SQLPOINTER out, SQLSMALLINT max,
                                  SQLSMALLINT* length) {
    return GetDiagField(type, handle, number, field, out, Utf8Out(out, max, length));
}

SQLRETURN SQL_API SQLGetDiagFieldW(SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT number,
                                   SQLSMALLINT field, SQLPOINTER out, SQLSMALLINT max,
                                   SQLSMALLINT* length) {
    return GetDiagField(type, handle, number, field, out,
                        Utf16Out(out, max, TextOut::Form::kUtf16Bytes, length));
}

}  // extern "C"
