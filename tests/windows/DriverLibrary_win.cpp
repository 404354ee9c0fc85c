#include "tests/windows/DriverLibrary.h"

#include "res/Win32.h"

namespace {

std::wstring Wide(UINT code_page, const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()),
                                    wide.data(), static_cast<int>(wide.size())));
    return wide;
}

std::string Narrow(UINT code_page, const std::wstring& wide) {
    std::string text(wide.size() * 4 + 1, '\0');
    text.resize(WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()),
                                    text.data(), static_cast<int>(text.size()), nullptr, nullptr));
    return text;
}

}  // namespace

void* LoadDriverLibrary(const std::string& path) {
    return LoadLibraryW(Wide(CP_UTF8, path).c_str());
}

void* DriverEntryPoint(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string Utf8ToNarrowText(const std::string& utf8) {
    return Narrow(CP_ACP, Wide(CP_UTF8, utf8));
}

std::string NarrowTextToUtf8(const std::string& narrow) {
    return Narrow(CP_UTF8, Wide(CP_ACP, narrow));
}
