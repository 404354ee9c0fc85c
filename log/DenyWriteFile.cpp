#include "log/DenyWriteFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int OpenDenyWrite(const std::string& strPath) {
    // Truncate only after the lock is ours, so that a file another writer holds keeps
    // its content.
    // Never through a link, and never waiting on a pipe: only a plain file is written.
    int fd = open(strPath.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        errno = EINVAL;
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 || ftruncate(fd, 0) != 0) {
        int nError = errno;
        close(fd);
        errno = nError;
        return -1;
    }
    return fd;
}
