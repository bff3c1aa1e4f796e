// The setup program's command line: with "/S" it installs without any dialog, into the folder
// that "/D=<folder>" names (the last argument: the rest of the line, blanks included, no
// quotes, or the whole argument in quotes) or else the default folder. "/uninstall" runs it
// as the uninstaller (with "/S", without asking). Other arguments are ignored.
#pragma once

#include <windows.h>

#include <string>

struct SetupCommand {
  bool silent = false;
  bool uninstall = false;    // "/uninstall": the uninstaller
  HANDLE waitFor = nullptr;  // "/waitfor=<handle>": the uninstaller's copy waits for it
  std::string folder;        // from /D= (UTF-8), or empty
};

// Reads a whole command line (UTF-8), the program's own path first (quoted or not). False when
// the /D= folder is too long for an install folder (command then holds what came before it).
bool ParseSetupCommand(const char *commandLine, SetupCommand *command);
