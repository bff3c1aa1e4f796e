// Driving real windows in tests: real mouse and key input through SendInput (Wine's own input
// path), waiting for windows and pixels, and running a modal dialog while a second thread
// acts on it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Waits up to ms for cond(); true when it held.
bool WaitFor(const std::function<bool()> &cond, DWORD ms = 5000);

// Handles pending messages of the calling thread; posted WM_COMMAND messages are passed to
// onPostedCommand (when set) before dispatch.
void Pump(const std::function<void(const MSG &)> &onPostedCommand = nullptr);

// A visible top-level window with this exact title, or null after ms.
HWND WaitForWindow(const char *title, DWORD ms = 5000);

// Real input.
void MoveMouse(int x, int y);
void MouseButton(bool down);
void ClickAt(int x, int y);
void ClickControl(HWND control);  // at the middle of the control
void PressKey(WORD vk);

// The centre of a control in screen coordinates.
POINT ControlCentre(HWND control);

// The colour of a screen pixel, read once cond holds or after ms.
COLORREF ScreenPixel(int x, int y);
bool WaitForPixel(int x, int y, COLORREF colour, DWORD ms = 3000);

// The top-left width x height pixels of a window's client area as it is on the screen, top
// row first, 0x00RRGGBB each.
std::vector<DWORD> WindowPixels(HWND window, int width, int height);
// The same for the whole client area: what a show window shows.
std::vector<DWORD> ClientPixels(HWND window);

std::string WindowText(HWND window);
// A control's text asked with WM_GETTEXT, which also reaches controls of other processes
// (GetWindowText does not ask them); at most 5 seconds for a busy process.
std::string ControlText(HWND control);
// The text of a message box (its static control), and its OK/Yes/No buttons by id.
std::string MessageBoxText(HWND box);

// Runs the modal dialog started by show() on this thread while drive() runs on a second
// thread. Whatever drive() leaves open is cancelled (IDCANCEL) so that the test cannot hang;
// leftOpen then reports it. Returns show()'s result.
INT_PTR RunModal(const std::function<INT_PTR()> &show, const std::function<void()> &drive,
                 const char *title, bool *leftOpen = nullptr);

// Registry helpers for the settings tests, under HKEY_CURRENT_USER.
void DeleteUserKey(const char *subkey);
bool UserKeyExists(const char *subkey);
// A value's type and bytes; false when it is missing.
bool QueryUserValue(const char *subkey, const char *name, DWORD *type, std::string *bytes);
void SetUserValue(const char *subkey, const char *name, DWORD type, const std::string &bytes);
std::string DwordBytes(DWORD value);

// Takes the write permission of the Windows directory away (as a standard user meets it) for
// the object's lifetime: a Unix chmod of the Wine prefix's folder, confirmed by a file that
// can no longer be created there. active() is false when that could not be done.
class ReadOnlyWindowsDirectory {
 public:
  ReadOnlyWindowsDirectory();
  ~ReadOnlyWindowsDirectory();
  ReadOnlyWindowsDirectory(const ReadOnlyWindowsDirectory &) = delete;
  ReadOnlyWindowsDirectory &operator=(const ReadOnlyWindowsDirectory &) = delete;
  bool active() const { return active_; }

 private:
  bool active_ = false;
  std::string unixPath_;
};
