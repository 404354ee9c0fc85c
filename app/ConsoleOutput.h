// Standard output for the headless converter, one implementation per platform.
#pragma once

// Makes standard output pass bytes unchanged. The run log already ends its lines in
// CR LF; Windows' text mode would turn each into CR CR LF.
void SetBinaryStdout();
