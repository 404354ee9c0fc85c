// The operating system's files as the reader needs them: opening a table or memo file
// read-only, reading at an offset, and listing a folder. Paths are UTF-8 on every
// platform; a file is a plain descriptor, -1 when there is none.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kdbf {

// Opens `path` for reading without blocking on a FIFO or a device and without making it
// the controlling terminal; -1 with the system's reason in `error` when it cannot.
int OpenForReading(const std::string& path, std::string* error);

// The size of the open file `fd`; false when it is not a regular file.
bool RegularFileSize(int fd, std::uint64_t* size);

// Reads up to `size` bytes at `offset`; the count read, which is short only at the end
// of the file or on an error.
std::size_t ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size);

void CloseFile(int fd);

// The names in `folder` (the current directory when empty), in no particular order;
// empty when it cannot be listed.
std::vector<std::string> FolderEntries(const std::string& folder);

// True when something exists at `path` (a link counts, wherever it points).
bool PathExists(const std::string& path);

// True when `folder` (the current directory when empty) is a folder that can be listed
// and read.
bool IsReadableFolderPath(const std::string& folder);

}  // namespace kdbf
