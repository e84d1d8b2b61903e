// The drive box's contents (labels and shell pictures) read on a thread of
// their own while the rest of the window is built: the shell's image list
// and the volume labels are the slowest things the file pane asks for, and
// nothing waits for them until the drive box is filled.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace nv {

struct DriveEntry {
  char letter = 0;     // upper case
  std::string text;    // "c: [label]"
  int image = -1;      // index in the system's small image list
};

// No "insert a disk" box from the system while drives are asked. The
// thread's own mode where the system has one (Windows 7 on), so a read on
// another thread does not change what the window's thread shows.
class QuietDriveErrors {
 public:
  QuietDriveErrors();
  ~QuietDriveErrors();
  QuietDriveErrors(const QuietDriveErrors&) = delete;
  QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

 private:
  static constexpr UINT kQuiet = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
  DWORD old_ = 0;
  bool threadMode_ = false;
};

// The logical drives as the drive box shows them, with their shell pictures
// or (image -1) without. Safe on any thread.
std::vector<DriveEntry> ReadDrives(bool pictures = true);

// Starts ReadDrives (and the shell's image list, and the pictures of the
// current directory's files) on a thread, unless one is reading already.
void PrefetchDrives();
// From now until that thread has ended, the file pane shows its lines
// without pictures rather than read them itself: start-up calls this before
// the window is built and starts the thread once it is shown, because on
// two cores the thread slows the building of the window more than it saves.
void DeferShellPictures();
// True from DeferShellPictures until the thread has ended.
bool ShellPicturesPending();
// When pictures were pending, the thread's end posts msg to this window
// (one window at a time), which then looks its pictures up.
void NotifyWhenPrefetched(HWND window, UINT msg);
// Forgets the window if it is the one to be told.
void StopNotifying(HWND window);
// The prefetched drives, waiting for the thread when it is still reading,
// when they are the drives there are now (mask from GetLogicalDrives);
// read afresh otherwise. Later calls read afresh.
std::vector<DriveEntry> TakeDrives();

}  // namespace nv
