// The run log: what happened during start-up or the latest conversion attempt.
#pragma once

#include <string>

#include "log/ExecutablePath.h"

class CRunLog {
public:
    // Appends ready-made text; adds no separator or line end of its own.
    void AppendLog(const std::string& strText) { m_strLog += strText; }

    // Writes the whole log to "kestrix.log" beside the executable in one write. An empty
    // log writes nothing (an existing file stays as it was); every failure is dropped.
    void WriteLogFile() const;

    // The same to an explicit path; for the tests and the Windows build's own lookup.
    void WriteLogFile(const std::string& strPath) const;

    void Clear() { m_strLog.clear(); }
    const std::string& Text() const { return m_strLog; }

    std::string m_strLog;
};

// The full path of "kestrix.log" in the running executable's folder, or empty when the
// executable cannot be found.
std::string LogFilePath();
