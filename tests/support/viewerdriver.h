// Running the real Lumora.exe in end-to-end tests: its settings in the registry, pictures and
// lists on disk, the process with its command line, its windows, and the screen it draws on.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The viewer's window class and title, and the settings dialog's title.
extern const char kViewerClassName[];
extern const char kSettingsTitle[];

// A 24-bit BMP file of width x height whose pixel colour is pixel(x, y) (y from the top).
void WriteBmp(const std::string &path, int width, int height,
              COLORREF (*pixel)(int x, int y, int width, int height));

// A picture of one colour.
void WriteSolidBmp(const std::string &path, int width, int height, COLORREF colour);

// Four quadrants: top-left red, top-right green, bottom-left blue, bottom-right white. Where
// the quadrants meet shows the picture's position and size on the screen.
COLORREF Quadrants(int x, int y, int width, int height);
const COLORREF kRed = RGB(255, 0, 0);
const COLORREF kGreen = RGB(0, 255, 0);
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

// A list file of "key=path" lines, CR LF ended, in the order given.
void WriteList(const std::string &path, const std::vector<std::string> &lines);

// The viewer's registry settings: removes the key, then stores what is given (a negative
// time-out leaves it unset).
void ResetViewerSettings(int timeOut = 1000, DWORD programState = 0);
bool ViewerKeyExists();

// The path of a program in the test program's folder, where the build puts every program.
std::string ProgramBesideTests(const char *program);
// That program loaded as a data file, for its resources (dialogs, pictures, cursors); null when
// it cannot be loaded.
HINSTANCE ProgramResources(const char *program);

class ViewerProcess {
 public:
  // Starts Lumora.exe (or another program beside the test program, such as Lumora.scr) with
  // the command-line tail.
  explicit ViewerProcess(const std::string &tail, const char *program = "Lumora.exe");
  ~ViewerProcess();  // ends a process still running
  ViewerProcess(const ViewerProcess &) = delete;
  ViewerProcess &operator=(const ViewerProcess &) = delete;

  // The settings dialog of this start-up, or null.
  HWND WaitForSettings(DWORD ms = 10000);
  // Clicks Start (accept = true) or Exit in the first dialog.
  void ClickSettingsButton(bool accept);
  // Start, then the viewer window shown; null when it does not appear.
  HWND StartShow();
  HWND Window() const { return window_; }
  // A visible window of this class and title of the process, kept as Window(); null after ms.
  HWND AttachWindow(const char *className, const char *title, DWORD ms = 5000);

  // Waits for the process to end; its exit code, or STILL_ACTIVE after ms.
  DWORD WaitForExit(DWORD ms = 10000);
  HANDLE Process() const { return process_.hProcess; }

  // Sends a message to the viewer window and returns once it was handled.
  LRESULT Send(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
  // Waits until the viewer has handled everything queued before (and painted).
  void Settle();

 private:
  PROCESS_INFORMATION process_{};
  HWND window_ = nullptr;
};

// A visible window of this class and title that belongs to the process, or null after ms.
HWND WaitForProcessWindow(HANDLE process, const char *className, const char *title,
                          DWORD ms = 5000);

// Opens the viewer's popup menu with a real right click at (x, y); its window, or null.
HWND OpenPopupMenu(int x, int y);

// Chooses items of the open popup menus by position: the main menu's item, then, for a
// submenu, the submenu's item. Item heights follow the owner-drawn menu: 20 pixels, 10 for a
// separator.
void ChooseMenuItem(int mainIndex, int subIndex = -1);

// Chooses an item down a path of nested submenus: the main menu's item, then in each submenu
// that opens the item at the next position; the last is clicked.
void ChooseMenuPath(const std::vector<int> &path);

// Closes any open popup menu with Escape.
void CloseMenus();

// The screen, captured once, for several pixel checks.
class ScreenShot {
 public:
  ScreenShot();
  // The whole virtual screen (every monitor); At then takes virtual-screen coordinates, which
  // are negative left of and above the primary monitor.
  static ScreenShot Desktop();
  COLORREF At(int x, int y) const;

 private:
  ScreenShot(int left, int top, int width, int height);
  int left_ = 0, top_ = 0;
  int width_ = 0, height_ = 0;
  std::vector<DWORD> pixels_;
};

// "RRGGBB" for messages.
std::string Hex(COLORREF colour);

// True when the colours differ by at most tolerance in every channel.
bool Near(COLORREF a, COLORREF b, int tolerance = 8);
