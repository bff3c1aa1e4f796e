// Holding a critical section for the life of a block: the window thread and a worker (reading
// ahead, listing folders) share their state under one.
#pragma once

#include <windows.h>

class ScopedLock {
 public:
  explicit ScopedLock(CRITICAL_SECTION *section) : section_(section) {
    EnterCriticalSection(section_);
  }
  ~ScopedLock() { LeaveCriticalSection(section_); }
  ScopedLock(const ScopedLock &) = delete;
  ScopedLock &operator=(const ScopedLock &) = delete;

 private:
  CRITICAL_SECTION *section_;
};
