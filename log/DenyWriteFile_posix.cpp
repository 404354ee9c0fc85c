#include "log/DenyWriteFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

int OpenDenyWrite(const std::string& strPath) {
    // Truncate only after the lock is ours, so that a file another writer holds keeps
    // its content.
    int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    // Like O_TRUNC, truncation applies to regular files only: a device such as
    // /dev/full has nothing to truncate and would refuse with EINVAL.
    struct stat st;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &st) != 0 ||
        (S_ISREG(st.st_mode) && ftruncate(fd, 0) != 0)) {
        int nError = errno;
        close(fd);
        errno = nError;
        return -1;
    }
    return fd;
}

bool WriteFully(int fd, const char* pData, size_t nSize) {
    while (nSize > 0) {
        ssize_t nWritten = ::write(fd, pData, nSize);
        if (nWritten < 0 && errno == EINTR) continue;
        if (nWritten <= 0) return false;
        pData += nWritten;
        nSize -= static_cast<size_t>(nWritten);
    }
    return true;
}

// No retry on EINTR: on Linux the descriptor is released either way.
bool CloseFile(int fd) {
    return ::close(fd) == 0;
}
