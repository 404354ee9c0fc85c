// The errors a conversion run reports. Each carries the text the user reads; the run's
// handlers catch them by these types and never let one escape the run.
#pragma once

#include <string>

class CException {
public:
    virtual ~CException() = default;
    // The description shown and logged for this error; may be empty.
    virtual std::string GetErrorMessage() const = 0;
};

// A failure reported by the data source. m_strError is the description: every
// diagnostic message with its leading "[...]" origin tags (and the one blank after them)
// removed, each followed by a line feed.
class CDBException : public CException {
public:
    explicit CDBException(std::string strError) : m_strError(std::move(strError)) {}
    std::string GetErrorMessage() const override { return m_strError; }

    std::string m_strError;
};

// A failure of the file system, by cause; the description names the file.
class CFileException : public CException {
public:
    enum ECause {
        none,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(ECause cause, std::string strFileName)
        : m_cause(cause), m_strFileName(std::move(strFileName)) {}

    // The cause's description with the file name in place of %1.
    std::string GetErrorMessage() const override;

    // The cause for a code from LastOsError(): an errno value on POSIX, a GetLastError
    // code on Windows.
    static ECause OsErrorToCause(int nError);

    ECause m_cause;
    std::string m_strFileName;
};
