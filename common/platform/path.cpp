#include "path.h"

#include "platform.h"

namespace {

// Where the file name starts: just after the last separator, or 0.
size_t FileNameStart(std::string_view path) {
  for (size_t at = path.size(); at > 0; at--)
    if (IsPathSeparator(path[at - 1])) return at;
  return 0;
}

}  // namespace

bool IsPathSeparator(char c) {
#ifdef _WIN32
  return c == '\\';
#else
  return c == '\\' || c == '/';
#endif
}

bool HasSeparator(std::string_view path) {
  return FileNameStart(path) > 0;
}

bool EndsWithSeparator(std::string_view path) {
  return !path.empty() && IsPathSeparator(path.back());
}

bool IsBareDrive(std::string_view path) {
  return path.size() == 2 && path[1] == ':';
}

std::string_view FolderOf(std::string_view path) {
  const size_t start = FileNameStart(path);
  return start ? path.substr(0, start - 1) : std::string_view();
}

std::string_view FileNameOf(std::string_view path) {
  return path.substr(FileNameStart(path));
}

std::string_view ExtensionOf(std::string_view path) {
  const std::string_view name = FileNameOf(path);
  const size_t dot = name.rfind('.');
  return name.substr(dot == std::string_view::npos ? name.size() : dot);  // still its end
}

bool HasExtension(const char *path, const char *extension) {
  return lstrcmpiA(ExtensionOf(path).data(), extension) == 0;
}

std::string JoinPath(std::string_view folder, std::string_view name) {
  std::string joined;
  joined.reserve(folder.size() + 1 + name.size());
  joined.append(folder).append(1, '\\').append(name);
  return joined;
}
