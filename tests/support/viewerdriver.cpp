#include "viewerdriver.h"

#include <algorithm>

#include <cstdio>
#include <cstring>

#include "commonres.h"
#include "filecalls.h"
#include "path.h"
#include "uidriver.h"

const char kViewerClassName[] = "Lumora_TestWndClass";
const char kSettingsTitle[] = "Lumora Settings";

namespace {

const char kViewerKey[] = "SOFTWARE\\Ostrel\\Lumora";

void PutLong(std::string &s, size_t at, DWORD v) {
  for (int i = 0; i < 4; i++) s[at + i] = (char)(v >> (8 * i));
}

}  // namespace

std::string ProgramBesideTests(const char *program) {
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
  std::string s(path, n);
  return s.substr(0, s.find_last_of('\\') + 1) + program;
}

HINSTANCE ProgramResources(const char *program) {
  return (HINSTANCE)LoadLibraryExA(ProgramBesideTests(program).c_str(), nullptr,
                                   LOAD_LIBRARY_AS_DATAFILE);
}

void WriteBmp(const std::string &path, int width, int height,
              COLORREF (*pixel)(int x, int y, int width, int height)) {
  size_t row = ((size_t)width * 3 + 3) & ~(size_t)3;
  std::string file(54 + row * height, '\0');
  file[0] = 'B', file[1] = 'M';
  PutLong(file, 2, (DWORD)file.size());
  PutLong(file, 10, 54);
  PutLong(file, 14, 40);
  PutLong(file, 18, (DWORD)width);
  PutLong(file, 22, (DWORD)height);
  file[26] = 1;
  file[28] = 24;
  for (int y = 0; y < height; y++) {
    size_t at = 54 + row * (height - 1 - y);
    for (int x = 0; x < width; x++) {
      COLORREF c = pixel(x, y, width, height);
      file[at + 3 * x] = (char)GetBValue(c);
      file[at + 3 * x + 1] = (char)GetGValue(c);
      file[at + 3 * x + 2] = (char)GetRValue(c);
    }
  }
  FILE *f = OpenPathStream(path.c_str(), "wb");  // a UTF-8 path
  if (!f) return;
  fwrite(file.data(), 1, file.size(), f);
  fclose(f);
}

namespace {
COLORREF SolidColour;
COLORREF Solid(int, int, int, int) {
  return SolidColour;
}
}  // namespace

void WriteSolidBmp(const std::string &path, int width, int height, COLORREF colour) {
  SolidColour = colour;
  WriteBmp(path, width, height, Solid);
}

COLORREF Quadrants(int x, int y, int width, int height) {
  bool right = x >= width / 2, bottom = y >= height / 2;
  if (bottom) return right ? kWhite : kBlue;
  return right ? kGreen : kRed;
}

void WriteList(const std::string &path, const std::vector<std::string> &lines) {
  FILE *f = OpenPathStream(path.c_str(), "wb");  // a UTF-8 path
  if (!f) return;
  for (const std::string &line : lines) fprintf(f, "%s\r\n", line.c_str());
  fclose(f);
}

void ResetViewerSettings(int timeOut, DWORD programState) {
  RegDeleteKeyA(HKEY_CURRENT_USER, kViewerKey);
  HKEY key;
  if (RegCreateKeyA(HKEY_CURRENT_USER, kViewerKey, &key) != ERROR_SUCCESS) return;
  if (timeOut >= 0) {
    DWORD t = (DWORD)timeOut;
    RegSetValueExA(key, "TimeOut", 0, REG_DWORD, (const BYTE *)&t, 4);
  }
  RegSetValueExA(key, "ProgramState", 0, REG_DWORD, (const BYTE *)&programState, 4);
  RegCloseKey(key);
}

