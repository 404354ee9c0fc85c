#include "convert/SafeFile.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

int Fd(intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

EEntryKind EntryKind(const std::string& strPath) {
    struct stat st {};
    // Nothing there when the name or its folder is missing; what is wrong with the folder
    // is then reported by whoever tries to create the file.
    if (lstat(strPath.c_str(), &st) != 0)
        return errno == ENOENT || errno == ENOTDIR ? EEntryKind::missing : EEntryKind::other;
    return S_ISREG(st.st_mode) ? EEntryKind::regular : EEntryKind::other;
}

bool FolderExists(const std::string& strPath) {
    struct stat st {};
    return stat(strPath.empty() ? "." : strPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The folder itself is locked, so that no lock file is ever left behind.
bool CFolderLock::TryLock() {
    if (m_handle >= 0) return true;
    int fd =
        open(m_strFolder.empty() ? "." : m_strFolder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return true;
    int nResult;
    while ((nResult = flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (nResult != 0 && errno == EWOULDBLOCK) {
        close(fd);
        return false;
    }
    m_handle = fd;  // held, or a file system without locks: unlocked either way is kept
    return true;
}

void CFolderLock::Unlock() {
    if (m_handle >= 0) close(Fd(m_handle));  // releases the lock
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
    // O_EXCL never opens an existing name, a link included; the mode is the one a new
    // file of the user gets (0666 less the umask).
    for (int n = 0; n < 100; ++n) {
        m_strTemp = strTarget + ".tmp" + std::to_string(getpid()) + "-" + std::to_string(n);
        m_handle =
            open(m_strTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (m_handle >= 0 || errno != EEXIST) break;
    }
    nError = errno;
    return m_handle >= 0;
}

bool CReplacement::Write(const char* pData, size_t nSize) {
    if (m_handle < 0) return false;
    while (nSize > 0) {
        ssize_t nWritten = write(Fd(m_handle), pData, nSize);
        if (nWritten < 0 && errno == EINTR) continue;
        if (nWritten <= 0) return false;
        pData += nWritten;
        nSize -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool CReplacement::Commit() {
    if (m_handle < 0) return false;
    bool bOk = fsync(Fd(m_handle)) == 0;
    // No retry on EINTR: on Linux the descriptor is released either way.
    bOk = close(Fd(m_handle)) == 0 && bOk;
    m_handle = -1;
    // rename replaces whatever name is at the target, a link itself included, and never
    // writes through it.
    if (!bOk || rename(m_strTemp.c_str(), m_strTarget.c_str()) != 0) {
        unlink(m_strTemp.c_str());
        return false;
    }
    return true;
}

void CReplacement::Abandon() {
    if (m_handle < 0) return;
    close(Fd(m_handle));
    m_handle = -1;
    unlink(m_strTemp.c_str());
}

bool CopyReplacing(const std::string& strFrom, const std::string& strTo) {
    if (EntryKind(strTo) == EEntryKind::other) return false;
    int fd = open(strFrom.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    CReplacement copy;
    int nError = 0;
    bool bOk = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && copy.Create(strTo, nError);
    char buffer[65536];
    while (bOk) {
        ssize_t nRead = read(fd, buffer, sizeof buffer);
        if (nRead < 0 && errno == EINTR) continue;
        if (nRead <= 0) {
            bOk = nRead == 0;
            break;
        }
        bOk = copy.Write(buffer, static_cast<size_t>(nRead));
    }
    close(fd);
    return bOk && copy.Commit();
}

bool MoveToFreeName(const std::string& strFrom, const std::string& strTo) {
    if (EntryKind(strFrom) != EEntryKind::regular) return false;
    if (renameat2(AT_FDCWD, strFrom.c_str(), AT_FDCWD, strTo.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // File systems without the no-replace rename: the caller holds the folder lock, so a
    // name found free stays free.
    if (errno != EINVAL && errno != ENOSYS) return false;
    return EntryKind(strTo) == EEntryKind::missing && rename(strFrom.c_str(), strTo.c_str()) == 0;
}
