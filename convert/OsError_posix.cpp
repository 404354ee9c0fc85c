#include "convert/OsError.h"

#include <cerrno>

#include "convert/Exceptions.h"

int LastOsError() {
    return errno;
}

CFileException::ECause CFileException::OsErrorToCause(int nError) {
    switch (nError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
        case EINVAL:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case EBUSY:
        case ETXTBSY:
        // OpenDenyWrite fails this way when another writer holds the file.
        case EWOULDBLOCK:
            return sharingViolation;
        case ENOLCK:
        case EDEADLK:
            return lockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        case EIO:
            return hardIO;
        case ESPIPE:
            return badSeek;
        default:
            return genericException;
    }
}
