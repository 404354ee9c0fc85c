#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>

#include "driver/dbf/FileAccess.h"

namespace kdbf {

int OpenForReading(const std::string& path, std::string* error) {
    // Regular files ignore O_NONBLOCK; a FIFO opened with it is refused by its type later.
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) *error = std::strerror(errno);
    return fd;
}

bool RegularFileSize(int fd, std::uint64_t* size) {
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return false;
    *size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

std::size_t ReadAt(int fd, std::uint64_t offset, char* buffer, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        ssize_t got = pread(fd, buffer + done, size - done, static_cast<off_t>(offset + done));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

void CloseFile(int fd) {
    close(fd);
}

std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.empty() ? "." : folder.c_str()),
                                            closedir);
    if (!dir) return names;
    while (dirent* entry = readdir(dir.get())) names.emplace_back(entry->d_name);
    return names;
}

bool PathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

bool IsReadableFolderPath(const std::string& folder) {
    struct stat st {};
    const char* dir = folder.empty() ? "." : folder.c_str();
    return stat(dir, &st) == 0 && S_ISDIR(st.st_mode) && access(dir, R_OK | X_OK) == 0;
}

}  // namespace kdbf
