#include "app/ConsoleOutput.h"

// POSIX streams have no text mode.
void SetBinaryStdout() {}

// Arguments are bytes, passed on as they are.
bool ProgramArguments(int argc, char** argv, std::vector<std::string>& args, std::string&) {
    args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    return true;
}
