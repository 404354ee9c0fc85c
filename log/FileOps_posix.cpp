#include "log/FileOps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

bool PathExists(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.c_str(), &st) == 0;
}

bool FileModifiedTime(const std::string& strPath, std::time_t& nTime) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) != 0) return false;
    nTime = st.st_mtime;
    return true;
}

bool CopyFileOver(const std::string& strFrom, const std::string& strTo) {
    std::error_code ec;
    return std::filesystem::copy_file(strFrom, strTo,
                                      std::filesystem::copy_options::overwrite_existing, ec);
}

void MakeWritable(const std::string& strPath) {
    struct stat st {};
    if (stat(strPath.c_str(), &st) == 0) chmod(strPath.c_str(), st.st_mode | S_IWUSR);
}

void RemoveFile(const std::string& strPath) {
    unlink(strPath.c_str());
}

bool CanOpenForReading(const std::string& strPath) {
    int fd = open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    bool bOk = fstat(fd, &st) == 0 && !S_ISDIR(st.st_mode);
    close(fd);
    return bOk;
}
