// Window texts, message boxes and GDI text in UTF-8, through the wide calls: the programs'
// texts are UTF-8, and GDI draws a UTF-8 code page's bytes as nothing better than the ANSI
// ones, so every text goes to the system as UTF-16 here.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// A window's or control's text; "" when it has none.
std::string WindowTextOf(HWND window);
std::string DialogItemTextOf(HWND dialog, int id);

void SetWindowTextOf(HWND window, std::string_view text);
void SetDialogItemTextOf(HWND dialog, int id, std::string_view text);

int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT style);

// The format with each "%s" in turn replaced by the next text (a missing one by ""); nothing
// is cut.
std::string FillIn(const char *format, std::string_view first, std::string_view second = {});

// GDI text drawn and measured with the wide calls.
void DrawTextOf(HDC dc, std::string_view text, RECT *area, UINT format);
void TextOutOf(HDC dc, int x, int y, std::string_view text);
void ExtTextOutOf(HDC dc, int x, int y, UINT options, const RECT *clip, std::string_view text);
SIZE TextExtentOf(HDC dc, std::string_view text);
