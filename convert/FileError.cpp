#include "convert/FileError.h"

namespace {

const char* CauseTemplate(CFileException::ECause cause) {
    switch (cause) {
        case CFileException::none:
            return "No error occurred.";
        case CFileException::genericException:
            return "An unknown error occurred while accessing %1.";
        case CFileException::fileNotFound:
            return "%1 was not found.";
        case CFileException::badPath:
            return "%1 contains an invalid path.";
        case CFileException::tooManyOpenFiles:
            return "%1 could not be opened because there are too many open files.";
        case CFileException::accessDenied:
            return "Access to %1 was denied.";
        case CFileException::invalidFile:
            return "An invalid file handle was associated with %1.";
        case CFileException::removeCurrentDir:
            return "%1 could not be removed because it is the current directory.";
        case CFileException::directoryFull:
            return "%1 could not be created because the directory is full.";
        case CFileException::badSeek:
            return "Seek failed on %1";
        case CFileException::hardIO:
            return "A hardware I/O error was reported while accessing %1.";
        case CFileException::sharingViolation:
            return "A sharing violation occurred while accessing %1.";
        case CFileException::lockViolation:
            return "A locking violation occurred while accessing %1.";
        case CFileException::diskFull:
            return "Disk full while accessing %1.";
        case CFileException::endOfFile:
            return "An attempt was made to access %1 past its end.";
    }
    return "An unknown error occurred while accessing %1.";
}

// Up to and including the last folder separator of either kind.
std::string FolderPart(const std::string& strPath) {
    size_t nSep = strPath.find_last_of("/\\");
    return nSep == std::string::npos ? std::string() : strPath.substr(0, nSep + 1);
}

}  // namespace

std::string CFileException::GetErrorMessage() const {
    // Replace every %1 in one pass, so a file name that itself holds "%1" stays as it is.
    std::string strTemplate = CauseTemplate(m_cause), strText;
    for (size_t i = 0; i < strTemplate.size(); ++i) {
        if (strTemplate.compare(i, 2, "%1") == 0) {
            strText += m_strFileName;
            ++i;
        } else {
            strText += strTemplate[i];
        }
    }
    return strText;
}

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
