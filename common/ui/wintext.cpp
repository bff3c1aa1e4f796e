#include "wintext.h"

#include "path.h"

namespace {

int Length(const std::wstring &text) {
  return text.size() > 0x7FFFFFFF ? 0x7FFFFFFF : (int)text.size();
}

}  // namespace

std::string WindowTextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return "";
  std::wstring text((size_t)length + 1, L'\0');
  const int got = GetWindowTextW(window, &text[0], length + 1);
  text.resize(got > 0 ? (size_t)got : 0);
  return Utf8FromWide(text);
}

std::string DialogItemTextOf(HWND dialog, int id) {
  return WindowTextOf(GetDlgItem(dialog, id));
}

void SetWindowTextOf(HWND window, std::string_view text) {
  SetWindowTextW(window, WideFromUtf8(text).c_str());
}

void SetDialogItemTextOf(HWND dialog, int id, std::string_view text) {
  SetDlgItemTextW(dialog, id, WideFromUtf8(text).c_str());
}

int ShowMessageBox(HWND owner, std::string_view text, std::string_view title, UINT style) {
  return MessageBoxW(owner, WideFromUtf8(text).c_str(), WideFromUtf8(title).c_str(), style);
}

std::string FillIn(const char *format, std::string_view first, std::string_view second) {
  std::string filled;
  const std::string_view texts[] = {first, second};
  size_t next = 0;
  for (const char *at = format; *at; at++) {
    if (at[0] == '%' && at[1] == 's') {
      if (next < 2) filled.append(texts[next]);
      next++;
      at++;
    } else {
      filled.push_back(*at);
    }
  }
  return filled;
}

void DrawTextOf(HDC dc, std::string_view text, RECT *area, UINT format) {
  const std::wstring wide = WideFromUtf8(text);
  DrawTextW(dc, wide.c_str(), Length(wide), area, format);
}

void TextOutOf(HDC dc, int x, int y, std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  TextOutW(dc, x, y, wide.c_str(), Length(wide));
}

void ExtTextOutOf(HDC dc, int x, int y, UINT options, const RECT *clip, std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  ExtTextOutW(dc, x, y, options, clip, wide.c_str(), (UINT)Length(wide), nullptr);
}

SIZE TextExtentOf(HDC dc, std::string_view text) {
  const std::wstring wide = WideFromUtf8(text);
  SIZE size = {0, 0};
  GetTextExtentPoint32W(dc, wide.c_str(), Length(wide), &size);
  return size;
}
