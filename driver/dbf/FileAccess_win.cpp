#include <fcntl.h>
#include <io.h>

#include <algorithm>

#include "driver/base/Utf16.h"
#include "driver/dbf/FileAccess.h"
#include "res/Win32.h"

namespace kdbf {
namespace {

std::wstring Wide(const std::string& utf8) {
    const std::u16string units = Utf8ToUtf16(utf8);
    return std::wstring(units.begin(), units.end());
}

std::string Utf8(const wchar_t* wide) {
    std::u16string units;
    for (; *wide != 0; ++wide) units.push_back(static_cast<char16_t>(*wide));
    return Utf16ToUtf8(units);
}

std::string SystemMessage(DWORD code) {
    wchar_t* text = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string message = n > 0 ? Utf8(text) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                                message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

HANDLE HandleOf(int fd) {
    return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

int OpenForReading(const std::string& path, std::string* error) {
    // Others may go on writing or replacing the file while it is read.
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = SystemMessage(GetLastError());
        return -1;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(file);
        *error = "no descriptor left";
    }
    return fd;
}

bool RegularFileSize(int fd, std::uint64_t* size) {
    const HANDLE file = HandleOf(fd);
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return false;
    *size = static_cast<std::uint64_t>(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
    return true;
}

std::size_t ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
    const HANDLE file = HandleOf(fd);
    std::size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset + done);
        at.OffsetHigh = static_cast<DWORD>((offset + done) >> 32);
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, buffer + done, want, &got, &at) || got == 0) break;
        done += got;
    }
    return done;
}

void CloseFile(int fd) {
    _close(fd);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW entry{};
    const std::string pattern = (folder.empty() ? std::string(".") : folder) + "\\*";
    HANDLE find = FindFirstFileW(Wide(pattern).c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return names;
    do names.push_back(Utf8(entry.cFileName));
    while (FindNextFileW(find, &entry));
    FindClose(find);
    return names;
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsReadableFolderPath(const std::string& folder) {
    const std::wstring dir = Wide(folder.empty() ? std::string(".") : folder);
    const DWORD attributes = GetFileAttributesW(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
        return false;
    WIN32_FIND_DATAW entry{};
    HANDLE find = FindFirstFileW((dir + L"\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return false;
    FindClose(find);
    return true;
}

}  // namespace kdbf
