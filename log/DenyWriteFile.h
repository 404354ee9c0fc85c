// Opening a file for writing so that other processes may read it but not write it, and
// writing it through the descriptor. One implementation per platform.
#pragma once

#include <cstddef>
#include <string>

// Opens `strPath` write-only, creating it or truncating it, for as long as the
// descriptor stays open others may read the file but not write it. On Windows that is
// the share mode; on POSIX an exclusive advisory lock, the closest honest equivalent (a
// file already locked by another writer is not truncated and the call fails with
// EWOULDBLOCK). Returns the descriptor, or -1 with the cause in LastOsError().
int OpenDenyWrite(const std::string& strPath);

// Writes all `nSize` bytes, retrying interrupted and partial writes. False when the
// system refuses or writes nothing.
bool WriteFully(int fd, const char* pData, size_t nSize);

// Closes a descriptor from OpenDenyWrite; false when the close reports an error (data
// may not have reached the disk).
bool CloseFile(int fd);
