#include "commandline.h"

#include <cstdlib>
#include <cstring>

#include "folderpath.h"

namespace {

const char *SkipBlanks(const char *at) {
  while (*at == ' ' || *at == '\t') at++;
  return at;
}

// The first argument after the program's path.
const char *SkipProgramPath(const char *line) {
  if (*line == '"') {
    const char *end = strchr(line + 1, '"');
    return end ? end + 1 : line + strlen(line);
  }
  while (*line && *line != ' ' && *line != '\t') line++;
  return line;
}

// A folder no install folder can be (folderpath.h) is refused here already.
bool TakeFolder(const std::string &folder, SetupCommand *command) {
  if (!FitsPath(folder)) return false;
  command->folder = folder;
  return true;
}

}  // namespace

bool ParseSetupCommand(const char *commandLine, SetupCommand *command) {
  *command = SetupCommand();
  for (const char *at = SkipBlanks(SkipProgramPath(commandLine)); *at; at = SkipBlanks(at)) {
    if (_strnicmp(at, "/D=", 3) == 0) {
      size_t length = strlen(at + 3);
      while (length && (at[3 + length - 1] == ' ' || at[3 + length - 1] == '\t')) length--;
      return TakeFolder(std::string(at + 3, length), command);
    }
    if (_strnicmp(at, "\"/D=", 4) == 0) {  // as a shell quotes an argument with blanks
      const char *end = strchr(at + 4, '"');
      size_t length = end ? size_t(end - at - 4) : strlen(at + 4);
      return TakeFolder(std::string(at + 4, length), command);
    }
    size_t length = strcspn(at, " \t");
    if (length == 2 && (at[1] == 'S' || at[1] == 's') && at[0] == '/') command->silent = true;
    if (length == 10 && _strnicmp(at, "/uninstall", 10) == 0) command->uninstall = true;
    if (length > 9 && _strnicmp(at, "/waitfor=", 9) == 0)
      command->waitFor = HANDLE(uintptr_t(strtoull(at + 9, nullptr, 10)));
    at += length;
  }
  return true;
}
