// Feeds arbitrary text to the translation of client SQL and then to SQLite's prepare
// over an empty folder: it must translate or throw SyntaxError, and prepare or throw
// OdbcError, never crash. Statements are prepared only, never run.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "driver/sql/SqlEngine.h"
#include "driver/sql/SqlText.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static char folder_template[] = "/tmp/fuzz_sql_XXXXXX";
    static const std::string folder = std::string(mkdtemp(folder_template)) + "/";
    static kdbf::SqlEngine engine(folder, {});
    const std::string text(reinterpret_cast<const char*>(data), size);
    try {
        kdbf::TranslateSql(text);
    } catch (const kdbf::SyntaxError&) {
        return 0;
    }
    try {
        engine.Prepare(text);
    } catch (const kdbf::OdbcError&) {
    }
    return 0;
}
