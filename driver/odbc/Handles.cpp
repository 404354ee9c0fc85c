#include "driver/odbc/Handles.h"

#include <algorithm>
#include <cstring>

#include "driver/base/System.h"
#include "driver/base/Utf16.h"

namespace kdbf {

SQLRETURN RecordError(Handle& handle, const std::string& sqlstate, const std::string& text) {
    handle.diag.Add(sqlstate, text);
    return SQL_ERROR;
}

SQLRETURN RecordWarning(Handle& handle, const std::string& sqlstate, const std::string& text) {
    handle.diag.Add(sqlstate, text);
    return SQL_SUCCESS_WITH_INFO;
}

namespace {

template <class Len>
void StoreLength(Len* length, std::size_t n) {
    if (length != nullptr) *length = static_cast<Len>(n);
}

bool CopyOutUtf8(const std::string& utf8, const TextOut& out) {
    const std::string text = Utf8ToNarrow(utf8);
    StoreLength(out.length16, text.size());
    StoreLength(out.length32, text.size());
    if (out.buffer == nullptr) return false;
    if (out.room <= 0) return !text.empty();
    const std::size_t n = NarrowPrefix(text, static_cast<std::size_t>(out.room) - 1);
    auto* buffer = static_cast<char*>(out.buffer);
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n < text.size();
}

bool CopyOutUtf16(const std::string& text, const TextOut& out) {
    const std::u16string wide = Utf8ToUtf16(text);
    const std::size_t unit = out.form == TextOut::Form::kUtf16Bytes ? sizeof(SQLWCHAR) : 1;
    StoreLength(out.length16, wide.size() * unit);
    StoreLength(out.length32, wide.size() * unit);
    if (out.buffer == nullptr) return false;
    const auto room = static_cast<std::size_t>(std::max<SQLLEN>(out.room, 0)) / unit;
    if (room == 0) return !wide.empty();
    std::size_t n = std::min(wide.size(), room - 1);
    if (n < wide.size() && n > 0 && wide[n - 1] >= 0xD800 && wide[n - 1] <= 0xDBFF) --n;
    auto* buffer = static_cast<SQLWCHAR*>(out.buffer);
    std::copy_n(wide.data(), n, buffer);
    buffer[n] = 0;
    return n < wide.size();
}

}  // namespace

bool CopyOut(const std::string& text, const TextOut& out) {
    return out.form == TextOut::Form::kUtf8 ? CopyOutUtf8(text, out) : CopyOutUtf16(text, out);
}

std::string InText(const SQLCHAR* text, SQLINTEGER length) {
    if (text == nullptr) return {};
    const char* p = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS) return NarrowToUtf8(p);
    if (length < 0) throw OdbcError("HY090", "Invalid string or buffer length");
    return NarrowToUtf8(std::string(p, static_cast<std::size_t>(length)));
}

std::string InText(const SQLWCHAR* text, SQLINTEGER length) {
    if (text == nullptr) return {};
    static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "UTF-16 SQLWCHAR expected");
    std::size_t n = 0;
    if (length == SQL_NTS)
        while (text[n] != 0) ++n;
    else if (length < 0)
        throw OdbcError("HY090", "Invalid string or buffer length");
    else
        n = static_cast<std::size_t>(length);
    return Utf16ToUtf8(std::u16string(text, text + n));
}

SqlEngine& EngineOf(Connection& dbc) {
    if (!dbc.sql) dbc.sql = std::make_unique<SqlEngine>(dbc.folder, dbc.table_options);
    return *dbc.sql;
}

void CloseCursor(Statement& stmt) {
    stmt.pending_text.reset();
    stmt.result.reset();
    stmt.pos = Statement::Pos::kBefore;
    stmt.row = 0;
    stmt.getdata_column = 0;
}

}  // namespace kdbf
