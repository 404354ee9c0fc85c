#include "log/DenyWriteFile.h"

#include <fcntl.h>
#include <io.h>

#include <climits>

#include "res/Win32.h"

int OpenDenyWrite(const std::string& strPath) {
    HANDLE h = CreateFileA(strPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return -1;
    // A C runtime descriptor over the handle, so the writing code is the same on every
    // platform. Binary: line ends are the caller's business.
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    }
    return fd;
}

bool WriteFully(int fd, const char* pData, size_t nSize) {
    while (nSize > 0) {
        unsigned nChunk = nSize > INT_MAX ? INT_MAX : static_cast<unsigned>(nSize);
        int nWritten = _write(fd, pData, nChunk);
        if (nWritten <= 0) return false;
        pData += nWritten;
        nSize -= static_cast<size_t>(nWritten);
    }
    return true;
}

bool CloseFile(int fd) {
    return _close(fd) == 0;
}
