#include "uidriver.h"

#include <cstring>
#include <thread>

bool WaitFor(const std::function<bool()> &cond, DWORD ms) {
  DWORD start = GetTickCount();
  for (;;) {
    if (cond()) return true;
    if (GetTickCount() - start > ms) return false;
    Sleep(10);
  }
}

void Pump(const std::function<void(const MSG &)> &onPostedCommand) {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_COMMAND && onPostedCommand) onPostedCommand(msg);
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

std::vector<DWORD> WindowPixels(HWND window, int width, int height) {
  HDC dc = GetDC(window);
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<DWORD> pixels((size_t)width * height);
  GetDIBits(memory, bitmap, 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(window, dc);
  return pixels;
}

std::vector<DWORD> ClientPixels(HWND window) {
  RECT client = {};
  GetClientRect(window, &client);
  return WindowPixels(window, client.right, client.bottom);
}

HWND WaitForWindow(const char *title, DWORD ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = FindWindowA(nullptr, title);
        return found && IsWindowVisible(found);
      },
      ms);
  return found && IsWindowVisible(found) ? found : nullptr;
}

namespace {

void SendMouse(DWORD flags, int x = 0, int y = 0) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  if (flags & MOUSEEVENTF_ABSOLUTE) {
    int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    input.mi.dx = (x * 65536 + w - 1) / w;  // rounded up: maps back to exactly x
    input.mi.dy = (y * 65536 + h - 1) / h;
  }
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

}  // namespace

void MoveMouse(int x, int y) {
  SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, x, y);
  WaitFor(
      [&] {
        POINT p;
        GetCursorPos(&p);
        return p.x == x && p.y == y;
      },
      10000);  // the first input of a session waits for Wine's desktop to come up
  Sleep(30);
}

void MouseButton(bool down) {
  SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
  Sleep(30);
}

void ClickAt(int x, int y) {
  MoveMouse(x, y);
  MouseButton(true);
  MouseButton(false);
}

POINT ControlCentre(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

void ClickControl(HWND control) {
  POINT p = ControlCentre(control);
  ClickAt(p.x, p.y);
}

void PressKey(WORD vk) {
  INPUT keys[2]{};
  keys[0].type = keys[1].type = INPUT_KEYBOARD;
  keys[0].ki.wVk = keys[1].ki.wVk = vk;
  keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, keys, sizeof keys[0]);
  Sleep(30);
}

COLORREF ScreenPixel(int x, int y) {
  GdiFlush();
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return c;
}

bool WaitForPixel(int x, int y, COLORREF colour, DWORD ms) {
  return WaitFor([&] { return ScreenPixel(x, y) == colour; }, ms);
}

std::string WindowText(HWND window) {
  char text[1024];
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ControlText(HWND control) {
  char text[1024] = "";
  DWORD_PTR got = 0;
  SendMessageTimeoutA(control, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_NORMAL, 5000, &got);
  return text;
}

std::string MessageBoxText(HWND box) {
  const int kMessageBoxTextId = 0xFFFF;
  return WindowText(GetDlgItem(box, kMessageBoxTextId));
}

INT_PTR RunModal(const std::function<INT_PTR()> &show, const std::function<void()> &drive,
                 const char *title, bool *leftOpen) {
  std::thread driver([&] {
    drive();
    HWND open = nullptr;
    bool closed = WaitFor(
        [&] {
          open = FindWindowA(nullptr, title);
          return !open || !IsWindowVisible(open);
        },
        2000);
    if (leftOpen) *leftOpen = !closed;
    if (!closed) PostMessageA(open, WM_COMMAND, IDCANCEL, 0);
  });
  INT_PTR result = show();
  driver.join();
  return result;
}

void DeleteUserKey(const char *subkey) {
  RegDeleteKeyA(HKEY_CURRENT_USER, subkey);
}

bool UserKeyExists(const char *subkey) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, subkey, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

bool QueryUserValue(const char *subkey, const char *name, DWORD *type, std::string *bytes) {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, subkey, &key) != ERROR_SUCCESS) return false;
  char data[4096];
  DWORD size = sizeof data;
  LONG status = RegQueryValueExA(key, name, nullptr, type, reinterpret_cast<BYTE *>(data), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS) return false;
  bytes->assign(data, size);
  return true;
}

void SetUserValue(const char *subkey, const char *name, DWORD type, const std::string &bytes) {
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, subkey, &key) != ERROR_SUCCESS) return;
  RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(bytes.data()),
                 (DWORD)bytes.size());
  RegCloseKey(key);
}

std::string DwordBytes(DWORD value) {
  return std::string(reinterpret_cast<const char *>(&value), sizeof value);
}

namespace {

// True when a new file can be created in the Windows directory (it is removed again).
bool WindowsDirectoryWritable() {
  char path[MAX_PATH];
  UINT n = GetWindowsDirectoryA(path, MAX_PATH);
  if (n == 0 || n + 20 > MAX_PATH) return false;
  strcpy(path + n, "\\lumora-probe.tmp");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  DeleteFileA(path);
  return true;
}

// Runs /bin/chmod with mode on the Unix folder. Wine starts Unix programs without a handle to
// wait on, so callers confirm the effect themselves.
void Chmod(const char *mode, const std::string &unixPath) {
  std::string line = std::string("/bin/chmod ") + mode + " " + unixPath;
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  if (CreateProcessA("Z:\\bin\\chmod", &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                     &pi)) {
    WaitForSingleObject(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

}  // namespace

ReadOnlyWindowsDirectory::ReadOnlyWindowsDirectory() {
  typedef char *(CDECL * UnixFileName)(LPCWSTR);
  auto unixName = reinterpret_cast<UnixFileName>(reinterpret_cast<void *>(
      GetProcAddress(GetModuleHandleA("kernel32"), "wine_get_unix_file_name")));
  WCHAR windows[MAX_PATH];
  if (!unixName || !GetWindowsDirectoryW(windows, MAX_PATH)) return;
  char *name = unixName(windows);
  if (!name) return;
  unixPath_ = name;
  HeapFree(GetProcessHeap(), 0, name);
  if (unixPath_.find_first_of(" '\"") != std::string::npos) return;
  Chmod("a-w", unixPath_);
  active_ = WaitFor([] { return !WindowsDirectoryWritable(); });
}

ReadOnlyWindowsDirectory::~ReadOnlyWindowsDirectory() {
  if (unixPath_.empty()) return;
  Chmod("u+w", unixPath_);
  WaitFor(WindowsDirectoryWritable);
}
