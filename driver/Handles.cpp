#include "driver/Handles.h"

#include <cstring>

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
bool CopyOutImpl(const std::string& text, char* buffer, SQLLEN buffer_length, Len* length) {
    if (length != nullptr) *length = static_cast<Len>(text.size());
    if (buffer == nullptr) return false;
    if (buffer_length <= 0) return !text.empty();
    const std::size_t room = static_cast<std::size_t>(buffer_length) - 1;
    const std::size_t n = text.size() < room ? text.size() : room;
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
    return n < text.size();
}

}  // namespace

bool CopyOut(const std::string& text, SQLCHAR* buffer, SQLLEN buffer_length, SQLSMALLINT* length) {
    return CopyOutImpl(text, reinterpret_cast<char*>(buffer), buffer_length, length);
}

bool CopyOut(const std::string& text, SQLPOINTER buffer, SQLLEN buffer_length, SQLINTEGER* length) {
    return CopyOutImpl(text, static_cast<char*>(buffer), buffer_length, length);
}

std::string InText(const SQLCHAR* text, SQLINTEGER length) {
    if (text == nullptr) return {};
    const char* p = reinterpret_cast<const char*>(text);
    if (length == SQL_NTS) return std::string(p);
    if (length < 0) throw OdbcError("HY090", "Invalid string or buffer length");
    return std::string(p, static_cast<std::size_t>(length));
}

void CloseCursor(Statement& stmt) {
    stmt.result.reset();
    stmt.pos = Statement::Pos::kBefore;
    stmt.row = 0;
    stmt.getdata_column = 0;
}

}  // namespace kdbf
