#include "convert/OutputFile.h"

namespace {

// Up to and including the last folder separator of either kind.
std::string FolderPart(const std::string& strPath) {
    size_t nSep = strPath.find_last_of("/\\");
    return nSep == std::string::npos ? std::string() : strPath.substr(0, nSep + 1);
}

}  // namespace

void COutputFile::Open(const std::string& strPath) {
    m_strPath = strPath;
    int nError = 0;
    if (m_file.Create(strPath, nError)) return;
    CFileException::ECause cause = CFileException::OsErrorToCause(nError);
    // POSIX says "no such file" for a missing folder too; what is missing there is the
    // folder, so the path is the fault.
    if (cause == CFileException::fileNotFound && !FolderExists(FolderPart(strPath)))
        cause = CFileException::badPath;
    throw CFileException(cause, strPath);
}

void COutputFile::Write(const std::string& strText) {
    // Text mode: line feeds go to disk as CR LF. Translate into one buffer so that one
    // call stays one write.
    std::string strOut;
    strOut.reserve(strText.size() + strText.size() / 16);
    for (char c : strText) {
        if (c == '\n') strOut += '\r';
        strOut += c;
    }
    if (!m_file.Write(strOut.data(), strOut.size()))
        throw CFileException(CFileException::diskFull, m_strPath);
}

void COutputFile::Close() {
    if (m_file.IsOpen() && !m_file.Commit())
        throw CFileException(CFileException::diskFull, m_strPath);
}
