// The monitors of the desktop, for drawing a picture on each of them: their rectangles in
// virtual-screen coordinates (a monitor left of or above the primary has negative ones) and
// the distinct sizes among them.
#pragma once

#include <windows.h>

const int kMaxMonitors = 16;  // further monitors are left black

struct MonitorLayout {
  int count;
  RECT rect[kMaxMonitors];  // the primary monitor first, then in the system's order
};

// The monitors as EnumDisplayMonitors reports them. With none reported (or the call missing),
// one monitor of the primary screen's size at (0, 0). Returns the count.
int ReadMonitorLayout(MonitorLayout *layout);

// The sizes of the layout's monitors, each once, in the layout's order. Returns the count.
struct ScreenSize {
  int width, height;
};
int DistinctMonitorSizes(const MonitorLayout &layout, ScreenSize *sizes, int maxSizes);
