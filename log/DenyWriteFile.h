// Opening a file for writing so that other processes may read it but not write it.
#pragma once

#include <string>

// Opens the plain file `strPath` write-only, creating it (mode 0666 less the umask) or
// truncating it; a link, pipe, device or folder at the name is refused.
// While the descriptor is open it holds an exclusive advisory lock, the closest honest
// equivalent on POSIX of a share mode that denies writing to others; a file already
// locked by another writer is not truncated and the call fails with EWOULDBLOCK.
// Returns the descriptor, or -1 with errno set.
int OpenDenyWrite(const std::string& strPath);
