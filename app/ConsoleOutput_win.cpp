#include "app/ConsoleOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

#include "res/Win32.h"

void SetBinaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}

// The C runtime's narrow argv has already turned what the code page lacks into
// look-alikes or "?", so the wide command line is read instead; the conversion has no
// "best fit", which would name another file.
bool ProgramArguments(int, char**, std::vector<std::string>& args, std::string& strUnfit) {
    int nArgs = 0;
    LPWSTR* ppArgs = CommandLineToArgvW(GetCommandLineW(), &nArgs);
    bool bFits = true;
    args.clear();
    for (int i = 1; ppArgs && i < nArgs; ++i) {
        int nWide = static_cast<int>(wcslen(ppArgs[i]));
        int nSize = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, ppArgs[i], nWide, nullptr, 0,
                                        nullptr, nullptr);
        std::string str(static_cast<size_t>(nSize > 0 ? nSize : 0), '\0');
        BOOL bDefaultUsed = FALSE;
        if (nSize > 0)
            WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, ppArgs[i], nWide, str.data(), nSize,
                                nullptr, &bDefaultUsed);
        if (bDefaultUsed && bFits) {
            bFits = false;
            strUnfit = str;
        }
        args.push_back(str);
    }
    LocalFree(ppArgs);
    return bFits;
}
