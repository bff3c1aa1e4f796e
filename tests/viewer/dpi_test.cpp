// Drawing at the screen's DPI: the FlatButton glyphs and labels of the real dialogs and the
// popup menu's items are their 96-DPI sizes scaled, and nothing is cut. CTest runs this
// program in the shared session (96 DPI) and in sessions of 144 and 192 DPI (LUMORA_DPI, see
// tests/harness/wine-session.sh), naming the DPI it must find in LUMORA_EXPECT_DPI.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "commonres.h"
#include "flatbutton.h"
#include "instance.h"
#include "menus.h"
#include "path.h"
#include "pixels.h"
#include "uidriver.h"
#include "viewerdriver.h"

namespace {

UINT Dpi() {
  HDC screen = GetDC(nullptr);
  UINT dpi = (UINT)GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return dpi;
}

int Scaled(int pixels) {
  return MulDiv(pixels, (int)Dpi(), 96);
}

// The box of the pixels of image in [x0, x1) x [y0, y1) that ink() accepts; empty (right <
// left) when there are none.
RECT InkBox(const RgbImage &image, int x0, int y0, int x1, int y1,
            const std::function<bool(unsigned long)> &ink) {
  RECT box = {x1, y1, -1, -1};
  for (int y = y0; y < y1 && y < image.height; y++)
    for (int x = x0; x < x1 && x < image.width; x++)
      if (ink(image.At(x, y))) {
        box.left = std::min<LONG>(box.left, x), box.top = std::min<LONG>(box.top, y);
        box.right = std::max<LONG>(box.right, x), box.bottom = std::max<LONG>(box.bottom, y);
      }
  return box;
}

// What draw() puts on a width x height display bitmap.
RgbImage Drawn(int width, int height, const std::function<void(HDC)> &draw) {
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  draw(dc);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  RgbImage image = DeviceBitmapToRgb(bitmap);
  DeleteObject(bitmap);
  return image;
}

// A picture made for 96 DPI drawn with its top-left corner at (x, y) of image: its ink (what
// differs from its top-left pixel), within its scaled size, is its unscaled ink scaled, each
// edge within a pixel.
void ExpectScaledPicture(const RgbImage &image, int x, int y, HBITMAP picture, const char *what) {
  RgbImage natural = DeviceBitmapToRgb(picture);
  unsigned long ground = natural.At(0, 0), shown = image.At(x, y);
  RECT want = InkBox(natural, 0, 0, natural.width, natural.height,
                     [&](unsigned long c) { return c != ground; });
  RECT got = InkBox(image, x, y, x + Scaled(natural.width), y + Scaled(natural.height),
                    [&](unsigned long c) { return c != shown; });
  double k = Dpi() / 96.0;
  EXPECT_NEAR(x + want.left * k, got.left, 1.0) << what;
  EXPECT_NEAR(y + want.top * k, got.top, 1.0) << what;
  EXPECT_NEAR(x + (want.right + 1) * k - 1, got.right, 1.0) << what;
  EXPECT_NEAR(y + (want.bottom + 1) * k - 1, got.bottom, 1.0) << what;
}

int Distance(unsigned long a, unsigned long b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8)
    d += abs((int)((a >> shift) & 0xFF) - (int)((b >> shift) & 0xFF));
  return d;
}

// Capitals of an 8-point font are at least 7 pixels high at 96 DPI.
int LeastCapitalHeight() {
  return Scaled(7);
}

unsigned long Rgb(COLORREF c) {
  return (unsigned long)GetRValue(c) << 16 | GetGValue(c) << 8 | GetBValue(c);
}

INT_PTR CALLBACK PlainDialog(HWND, UINT msg, WPARAM, LPARAM) {
  return msg == WM_INITDIALOG;
}

class DpiTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Dialogs, glyphs and menu pictures come from the program's own resources.
    ProgramInstance = ProgramResources("Lumora.exe");
    ASSERT_NE(nullptr, ProgramInstance);
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    ASSERT_NE(0, RegisterFlatButtonClass());
  }
};

TEST_F(DpiTest, TheSessionHasTheDpiAskedFor) {
  const char *expected = getenv("LUMORA_EXPECT_DPI");
  EXPECT_EQ(expected ? (UINT)atoi(expected) : 96u, Dpi());
}

