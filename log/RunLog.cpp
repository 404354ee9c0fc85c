#include "log/RunLog.h"

#include <algorithm>

#include "log/DenyWriteFile.h"
#include "log/FileOps.h"

std::string LogFilePath() {
    std::string strPath = ExecutablePath();
    size_t nSlash = strPath.rfind(kFolderSeparator);
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
    size_t nSize = std::min(m_strLog.size(), m_strLog.find('\0'));
    WriteFully(fd, m_strLog.data(), nSize);
    CloseFile(fd);
}
