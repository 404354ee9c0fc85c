// Where the running program lives. One implementation per platform.
#pragma once

#include <string>

// The running executable's full path, or empty when the system cannot say.
std::string ExecutablePath();
