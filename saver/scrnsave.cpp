#include "scrnsave.h"

#include <cstdint>
#include <cstdlib>
#include <string>

#include "path.h"

const char kSaverClassName[] = "WindowsScreenSaverClass";
const char kSaverWindowTitle[] = "Screen Saver";
const char kPreviewTitle[] = "Preview";

HINSTANCE hMainInstance;
HWND hMainWindow;
BOOL fChildPreview;

namespace {

const int kExitDone = 0;
const int kExitBadCommand = -1;

BOOL gClosing;       // input ended the saver: WM_CLOSE is on its way, timers no longer pass
POINT gStartPoint;   // the pointer when the window was made
BOOL gCursorHidden;  // the full-screen window took the cursor away

// --- Command line -------------------------------------------------------------------------

const char *SkipSeparators(const char *p) {
  while (*p == ' ' || *p == '\t' || *p == '-' || *p == '/') p++;
  return p;
}

// The decimal window handle after a preview letter (blanks or a colon may come first); null
// when there is none or it does not fit a handle's 32 bits.
HWND ParseWindowHandle(const char *p) {
  while (*p == ' ' || *p == '\t' || *p == ':') p++;
  if (*p < '0' || *p > '9') return nullptr;
  uint64_t value = 0;
  for (; *p >= '0' && *p <= '9'; p++) {
    value = value * 10 + (uint64_t)(*p - '0');
    if (value > 0xFFFFFFFFu) return nullptr;
  }
  return reinterpret_cast<HWND>(static_cast<ULONG_PTR>(value));
}

// --- Ending on input ----------------------------------------------------------------------

void CloseSaver(HWND window) {
  if (gClosing) return;
  gClosing = TRUE;
  PostMessageW(window, WM_CLOSE, 0, 0);
}

void OnSaverMouseMove(HWND window, LPARAM lParam) {
  POINT at = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
  ClientToScreen(window, &at);
  if (abs(at.x - gStartPoint.x) > kSaverMoveSlack || abs(at.y - gStartPoint.y) > kSaverMoveSlack)
    CloseSaver(window);
}

// The full-screen saver's share of DefScreenSaverProc: 1 when it handled the message.
int HandleSaverInput(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, LRESULT *result) {
  *result = 0;
  switch (msg) {
    case WM_SETCURSOR:
      SetCursor(nullptr);
      *result = TRUE;
      return 1;
    case WM_MOUSEMOVE: OnSaverMouseMove(window, lParam); return 1;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_XBUTTONDOWN: CloseSaver(window); return 1;
    case WM_ACTIVATEAPP:
      if (!wParam) CloseSaver(window);
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) CloseSaver(window);
      return 0;
    case WM_SYSCOMMAND:
      // Another saver start while this one runs is dropped.
      return (wParam & 0xFFF0) == SC_SCREENSAVE;
    default: return 0;
  }
}

// --- The library's own window procedure, around ScreenSaverProc ----------------------------

void OnSaverCreate(HWND window) {
  hMainWindow = window;
  gClosing = FALSE;
  GetCursorPos(&gStartPoint);
  if (!fChildPreview && !gCursorHidden) {
    ShowCursor(FALSE);
    gCursorHidden = TRUE;
  }
}

void OnSaverDestroy() {
  hMainWindow = nullptr;
  if (gCursorHidden) {
    ShowCursor(TRUE);
    gCursorHidden = FALSE;
  }
  PostQuitMessage(kExitDone);
}

LRESULT CALLBACK SaverWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CREATE: OnSaverCreate(window); break;
    case WM_TIMER:
      if (gClosing) return 0;
      break;
    case WM_DESTROY: {
      LRESULT result = ScreenSaverProc(window, msg, wParam, lParam);
      OnSaverDestroy();
      return result;
    }
    default: break;
  }
  return ScreenSaverProc(window, msg, wParam, lParam);
}

// --- Running the saver and the dialog -----------------------------------------------------

ATOM RegisterSaverClass() {
  const std::wstring name = WideFromUtf8(kSaverClassName);
  WNDCLASSW wc = {};
  if (GetClassInfoW(hMainInstance, name.c_str(), &wc)) return 1;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_SAVEBITS | CS_DBLCLKS;
  wc.lpfnWndProc = SaverWindowProc;
  wc.hInstance = hMainInstance;
  wc.hIcon = LoadIconA(hMainInstance, MAKEINTRESOURCEA(ID_APP));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);  // the full-screen window hides it
  wc.lpszClassName = name.c_str();
  return RegisterClassW(&wc);
}

// Topmost over the whole desktop, every monitor of it.
HWND CreateFullScreenWindow() {
  int x = GetSystemMetrics(SM_XVIRTUALSCREEN), y = GetSystemMetrics(SM_YVIRTUALSCREEN);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  if (width <= 0 || height <= 0) {
    x = y = 0;
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
  }
  HWND window = CreateWindowExW(WS_EX_TOPMOST, WideFromUtf8(kSaverClassName).c_str(),
                                WideFromUtf8(kSaverWindowTitle).c_str(), WS_POPUP | WS_VISIBLE, x,
                                y, width, height, nullptr, nullptr, hMainInstance, nullptr);
  if (window) SetForegroundWindow(window);
  return window;
}

HWND CreatePreviewWindow(HWND parent) {
  RECT area;
  GetClientRect(parent, &area);
  return CreateWindowExW(0, WideFromUtf8(kSaverClassName).c_str(),
                         WideFromUtf8(kPreviewTitle).c_str(), WS_CHILD | WS_VISIBLE, 0, 0,
                         area.right, area.bottom, parent, nullptr, hMainInstance, nullptr);
}

int RunSaver(HWND previewParent) {
  if (previewParent && !IsWindow(previewParent)) return kExitBadCommand;
  if (!CreateScreenSaverWindow(previewParent)) return kExitDone;
  MSG msg = {};
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return (int)msg.wParam;
}

int RunConfiguration(HWND owner) {
  if (!RegisterDialogClasses(hMainInstance)) return kExitDone;
  DialogBoxParamW(hMainInstance, MAKEINTRESOURCEW(IDD_SCRNSAVE_CONFIGURE), owner,
                  ScreenSaverConfigureDialog, 0);
  return kExitDone;
}

}  // namespace

HWND CreateScreenSaverWindow(HWND previewParent) {
  fChildPreview = previewParent != nullptr;
  if (!RegisterSaverClass()) return nullptr;
  return fChildPreview ? CreatePreviewWindow(previewParent) : CreateFullScreenWindow();
}

LRESULT WINAPI DefScreenSaverProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result;
  if (!fChildPreview && HandleSaverInput(window, msg, wParam, lParam, &result)) return result;
  return DefWindowProcW(window, msg, wParam, lParam);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
  hMainInstance = instance;
  const char *command = SkipSeparators(commandLine ? commandLine : "");
  switch (*command) {
    case 0: return RunConfiguration(nullptr);
    case 'c':
    case 'C': return RunConfiguration(GetForegroundWindow());
    case 's':
    case 'S': return RunSaver(nullptr);
    case 'p':
    case 'P':
    case 'l':
    case 'L': {
      HWND parent = ParseWindowHandle(command + 1);
      return parent ? RunSaver(parent) : kExitBadCommand;
    }
    case 'a':
    case 'A': return kExitDone;
    default: return kExitBadCommand;
  }
}
