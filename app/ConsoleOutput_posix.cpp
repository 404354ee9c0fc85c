#include "app/ConsoleOutput.h"

// POSIX streams have no text mode.
void SetBinaryStdout() {}
