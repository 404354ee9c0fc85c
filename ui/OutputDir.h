// Where price-list files go when the user has not chosen a folder.
#pragma once

#include <string>

// The remembered "OutputDir" as stored; else the companion application's installation
// folder followed by "\System" (on Linux, found in its Wine prefix and mapped to a Linux
// path); else the current directory. Empty when none of these can be had.
std::string DetermineOutputDirPath();
