#include "driver/base/System.h"
#include "driver/base/Utf16.h"

namespace kdbf {

std::tm LocalTime(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    return local;
}

std::string NarrowToUtf8(const std::string& narrow) {
    return narrow;
}

std::string Utf8ToNarrow(const std::string& utf8) {
    return utf8;
}

std::size_t NarrowPrefix(const std::string& text, std::size_t bytes) {
    return Utf8Prefix(text, bytes);
}

}  // namespace kdbf
