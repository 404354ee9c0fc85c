// Standard output and the command line for the headless converter, one implementation per platform.
#pragma once

#include <string>
#include <vector>

// Makes standard output pass bytes unchanged. The run log already ends its lines in
// CR LF; Windows' text mode would turn each into CR CR LF.
void SetBinaryStdout();

// The arguments after the program's name, in the program's encoding (on Windows read as
// wide characters and turned into the ANSI code page). False when one of them cannot be
// held there; `strUnfit` is then that argument, "?" for what is lost.
bool ProgramArguments(int argc, char** argv, std::vector<std::string>& args, std::string& strUnfit);
