// A test-only ODBC setup library for Wine: accepts every data-source request. The data
// source itself is configured in the host's unixODBC files by the test.
#include "res/Win32.h"

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSN(HWND, WORD, LPCSTR, LPCSTR) {
    return TRUE;
}

extern "C" __declspec(dllexport) BOOL WINAPI ConfigDSNW(HWND, WORD, LPCWSTR, LPCWSTR) {
    return TRUE;
}
