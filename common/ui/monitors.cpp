#include "monitors.h"

namespace {

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MonitorLayout *layout = reinterpret_cast<MonitorLayout *>(data);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoA(monitor, &info)) return TRUE;
  if (layout->count >= kMaxMonitors) return FALSE;
  RECT *slot = &layout->rect[layout->count++];
  *slot = info.rcMonitor;
  if ((info.dwFlags & MONITORINFOF_PRIMARY) && slot != &layout->rect[0]) {
    RECT first = layout->rect[0];
    layout->rect[0] = *slot;
    *slot = first;
  }
  return TRUE;
}

}  // namespace

int ReadMonitorLayout(MonitorLayout *layout) {
  *layout = MonitorLayout{};
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(layout));
  if (layout->count == 0) {
    layout->count = 1;
    layout->rect[0] = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return layout->count;
}

int DistinctMonitorSizes(const MonitorLayout &layout, ScreenSize *sizes, int maxSizes) {
  int count = 0;
  for (int i = 0; i < layout.count; i++) {
    ScreenSize size = {layout.rect[i].right - layout.rect[i].left,
                       layout.rect[i].bottom - layout.rect[i].top};
    bool seen = false;
    for (int j = 0; j < count && !seen; j++)
      seen = sizes[j].width == size.width && sizes[j].height == size.height;
    if (!seen && count < maxSizes) sizes[count++] = size;
  }
  return count;
}
