#include "log/RunLog.h"

#include <unistd.h>

#include <cerrno>
#include <climits>

#include "log/DenyWriteFile.h"

std::string ExecutablePath() {
    char szPath[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", szPath, sizeof szPath);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof szPath)) return {};
    return std::string(szPath, static_cast<size_t>(n));
}

std::string LogFilePath() {
    std::string strPath = ExecutablePath();
    size_t nSlash = strPath.rfind('/');
    if (nSlash == std::string::npos) return {};
    return strPath.substr(0, nSlash + 1) + "kestrix.log";
}

void CRunLog::WriteLogFile() const {
    if (m_strLog.empty()) return;
    std::string strPath = LogFilePath();
    if (!strPath.empty()) WriteLogFile(strPath);
}

void CRunLog::WriteLogFile(const std::string& strPath) const {
    if (m_strLog.empty()) return;
    int fd = OpenDenyWrite(strPath);
    if (fd < 0) return;
    // The log is written as a C string: a NUL inside it (it never has one) would end it.
    const char* p = m_strLog.c_str();
    size_t nLeft = m_strLog.find('\0') == std::string::npos ? m_strLog.size()
                                                             : m_strLog.find('\0');
    while (nLeft > 0) {
        ssize_t n = write(fd, p, nLeft);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        p += n;
        nLeft -= static_cast<size_t>(n);
    }
    close(fd);
}
