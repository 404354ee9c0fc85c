// The few file-system operations the program needs by path, one implementation per
// platform. Paths are byte strings in the system's encoding (the ANSI code page on
// Windows).
#pragma once

#include <ctime>
#include <string>

// The separator the system puts between a folder and a name in the paths it hands out.
extern const char kFolderSeparator;

// The last-modification time of `strPath`; false when it cannot be had.
bool FileModifiedTime(const std::string& strPath, std::time_t& nTime);

// Whether `strPath` names a plain file that can be opened for reading now, found without
// waiting: a folder, pipe or device is never a price table.
bool CanOpenForReading(const std::string& strPath);

// Makes a write past the process's file-size limit fail like a full disk, so the run
// logs and reports it; by default such a write kills the process mid-file, with no log
// and no message.
void FailWritesPastFileSizeLimit();
