#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace kiro {

// Makes the standard streams write bytes as given (no CR inserted before LF) and the
// console show UTF-8; nothing to do on POSIX.
void PrepareStandardStreams();

// The program's arguments as UTF-8 (on Windows read wide from the system, whatever the
// code page).
std::vector<std::string> Utf8Arguments(int argc, char** argv);

bool IsTerminal(std::FILE* stream);

// Calls `handler` on Ctrl-C, without interrupting calls in progress; `RestoreInterrupt`
// gives Ctrl-C its default effect back.
void CatchInterrupt(void (*handler)(int));
void RestoreInterrupt();

}  // namespace kiro
