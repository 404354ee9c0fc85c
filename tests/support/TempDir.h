// A fresh temporary folder per test, removed with everything in it at the end.
#pragma once

#include <string>
#include <vector>

class CTempDir {
public:
    CTempDir();  // creates kestrix.t<random> in the system's temporary folder
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    // The folder, without a trailing slash.
    const std::string& Path() const { return m_strPath; }
    // Path() + the platform's folder separator + strName.
    std::string File(const std::string& strName) const;

private:
    std::string m_strPath;
};

// Small file helpers for tests.
std::string ReadFile(const std::string& strPath);  // whole file, binary; empty if missing
void WriteFile(const std::string& strPath, const std::string& strContent);
bool FileExists(const std::string& strPath);
