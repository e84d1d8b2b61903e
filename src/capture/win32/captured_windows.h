// What the program knows of each window it captured: the window, its host
// tab, and where the window came from. With this every captured window is
// handed back to the desktop, visible and on screen, whenever the program
// ends — by the user's exit, the end of the Windows session, the main
// window's destruction, or a crash — so a captured program never dies with
// Nookvale and nobody's unsaved work is lost.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/win32/emergency.h"

namespace nv {

class TTabSheet;

struct CaptureRecord {
  HWND window = nullptr;  // null when the capture found no window
  TTabSheet* tab = nullptr;
  HWND originalParent = nullptr;
  WINDOWPLACEMENT placement{};  // as it was before the capture
  bool wasVisible = false;
};

class CapturedWindows {
 public:
  CapturedWindows();
  ~CapturedWindows();
  CapturedWindows(const CapturedWindows&) = delete;
  CapturedWindows& operator=(const CapturedWindows&) = delete;

  // Remembers where a window is before it is captured.
  static CaptureRecord Describe(HWND window, TTabSheet* tab);
  void Add(const CaptureRecord& r) { records_.push_back(r); }
  std::vector<CaptureRecord>& Records() { return records_; }
  void Erase(size_t index);

  // Gives every still existing captured window back to the desktop as a
  // visible top-level window at a place on screen, and forgets them all.
  // Safe to call more than once and from the crash handler.
  void ReleaseAll();
  static void Release(const CaptureRecord& r);

  // Makes a crash, std::terminate and the end of the session release the
  // windows of this list.
  void InstallCrashHandler();

 private:
  std::vector<CaptureRecord> records_;
  ScopedEmergencyAction crashAction_;
};

}  // namespace nv
