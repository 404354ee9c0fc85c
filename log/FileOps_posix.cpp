#include "log/FileOps.h"

#include <csignal>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

const char kFolderSeparator = '/';

void FailWritesPastFileSizeLimit() { std::signal(SIGXFSZ, SIG_IGN); }

bool FileModifiedTime(const std::string& strPath, std::time_t& nTime) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0) return false;
    nTime = st.st_mtime;
    return true;
}

bool CanOpenForReading(const std::string& strPath) {
    // Non-blocking: opening a pipe named like a table would otherwise wait for a writer
    // for good.
    int fd = open(strPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool bOk = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    close(fd);
    return bOk;
}
