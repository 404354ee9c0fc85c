#include "driver/base/System.h"
#include "driver/base/Utf16.h"
#include "res/Win32.h"

namespace kdbf {

std::tm LocalTime(std::time_t when) {
    std::tm local{};
    localtime_s(&local, &when);
    return local;
}

std::string NarrowToUtf8(const std::string& narrow) {
    if (narrow.empty()) return narrow;
    const int size = static_cast<int>(narrow.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(n), u'\0');
    MultiByteToWideChar(CP_ACP, 0, narrow.data(), size, reinterpret_cast<wchar_t*>(wide.data()), n);
    return Utf16ToUtf8(wide);
}

std::string Utf8ToNarrow(const std::string& utf8) {
    // Only text read with the "raw" code page is not UTF-8: its bytes leave unchanged.
    if (!IsUtf8(utf8)) return utf8;
    const std::u16string wide = Utf8ToUtf16(utf8);
    if (wide.empty()) return std::string();
    const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
    const int size = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, units, size, nullptr, 0, "?", nullptr);
    std::string narrow(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, units, size, narrow.data(), n, "?", nullptr);
    return narrow;
}

std::size_t NarrowPrefix(const std::string& text, std::size_t bytes) {
    std::size_t n = 0;
    while (n < text.size()) {
        const std::size_t next =
            n + (IsDBCSLeadByte(static_cast<BYTE>(text[n])) && n + 1 < text.size() ? 2 : 1);
        if (next > bytes) break;
        n = next;
    }
    return n;
}

}  // namespace kdbf
