#include "log/FileOps.h"

#include "res/Win32.h"

bool PathExists(const std::string& strPath) {
    return GetFileAttributesA(strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FileModifiedTime(const std::string& strPath, std::time_t& nTime) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(strPath.c_str(), GetFileExInfoStandard, &data)) return false;
    // FILETIME counts 100 ns steps since 1601-01-01; time_t seconds since 1970-01-01.
    ULARGE_INTEGER t;
    t.LowPart = data.ftLastWriteTime.dwLowDateTime;
    t.HighPart = data.ftLastWriteTime.dwHighDateTime;
    constexpr unsigned long long kEpochDifference = 11644473600ULL;
    if (t.QuadPart / 10000000ULL < kEpochDifference) return false;
    nTime = static_cast<std::time_t>(t.QuadPart / 10000000ULL - kEpochDifference);
    return true;
}

bool CopyFileOver(const std::string& strFrom, const std::string& strTo) {
    return CopyFileA(strFrom.c_str(), strTo.c_str(), FALSE) != 0;
}

void MakeWritable(const std::string& strPath) {
    SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void RemoveFile(const std::string& strPath) {
    DeleteFileA(strPath.c_str());
}

bool CanOpenForReading(const std::string& strPath) {
    // Without backup semantics CreateFileA refuses folders, which are never tables.
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}
