// A real top-level window on the test display: what it paints must reach the screen.
#include <gtest/gtest.h>
#include <windows.h>

#include "uidriver.h"

namespace {

LRESULT CALLBACK PaintProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT r;
    GetClientRect(hwnd, &r);
    HBRUSH red = CreateSolidBrush(RGB(220, 30, 40));
    FillRect(dc, &r, red);
    DeleteObject(red);
    r.left = r.right / 2;
    FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
    EndPaint(hwnd, &ps);
    return 0;
  }
  return DefWindowProcA(hwnd, msg, wp, lp);
}

TEST(Window, PaintedPixelsReachTheScreen) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = PaintProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "LumoraPaintProbe";
  ASSERT_TRUE(RegisterClassA(&wc));
  HWND hwnd = CreateWindowExA(WS_EX_TOPMOST, wc.lpszClassName, "probe", WS_POPUP | WS_VISIBLE, 40,
                              30, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
  ASSERT_NE(nullptr, hwnd);
  UpdateWindow(hwnd);
  HDC screen = GetDC(nullptr);
  COLORREF left = CLR_INVALID, right = CLR_INVALID;
  for (int i = 0; i < 100 && left != RGB(220, 30, 40); i++) {
    Pump();
    GdiFlush();
    left = GetPixel(screen, 60, 70);
    if (left != RGB(220, 30, 40)) Sleep(20);
  }
  right = GetPixel(screen, 200, 70);
  ReleaseDC(nullptr, screen);
  DestroyWindow(hwnd);
  UnregisterClassA(wc.lpszClassName, wc.hInstance);
  EXPECT_EQ(RGB(220, 30, 40), left);
  EXPECT_EQ(RGB(255, 255, 255), right);
}

TEST(Window, ScreenIsTheTestDisplay) {
  HDC dc = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, dc);
  int w = GetDeviceCaps(dc, HORZRES), h = GetDeviceCaps(dc, VERTRES);
  DeleteDC(dc);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), w);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), h);
  EXPECT_GE(w, 640);
}

}  // namespace
