#include "convert/Exceptions.h"

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
