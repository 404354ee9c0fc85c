// The ODBC scalar functions SQLite lacks, under the names SqlText gives them.
#include "driver/sql/SqlFunctions.h"

#include <charconv>
#include <cstring>
#include <ctime>
#include <string>

#include "driver/base/System.h"

namespace kdbf {

namespace {

std::string TextArg(sqlite3_value* value) {
    const auto* text = sqlite3_value_text(value);
    return text != nullptr ? std::string(reinterpret_cast<const char*>(text),
                                         static_cast<std::size_t>(sqlite3_value_bytes(value)))
                           : std::string();
}

bool AnyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return true;
    return false;
}

void Result(sqlite3_context* context, const std::string& text) {
    sqlite3_result_text(context, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// The number of UTF-8 characters' bytes at the start (n >= 0) of `text`.
std::size_t CharBytes(const std::string& text, long long n) {
    std::size_t i = 0;
    for (; i < text.size() && n > 0; --n) {
        ++i;
        while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) ++i;
    }
    return i;
}

std::size_t CharCount(const std::string& text) {
    std::size_t count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
}

void Concat(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    Result(context, TextArg(argv[0]) + TextArg(argv[1]));
}

void Left(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    const std::string text = TextArg(argv[0]);
    Result(context, text.substr(0, CharBytes(text, sqlite3_value_int64(argv[1]))));
}

void Right(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    const std::string text = TextArg(argv[0]);
    const long long n = sqlite3_value_int64(argv[1]);
    const long long skip = static_cast<long long>(CharCount(text)) - (n < 0 ? 0 : n);
    Result(context, text.substr(CharBytes(text, skip < 0 ? 0 : skip)));
}

// Part `which` (0 year ... 5 second) of a date or timestamp text "YYYY-MM-DD HH:MM:SS".
void DatePart(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv)) return sqlite3_result_null(context);
    static const int kStart[] = {0, 5, 8, 11, 14, 17};
    static const int kLength[] = {4, 2, 2, 2, 2, 2};
    const int which = *static_cast<int*>(sqlite3_user_data(context));
    const std::string text = TextArg(argv[0]);
    // A time alone ("HH:MM:SS") has its hour where a timestamp has its year.
    const bool time_only = text.size() >= 3 && text[2] == ':';
    if (time_only && which < 3) return sqlite3_result_null(context);
    const auto start = static_cast<std::size_t>(kStart[which] - (time_only ? 11 : 0));
    if (text.size() < start + static_cast<std::size_t>(kLength[which]))
        return sqlite3_result_null(context);
    int value = 0;
    const char* first = text.data() + start;
    auto [end, ec] = std::from_chars(first, first + kLength[which], value);
    if (ec != std::errc() || end != first + kLength[which]) return sqlite3_result_null(context);
    sqlite3_result_int(context, value);
}

void Mod(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv) || sqlite3_value_int64(argv[1]) == 0)
        return sqlite3_result_null(context);
    const sqlite3_int64 a = sqlite3_value_int64(argv[0]), b = sqlite3_value_int64(argv[1]);
    sqlite3_result_int64(context, b == -1 ? 0 : a % b);
}

int kTimeOnly = 1, kDateAndTime = 2;

// CURDATE(), CURTIME() and NOW() in local time, in the form of stored dates and times.
void Now(sqlite3_context* context, int, sqlite3_value**) {
    const void* which = sqlite3_user_data(context);
    const std::time_t now = std::time(nullptr);
    const std::tm local = LocalTime(now);
    const char* format = which == &kTimeOnly      ? "%H:%M:%S"
                         : which == &kDateAndTime ? "%Y-%m-%d %H:%M:%S"
                                                  : "%Y-%m-%d";
    char text[32];
    Result(context, std::string(text, std::strftime(text, sizeof text, format, &local)));
}

}  // namespace

void RegisterOdbcFunctions(sqlite3* db) {
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function(db, "concat", 2, flags, nullptr, Concat, nullptr, nullptr);
    sqlite3_create_function(db, "odbc_left", 2, flags, nullptr, Left, nullptr, nullptr);
    sqlite3_create_function(db, "odbc_right", 2, flags, nullptr, Right, nullptr, nullptr);
    sqlite3_create_function(db, "mod", 2, flags, nullptr, Mod, nullptr, nullptr);
    sqlite3_create_function(db, "curdate", 0, SQLITE_UTF8, nullptr, Now, nullptr, nullptr);
    sqlite3_create_function(db, "curtime", 0, SQLITE_UTF8, &kTimeOnly, Now, nullptr, nullptr);
    sqlite3_create_function(db, "now", 0, SQLITE_UTF8, &kDateAndTime, Now, nullptr, nullptr);
    static int kParts[] = {0, 1, 2, 3, 4, 5};
    static const char* const kPartNames[] = {"year", "month",  "dayofmonth",
                                             "hour", "minute", "second"};
    for (int i = 0; i < 6; ++i)
        sqlite3_create_function(db, kPartNames[i], 1, flags, &kParts[i], DatePart, nullptr,
                                nullptr);
}

}  // namespace kdbf