bool ViewerKeyExists() {
  HKEY key;
  if (RegOpenKeyA(HKEY_CURRENT_USER, kViewerKey, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

ViewerProcess::ViewerProcess(const std::string &tail, const char *program) {
  std::string exe = ProgramBesideTests(program);
  std::string command = "\"" + exe + "\"" + (tail.empty() ? "" : " " + tail);
  std::wstring line = WideFromUtf8(command);  // a tail of any name, as a shell passes it
  STARTUPINFOW start{};
  start.cb = sizeof start;
  // A start that fails at once is tried again a few times, each failure printed, so that a
  // test that finds no process says why.
  for (int attempt = 0; attempt < 5; attempt++) {
    if (CreateProcessW(WideFromUtf8(exe).c_str(), &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                       nullptr, &start, &process_))
      return;
    process_ = PROCESS_INFORMATION{};
    fprintf(stderr, "starting %s failed (error %lu)\n", program, GetLastError());
    Sleep(200);
  }
}

ViewerProcess::~ViewerProcess() {
  if (!process_.hProcess) return;
  if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
    if (window_ && IsWindow(window_)) PostMessageA(window_, WM_KEYDOWN, VK_ESCAPE, 0);
    if (WaitForSingleObject(process_.hProcess, 3000) == WAIT_TIMEOUT) {
      TerminateProcess(process_.hProcess, 99);
      WaitForSingleObject(process_.hProcess, 3000);
    }
  }
  CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND WaitForProcessWindow(HANDLE process, const char *className, const char *title, DWORD ms) {
  DWORD pid = GetProcessId(process);
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = nullptr;
        HWND w = nullptr;
        while ((w = FindWindowExA(nullptr, w, className, title)) != nullptr) {
          DWORD owner = 0;
          GetWindowThreadProcessId(w, &owner);
          if (owner == pid && IsWindowVisible(w)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      ms);
  return found;
}

HWND ViewerProcess::AttachWindow(const char *className, const char *title, DWORD ms) {
  if (!process_.hProcess) return nullptr;
  window_ = WaitForProcessWindow(process_.hProcess, className, title, ms);
  return window_;
}

HWND ViewerProcess::WaitForSettings(DWORD ms) {
  if (!process_.hProcess) return nullptr;
  return WaitForProcessWindow(process_.hProcess, "#32770", kSettingsTitle, ms);
}

void ViewerProcess::ClickSettingsButton(bool accept) {
  HWND dialog = WaitForSettings();
  if (!dialog) return;
  HWND button = GetDlgItem(dialog, accept ? IDC_ACCEPT : IDC_DISMISS);
  SetForegroundWindow(dialog);
  ClickControl(button);
}

HWND ViewerProcess::StartShow() {
  // A click that reaches the dialog before it takes input is lost: click again while the
  // dialog is still there.
  for (int attempt = 0; attempt < 3 && !window_; attempt++) {
    HWND dialog = WaitForSettings(attempt ? 500 : 10000);
    if (dialog) ClickSettingsButton(true);
    window_ = WaitForProcessWindow(process_.hProcess, kViewerClassName, "Lumora", 3000);
  }
  if (window_) {
    MoveMouse(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    Settle();
  }
  return window_;
}

DWORD ViewerProcess::WaitForExit(DWORD ms) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, ms) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

LRESULT ViewerProcess::Send(UINT msg, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window_, msg, wParam, lParam, SMTO_NORMAL, 20000, &result);
  return (LRESULT)result;
}

void ViewerProcess::Settle() {
  Send(WM_NULL);
  if (window_) RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW);
  Sleep(60);
  Send(WM_NULL);
}

ScreenShot::ScreenShot()
    : ScreenShot(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)) {}

ScreenShot ScreenShot::Desktop() {
  return ScreenShot(GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                    GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN));
}

ScreenShot::ScreenShot(int left, int top, int width, int height)
    : left_(left), top_(top), width_(width), height_(height) {
  pixels_.assign((size_t)width_ * height_, 0);
  GdiFlush();
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width_;
  info.bmiHeader.biHeight = -height_;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void *bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (dib && bits) {
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width_, height_, screen, left_, top_, SRCCOPY);
    GdiFlush();
    memcpy(pixels_.data(), bits, pixels_.size() * 4);
    SelectObject(memory, old);
  }
  if (dib) DeleteObject(dib);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

