#pragma once

#include <cstdio>

// --help and --version: prints the answer to `out` and gives the exit status;
// -1 when the command line asks for neither and the program should start.
int AnswerInformationalOptions(int argc, const char* const* argv, std::FILE* out);
