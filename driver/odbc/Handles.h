// The driver's handles as C++ objects, and Guard(), the one shape every entry point
// takes: check the handle, clear its old diagnostics, run the body, and turn any
// exception into a diagnostic record. No exception ever leaves the driver.
//
// Naming in the driver: types in PascalCase, functions in PascalCase, members with a
// trailing underscore or as plain struct fields.
#pragma once

#include <cstdint>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "driver/base/Diagnostics.h"
#include "driver/sql/ResultSet.h"
#include "driver/sql/SqlEngine.h"

namespace kdbf {

enum class HandleKind : std::uint32_t { kEnv = 0x6b456e76, kDbc = 0x6b446263, kStmt = 0x6b53746d };

struct Handle {
    explicit Handle(HandleKind k) : kind(k) {}
    virtual ~Handle() { kind = HandleKind{}; }
    HandleKind kind;
    Diagnostics diag;
};

struct Environment : Handle {
    Environment() : Handle(HandleKind::kEnv) {}
    SQLINTEGER odbc_version = SQL_OV_ODBC3;
};

struct Statement;

struct Connection : Handle {
    explicit Connection(Environment* e) : Handle(HandleKind::kDbc), env(e) {}
    Environment* env;
    bool connected = false;
    std::string dsn;
    std::string folder;  // with a trailing '/' unless empty
    std::string fil;
    TableOptions table_options;  // CODEPAGE and NULLSTARS
    SQLUINTEGER autocommit = SQL_AUTOCOMMIT_ON;
    SQLUINTEGER login_timeout = 0;
    std::vector<Statement*> statements;
    // The SQL engine over the folder's tables, made by the first statement that is not
    // a plain column list; dropped at disconnect, after the statements.
    std::unique_ptr<SqlEngine> sql;
};

// A column bound with SQLBindCol.
struct Binding {
    SQLSMALLINT c_type = 0;
    SQLPOINTER target = nullptr;
    SQLLEN buffer_length = 0;
    SQLLEN* indicator = nullptr;
};

struct Statement : Handle {
    explicit Statement(Connection* c) : Handle(HandleKind::kStmt), dbc(c) {}
    Connection* dbc;

    // Attributes.
    SQLULEN cursor_type = SQL_CURSOR_FORWARD_ONLY;
    SQLULEN max_rows = 0;
    SQLULEN* rows_fetched = nullptr;
    SQLUSMALLINT* row_status = nullptr;
    SQLLEN* bind_offset = nullptr;

    std::string prepared;  // text of SQLPrepare, empty when nothing is prepared
    bool has_prepared = false;
    // The prepared query's table opened only to describe its columns, for clients that
    // ask before they execute; dropped when the statement runs or is replaced.
    std::unique_ptr<ResultSet> described;

    // The open result, its position, and how far SQLGetData has read the current column.
    std::unique_ptr<ResultSet> result;
    enum class Pos { kBefore, kOn, kAfter } pos = Pos::kBefore;
    std::size_t row = 0;
    int getdata_column = 0;
    std::size_t getdata_offset = 0;
    bool getdata_done = false;

    std::vector<std::optional<Binding>> bindings;  // index = column number - 1
    SqlParams params;                              // index = parameter number - 1
    int param_count = 0;                           // markers of the prepared statement

    // An execution waiting for parameters sent at execution time (SQLParamData and
    // SQLPutData): its text, the parameters still to come, and what has arrived.
    std::optional<std::string> pending_text;
    std::vector<std::size_t> pending;              // parameter indexes
    std::size_t pending_next = 0;                  // pending[pending_next - 1] is being sent
    std::vector<std::optional<std::string>> sent;  // by parameter index; nullopt: NULL
    std::vector<SQLLEN> sent_lengths;
};

template <class T>
T* CastHandle(SQLHANDLE handle, HandleKind kind) {
    auto* base = static_cast<Handle*>(handle);
    if (base == nullptr || base->kind != kind) return nullptr;
    return static_cast<T*>(base);
}

// Records a failure or warning on `handle`; returns the code to hand back.
SQLRETURN RecordError(Handle& handle, const std::string& sqlstate, const std::string& text);
SQLRETURN RecordWarning(Handle& handle, const std::string& sqlstate, const std::string& text);

template <class T, class Body>
SQLRETURN Guard(SQLHANDLE raw, HandleKind kind, Body&& body) {
    T* handle = CastHandle<T>(raw, kind);
    if (handle == nullptr) return SQL_INVALID_HANDLE;
    handle->diag.Clear();
    SQLRETURN rc;
    try {
        rc = body(*handle);
    } catch (const OdbcError& e) {
        rc = RecordError(*handle, e.SqlState(), e.what());
    } catch (const std::bad_alloc&) {
        rc = RecordError(*handle, "HY001", "Memory allocation error");
    } catch (const std::exception& e) {
        rc = RecordError(*handle, "HY000", e.what());
    } catch (...) {
        rc = RecordError(*handle, "HY000", "Unexpected internal error");
    }
    handle->diag.SetReturnCode(rc);
    return rc;
}

// Where an entry point writes a text result. The narrow functions take UTF-8 with
// room and length in bytes; the wide ones UTF-16, counted in characters or in bytes
// depending on the function (ODBC says which, argument by argument).
struct TextOut {
    enum class Form { kUtf8, kUtf16Chars, kUtf16Bytes };
    SQLPOINTER buffer;
    SQLLEN room;  // NUL included
    Form form;
    SQLSMALLINT* length16 = nullptr;
    SQLINTEGER* length32 = nullptr;
};

inline TextOut Utf8Out(SQLPOINTER buffer, SQLLEN room, SQLSMALLINT* length) {
    return {buffer, room, TextOut::Form::kUtf8, length, nullptr};
}
inline TextOut Utf8Out(SQLPOINTER buffer, SQLLEN room, SQLINTEGER* length) {
    return {buffer, room, TextOut::Form::kUtf8, nullptr, length};
}
inline TextOut Utf16Out(SQLPOINTER buffer, SQLLEN room, TextOut::Form form, SQLSMALLINT* length) {
    return {buffer, room, form, length, nullptr};
}
inline TextOut Utf16Out(SQLPOINTER buffer, SQLLEN room, TextOut::Form form, SQLINTEGER* length) {
    return {buffer, room, form, nullptr, length};
}

// Copies `text` (UTF-8) into `out`, NUL-terminated, never cutting a character in two,
// and stores its full length; returns true when it was cut short.
bool CopyOut(const std::string& text, const TextOut& out);

// The text of an input string argument given with SQL_NTS or an explicit length (in
// bytes for the narrow functions, in characters for the wide ones), as UTF-8.
std::string InText(const SQLCHAR* text, SQLINTEGER length);
std::string InText(const SQLWCHAR* text, SQLINTEGER length);

// Closes the statement's cursor, keeping its prepared text and bindings.
void CloseCursor(Statement& stmt);

// The connection's SQL engine, made on first use.
SqlEngine& EngineOf(Connection& dbc);

}  // namespace kdbf
