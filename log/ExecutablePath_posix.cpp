#include "log/ExecutablePath.h"

#include <unistd.h>

#include <climits>

std::string ExecutablePath() {
    char szPath[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", szPath, sizeof szPath);
    if (n <= 0 || n >= static_cast<ssize_t>(sizeof szPath)) return {};
    return std::string(szPath, static_cast<size_t>(n));
}
