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

// Writes a window program's answer to --help or --version where the user can read it:
// standard output when it leads somewhere (a terminal, a file, a pipe), else on Windows
// the console of the program that started it. False when there is neither (a window
// program started from the desktop), so that the caller shows the text in a box.
bool WriteToStartingConsole(const std::string& text);

// Calls `handler` on Ctrl-C, without interrupting calls in progress; `RestoreInterrupt`
// gives Ctrl-C its default effect back.
void CatchInterrupt(void (*handler)(int));
void RestoreInterrupt();

}  // namespace kiro
