// The few file-system operations the program needs by path, one implementation per
// platform. Paths are byte strings in the system's encoding (the ANSI code page on
// Windows).
#pragma once

#include <ctime>
#include <string>

#if defined(_WIN32)
inline constexpr char kFolderSeparator = '\\';
#else
inline constexpr char kFolderSeparator = '/';
#endif

// The last-modification time of `strPath`; false when it cannot be had.
bool FileModifiedTime(const std::string& strPath, std::time_t& nTime);

// Whether `strPath` names a plain file that can be opened for reading now, found without
// waiting: a folder, pipe or device is never a price table.
bool CanOpenForReading(const std::string& strPath);
