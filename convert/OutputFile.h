// The output file stream of a price list, whose every failure is a CFileException.
// CFileException's descriptions live in FileError.cpp, its mapping of system error
// codes in OsError_<platform>.cpp.
#pragma once

#include <string>

#include "convert/Exceptions.h"
#include "convert/SafeFile.h"

// A text stream open for writing only: each "\n" written is stored as CR LF, whatever
// the platform. The text goes to a temporary file beside the path and replaces the file
// at the path only when Close has written all of it, so the path never holds a partly
// written file; a stream destroyed without Close leaves the path as it was.
class COutputFile {
public:
    COutputFile() = default;
    ~COutputFile() = default;  // an unclosed file is dropped, the path left as it was
    COutputFile(const COutputFile&) = delete;
    COutputFile& operator=(const COutputFile&) = delete;

    // Starts the new file for `strPath`. Throws CFileException with the cause of the
    // failure (OsErrorToCause) and the path; a path in a folder that does not exist has
    // the cause badPath.
    void Open(const std::string& strPath);
    // Writes all of `strText`. Any failure throws CFileException(diskFull, path): the
    // description the user reads is the same whatever went wrong.
    void Write(const std::string& strText);
    // Flushes and closes the file and puts it in place of the path. A failure throws
    // CFileException(diskFull, path), since data may not have reached the disk, and
    // leaves the path as it was. Harmless when not open.
    void Close();
    bool IsOpen() const { return m_file.IsOpen(); }
    const std::string& GetFilePath() const { return m_strPath; }

private:
    CReplacement m_file;
    std::string m_strPath;
};
