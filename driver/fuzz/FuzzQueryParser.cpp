// Feeds arbitrary text to the query parser; it must parse or say the text
// is not of its shape, never crash.
#include <cstdint>
#include <string>

#include "driver/odbc/ConnectionString.h"
#include "driver/sql/QueryParser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    kdbf::ParsePlainSelect(text);
    // Connection strings are parsed from the same kind of untrusted text.
    try {
        kdbf::ParseConnectionString(text);
    } catch (const std::invalid_argument&) {
    }
    return 0;
}
