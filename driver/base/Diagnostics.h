// Diagnostic records kept per handle, and the error type that carries a SQLSTATE from
// deep inside the driver up to the entry point that records it.
#pragma once

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace kdbf {

// Every message starts with these origin tags, so a client can tell who is talking.
inline constexpr const char* kOriginTags = "[kestrix][dBase driver]";

struct DiagRecord {
    std::string sqlstate;  // five characters
    SQLINTEGER native_error = 0;
    std::string message;  // with the origin tags
};

class Diagnostics {
public:
    void Clear() {
        records_.clear();
        return_code_ = SQL_SUCCESS;
    }
    // Adds a record; `text` is the message without the origin tags.
    void Add(const std::string& sqlstate, const std::string& text);
    const std::vector<DiagRecord>& Records() const { return records_; }
    SQLRETURN ReturnCode() const { return return_code_; }
    void SetReturnCode(SQLRETURN rc) { return_code_ = rc; }

private:
    std::vector<DiagRecord> records_;
    SQLRETURN return_code_ = SQL_SUCCESS;
};

// Thrown inside the driver; the entry point turns it into one diagnostic record and
// SQL_ERROR.
class OdbcError : public std::runtime_error {
public:
    OdbcError(std::string sqlstate, const std::string& text)
        : std::runtime_error(text), sqlstate_(std::move(sqlstate)) {}
    const std::string& SqlState() const { return sqlstate_; }

private:
    std::string sqlstate_;
};

}  // namespace kdbf