TEST_F(DpiTest, ButtonGlyphsAndLabelsScaleAndFit) {
  struct Row {
    int dialog, control;
    bool glyph;      // a normal button with the glyph of its identifier
    COLORREF label;  // colour of its caption's ink
  };
  const Row rows[] = {
      {IDD_SETTINGS, IDC_ACCEPT, true, RGB(0, 0, 0)},
      {IDD_SETTINGS, IDC_DISMISS, true, RGB(0, 0, 0)},
      {IDD_SETTINGS, IDC_ABOUT, true, RGB(0, 0, 0)},
      {IDD_SETTINGS, IDC_OPENLIST, true, RGB(0, 0, 0)},    // no caption
      {IDD_SETTINGS, IDC_NEWLIST, true, RGB(0, 0, 0)},     // no caption
      {IDD_SETTINGS, IDC_OPENFOLDER, true, RGB(0, 0, 0)},  // no caption
      {IDD_ABOUT, IDC_ABOUT_OK, true, RGB(0, 0, 0)},
      {IDD_ABOUT, IDC_ABOUT_MAIL, false, RGB(0, 0, 255)},
      {IDD_ABOUT, IDC_ABOUT_WEB, false, RGB(0, 0, 255)},
  };
  MoveMouse(790, 590);
  for (const Row &row : rows) {
    SCOPED_TRACE("dialog " + std::to_string(row.dialog) + " control " +
                 std::to_string(row.control));
    HWND dialog =
        CreateDialogParamA(ProgramInstance, MAKEINTRESOURCEA(row.dialog), nullptr, PlainDialog, 0);
    ASSERT_NE(nullptr, dialog);
    HWND button = GetDlgItem(dialog, row.control);
    if (!row.glyph) MakeFlatButtonLink(button);
    SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    UpdateWindow(dialog);
    RECT client;
    GetClientRect(button, &client);
    int labelLeft = row.glyph ? Scaled(4) + Scaled(16) + 1 : 0;
    char caption[256];
    int length = GetWindowTextA(button, caption, sizeof caption);
    // The button's background is its top-right pixel; label ink is what lies more than half
    // way from it to the label's colour (the text may be smoothed).
    RgbImage px;
    auto isInk = [&](unsigned long c) {
      unsigned long ground = px.At(px.width - 1, 0);
      return Distance(c, ground) * 2 > Distance(Rgb(row.label), ground);
    };
    RECT label = {0, 0, -1, -1};
    auto read = [&] {
      Pump();
      HDC own = GetDC(button);
      px = Drawn(client.right, client.bottom, [&](HDC dc) {
        BitBlt(dc, 0, 0, client.right, client.bottom, own, 0, 0, SRCCOPY);
      });
      ReleaseDC(button, own);
      label = InkBox(px, labelLeft, 0, px.width, px.height, isInk);
      return !length || label.left <= label.right;
    };
    ASSERT_TRUE(WaitFor(read)) << "no label";
    if (row.glyph) {
      HBITMAP glyph = (HBITMAP)LoadImageA(ProgramInstance, MAKEINTRESOURCEA(row.control),
                                          IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS);
      ASSERT_NE(nullptr, glyph);
      ExpectScaledPicture(px, Scaled(4), Scaled(3), glyph, "glyph");
      DeleteObject(glyph);
      EXPECT_LE(Scaled(3) + Scaled(16), client.bottom) << "glyph cut";
    }
    if (length) {
      EXPECT_GE(label.bottom - label.top + 1, LeastCapitalHeight()) << caption;
      EXPECT_LT(label.bottom, client.bottom - 1) << caption;
      // Nothing cut: the line of text the button's own font makes fits inside it.
      HDC own = GetDC(button);
      SIZE extent;
      GetTextExtentPoint32A(own, caption, length, &extent);
      ReleaseDC(button, own);
      int left = row.glyph ? 0 : Scaled(2), top = Scaled(row.glyph ? 4 : 2);
      EXPECT_LE(top + extent.cy, client.bottom) << caption;
      EXPECT_LE(left + extent.cx, client.right) << caption;
    }
    DestroyWindow(dialog);
  }
}

TEST_F(DpiTest, MenuItemsScaleTheirPicturesAndText) {
  ASSERT_TRUE(CreatePopupMenus());
  HWND window =
      CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  unsigned long ink = Rgb(GetSysColor(COLOR_MENUTEXT));
  for (HMENU m : {gMainMenu, gSelectMenu}) {
    for (int i = 0; i < GetMenuItemCount(m); i++) {
      MENUITEMINFOA info = {};
      info.cbSize = sizeof info;
      info.fMask = MIIM_DATA | MIIM_ID;
      ASSERT_TRUE(GetMenuItemInfoA(m, (UINT)i, TRUE, &info));
      const MenuEntry *entry = reinterpret_cast<const MenuEntry *>(info.dwItemData);
      if (!entry->Length) continue;
      SCOPED_TRACE(Utf8FromWide(entry->Text));
      MEASUREITEMSTRUCT measure = {};
      measure.CtlType = ODT_MENU;
      measure.itemID = info.wID;
      measure.itemData = info.dwItemData;
      MeasureMenuEntry(window, &measure);
      int w = (int)measure.itemWidth + Scaled(8), h = (int)measure.itemHeight;
      EXPECT_GE(h, Scaled(kMenuMinHeight));
      RgbImage px = Drawn(w, h, [&](HDC dc) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_MENU;
        draw.itemID = info.wID;
        draw.itemAction = ODA_DRAWENTIRE;
        draw.hDC = dc;
        draw.rcItem = {0, 0, w, h};
        draw.itemData = info.dwItemData;
        DrawMenuEntry(&draw);
      });
      ASSERT_NE(nullptr, entry->Bitmap);
      ExpectScaledPicture(px, Scaled(2), Scaled(1), entry->Bitmap, "picture");
      EXPECT_LE(Scaled(1) + Scaled(16), h) << "picture cut";
      RECT box =
          InkBox(px, Scaled(kMenuTextIndent), 0, w, h, [&](unsigned long c) { return c == ink; });
      ASSERT_LE(box.left, box.right) << "no text";
      EXPECT_GE(box.bottom - box.top + 1, LeastCapitalHeight());
      // Nothing cut: the measured item leaves a margin below the text and room to its right.
      EXPECT_LT(box.bottom, h - 1);
      EXPECT_LT(box.right, (int)measure.itemWidth);
    }
  }
  DestroyWindow(window);
  ReleaseMenuEntries(gMainMenu);
  ReleaseMenuEntries(gSelectMenu);
  ReleaseMenuEntries(gFileListMenu);
  DestroyMenu(gMainMenu);
}

}  // namespace
