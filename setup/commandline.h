// The setup program's command line: with "/S" it installs without any dialog, into the folder
// that "/D=<folder>" names (the last argument: the rest of the line, blanks included, no
// quotes) or else the default folder. Other arguments are ignored.
#pragma once

#include <windows.h>

struct SetupCommand {
  bool silent = false;
  char folder[MAX_PATH] = "";  // from /D=, or empty
};

// Reads a whole command line, the program's own path first (quoted or not). False when the
// /D= folder does not fit (command then holds what came before it).
bool ParseSetupCommand(const char *commandLine, SetupCommand *command);
