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

// Whether anything (file, folder, device) exists at `strPath`.
bool PathExists(const std::string& strPath);

// The last-modification time of `strPath`; false when it cannot be had.
bool FileModifiedTime(const std::string& strPath, std::time_t& nTime);

// Copies `strFrom` onto `strTo`, replacing a file already there. False on any failure.
bool CopyFileOver(const std::string& strFrom, const std::string& strTo);

// The counterpart of resetting a file's attributes to normal: its owner may write it
// again. Failures are ignored, as are paths that do not exist.
void MakeWritable(const std::string& strPath);

// Deletes the file `strPath`; failures are ignored.
void RemoveFile(const std::string& strPath);

// Whether `strPath` names something that can be opened for reading now. A folder does
// not count: it is never a price table.
bool CanOpenForReading(const std::string& strPath);