COLORREF ScreenShot::At(int x, int y) const {
  x -= left_;
  y -= top_;
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return CLR_INVALID;
  DWORD p = pixels_[(size_t)y * width_ + x];  // 0x00RRGGBB
  return RGB((p >> 16) & 0xff, (p >> 8) & 0xff, p & 0xff);
}

bool Near(COLORREF a, COLORREF b, int tolerance) {
  return abs((int)GetRValue(a) - (int)GetRValue(b)) <= tolerance &&
         abs((int)GetGValue(a) - (int)GetGValue(b)) <= tolerance &&
         abs((int)GetBValue(a) - (int)GetBValue(b)) <= tolerance;
}

std::string Hex(COLORREF colour) {
  char text[8];
  snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(colour), GetGValue(colour),
           GetBValue(colour));
  return text;
}

namespace {

const char kMenuClass[] = "#32768";
// The main popup menu's items from the top: separators at 3, 10 and 14.
bool IsSeparator(int index) {
  return index == 3 || index == 10 || index == 14;
}

HWND MainMenuWindow;  // the popup the last right click opened

std::vector<HWND> MenuWindows() {
  std::vector<HWND> menus;
  HWND w = nullptr;
  while ((w = FindWindowExA(nullptr, w, kMenuClass, nullptr)) != nullptr)
    if (IsWindowVisible(w)) menus.push_back(w);
  return menus;
}

POINT ItemCentre(HWND menu, int index, bool main) {
  RECT r;
  GetWindowRect(menu, &r);
  int y = r.top + 2;
  for (int i = 0; i < index; i++) y += main && IsSeparator(i) ? 10 : 20;
  return {(r.left + r.right) / 2, y + 10};
}

void SendRight(DWORD flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flags;
  SendInput(1, &input, sizeof input);
  Sleep(30);
}

}  // namespace

HWND OpenPopupMenu(int x, int y) {
  MoveMouse(x, y);
  SendRight(MOUSEEVENTF_RIGHTDOWN);
  SendRight(MOUSEEVENTF_RIGHTUP);
  HWND menu = nullptr;
  WaitFor(
      [&] {
        std::vector<HWND> menus = MenuWindows();
        menu = menus.empty() ? nullptr : menus[0];
        return menu != nullptr;
      },
      3000);
  Sleep(100);
  MainMenuWindow = menu;
  return menu;
}

void ChooseMenuItem(int mainIndex, int subIndex) {
  if (subIndex < 0)
    ChooseMenuPath({mainIndex});
  else
    ChooseMenuPath({mainIndex, subIndex});
}

void ChooseMenuPath(const std::vector<int> &path) {
  if (!MainMenuWindow || !IsWindowVisible(MainMenuWindow) || path.empty()) return;
  std::vector<HWND> open = {MainMenuWindow};
  for (size_t level = 0; level < path.size(); level++) {
    HWND menu = open.back();
    POINT p = ItemCentre(menu, path[level], level == 0);
    MoveMouse(p.x, p.y);
    if (level + 1 == path.size()) {
      ClickAt(p.x, p.y);
      return;
    }
    MouseButton(true);  // opens the submenu at once
    MouseButton(false);
    HWND sub = nullptr;
    WaitFor(
        [&] {
          for (HWND w : MenuWindows())
            if (std::find(open.begin(), open.end(), w) == open.end()) sub = w;
          return sub != nullptr;
        },
        3000);
    if (!sub) return;
    RECT r, parent;
    GetWindowRect(sub, &r);
    GetWindowRect(menu, &parent);
    MoveMouse(r.left >= parent.left ? r.left + 8 : r.right - 8, p.y);  // along the row into it
    open.push_back(sub);
  }
}

void CloseMenus() {
  for (int i = 0; i < 3 && !MenuWindows().empty(); i++) {
    PressKey(VK_ESCAPE);
    Sleep(100);
  }
}
