#include "convert/SafeFile.h"

#include "res/Win32.h"

namespace {

HANDLE Handle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}
intptr_t Stored(HANDLE handle) {
    return handle == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(handle);
}

// Read-only is the one attribute that stops a plain file from being replaced; it is
// cleared on the file itself, never on what a reparse point names.
void MakeReplaceable(const std::string& strPath) {
    if (EntryKind(strPath) == EEntryKind::regular)
        SetFileAttributesA(strPath.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace

EEntryKind EntryKind(const std::string& strPath) {
    DWORD nAttributes = GetFileAttributesA(strPath.c_str());
    if (nAttributes == INVALID_FILE_ATTRIBUTES) {
        DWORD nError = GetLastError();
        return nError == ERROR_FILE_NOT_FOUND || nError == ERROR_PATH_NOT_FOUND
                   ? EEntryKind::missing
                   : EEntryKind::other;
    }
    const DWORD nNotPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    return (nAttributes & nNotPlain) ? EEntryKind::other : EEntryKind::regular;
}

bool FolderExists(const std::string& strPath) {
    DWORD nAttributes = GetFileAttributesA(strPath.empty() ? "." : strPath.c_str());
    return nAttributes != INVALID_FILE_ATTRIBUTES && (nAttributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A folder handle cannot be locked, so a lock file is: opened with no sharing, so that a
// second run cannot open it until the first closes it, and deleted by the system when
// closed, even when the process dies, so the user's folder keeps nothing of it.
bool CFolderLock::TryLock() {
    if (m_handle >= 0) return true;
    std::string strLock = (m_strFolder.empty() ? "." : m_strFolder) + "\\kestrix.lock";
    // A lock file that is being deleted answers "access denied" for a moment; a folder we
    // may not write answers it for good, and the run then goes on unlocked. Only another
    // run's open lock file (a sharing violation) is worth waiting for.
    for (int nDenied = 0;; Sleep(50)) {
        m_handle = Stored(CreateFileA(
            strLock.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE | FILE_FLAG_OPEN_REPARSE_POINT,
            nullptr));
        if (m_handle >= 0) return true;
        DWORD nError = GetLastError();
        if (nError == ERROR_SHARING_VIOLATION) return false;
        if (nError != ERROR_ACCESS_DENIED || ++nDenied > 40) return true;
    }
}

void CFolderLock::Unlock() {
    if (m_handle >= 0) CloseHandle(Handle(m_handle));  // releases and deletes the lock file
    m_handle = -1;
}

CReplacement::~CReplacement() {
    Abandon();
}

bool CReplacement::IsOpen() const {
    return m_handle >= 0;
}

bool CReplacement::Create(const std::string& strTarget, int& nError) {
    Abandon();
    m_strTarget = strTarget;
    // CREATE_NEW never opens an existing name; sharing for reading only keeps other
    // writers out while the file is written.
    for (int n = 0; n < 100; ++n) {
        m_strTemp =
            strTarget + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(n);
        m_handle = Stored(
            CreateFileA(m_strTemp.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (m_handle >= 0 || GetLastError() != ERROR_FILE_EXISTS) break;
    }
    nError = static_cast<int>(GetLastError());
    return m_handle >= 0;
}

bool CReplacement::Write(const char* pData, size_t nSize) {
    if (m_handle < 0) return false;
    while (nSize > 0) {
        DWORD nChunk = nSize > 0x40000000 ? 0x40000000 : static_cast<DWORD>(nSize), nWritten = 0;
        if (!WriteFile(Handle(m_handle), pData, nChunk, &nWritten, nullptr) || nWritten == 0)
            return false;
        pData += nWritten;
        nSize -= nWritten;
    }
    return true;
}

bool CReplacement::Commit() {
    if (m_handle < 0) return false;
    bool bOk = FlushFileBuffers(Handle(m_handle)) != 0;
    bOk = CloseHandle(Handle(m_handle)) != 0 && bOk;
    m_handle = -1;
    if (bOk) MakeReplaceable(m_strTarget);
    if (!bOk || !MoveFileExA(m_strTemp.c_str(), m_strTarget.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(m_strTemp.c_str());
        return false;
    }
    return true;
}

void CReplacement::Abandon() {
    if (m_handle < 0) return;
    CloseHandle(Handle(m_handle));
    m_handle = -1;
    DeleteFileA(m_strTemp.c_str());
}

bool CopyReplacing(const std::string& strFrom, const std::string& strTo) {
    if (EntryKind(strTo) == EEntryKind::other) return false;
    // The source is opened itself, never what a reparse point at its name leads to; the
    // companion application may have it open.
    HANDLE hFrom = CreateFileA(strFrom.c_str(), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (hFrom == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const DWORD nNotPlain =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
    CReplacement copy;
    int nError = 0;
    bool bOk = GetFileType(hFrom) == FILE_TYPE_DISK &&
               GetFileInformationByHandle(hFrom, &info) &&
               (info.dwFileAttributes & nNotPlain) == 0 && copy.Create(strTo, nError);
    char buffer[65536];
    while (bOk) {
        DWORD nRead = 0;
        if (!ReadFile(hFrom, buffer, sizeof buffer, &nRead, nullptr)) {
            bOk = false;  // a read error is never the end of the file
        } else if (nRead == 0) {
            break;
        } else {
            bOk = copy.Write(buffer, nRead);
        }
    }
    CloseHandle(hFrom);
    return bOk && copy.Commit();
}

bool MoveToFreeName(const std::string& strFrom, const std::string& strTo) {
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the name is taken.
    return EntryKind(strFrom) == EEntryKind::regular &&
           MoveFileExA(strFrom.c_str(), strTo.c_str(), MOVEFILE_WRITE_THROUGH) != 0;
}
