#include "app/ConsoleOutput.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>

void SetBinaryStdout() {
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
}
