// The operating system's error codes, as CFileException::OsErrorToCause reads them.
#pragma once

// The code of this thread's latest failed system call: errno on POSIX, GetLastError() on
// Windows. Read it straight after the failure, before anything else can change it.
int LastOsError();
