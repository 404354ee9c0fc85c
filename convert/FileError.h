// The output file stream of a price list, whose every failure is a CFileException.
// CFileException's descriptions live in FileError.cpp, its mapping of system error
// codes in OsError_<platform>.cpp.
#pragma once

#include <string>

#include "convert/Exceptions.h"

// A text stream open for writing only: each "\n" written is stored as CR LF, whatever
// the platform. Other processes may read the file but not write it while it is open.
class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile();  // closes, dropping any error
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Creates `strPath` or truncates it. Throws CFileException with the cause of the
    // failure (OsErrorToCause) and the path.
    void Open(const std::string& strPath);
    // Writes all of `strText`. Any failure throws CFileException(diskFull, path): the
    // description the user reads is the same whatever went wrong.
    void Write(const std::string& strText);
    // Closes the file; a failed close throws CFileException(diskFull, path), since data
    // may not have reached the disk. Harmless when not open.
    void Close();
    bool IsOpen() const { return m_nFd >= 0; }
    const std::string& GetFilePath() const { return m_strPath; }

private:
    void WriteAll(const char* pData, size_t nSize);

    int m_nFd = -1;
    std::string m_strPath;
};
