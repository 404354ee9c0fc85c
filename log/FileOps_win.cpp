#include "log/FileOps.h"

#include "res/Win32.h"

const char kFolderSeparator = '\\';

// Windows has no file-size limit per process: a write fails only when the disk is full.
void FailWritesPastFileSizeLimit() {}

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

bool CanOpenForReading(const std::string& strPath) {
    // Without backup semantics CreateFileA refuses folders, which are never tables.
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // A device or pipe opened under a table's name is no table either.
    bool bOk = GetFileType(h) == FILE_TYPE_DISK;
    CloseHandle(h);
    return bOk;
}
