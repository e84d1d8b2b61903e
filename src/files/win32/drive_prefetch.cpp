#include "files/win32/drive_prefetch.h"

#include <objbase.h>

#include <future>
#include <mutex>
#include <utility>

#include "files/win32/check_list_box.h"
#include "files/win32/file_ops.h"
#include "ui/win32/system_function.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

std::string DriveText(char letter) {
  const std::wstring root = std::wstring(1, static_cast<wchar_t>(letter)) + L":\\";
  std::string text = std::string(1, static_cast<char>(letter - 'A' + 'a')) + ":";
  const UINT type = ::GetDriveTypeW(root.c_str());
  // Floppies are not spun up just for their labels.
  if (type == DRIVE_REMOVABLE) return text;
  wchar_t label[MAX_PATH + 1] = {};
  if (::GetVolumeInformationW(root.c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0) &&
      label[0])
    text += " [" + Narrow(label) + "]";
  return text;
}

struct Prefetch {
  std::mutex lock;
  std::future<std::pair<DWORD, std::vector<DriveEntry>>> result;
  bool running = false;  // the thread reads
  bool pending = false;  // the file pane waits for pictures
  HWND notify = nullptr;
  UINT message = 0;
};

Prefetch& State() {
  static Prefetch p;
  return p;
}

using SetThreadErrorModeFn = BOOL(WINAPI*)(DWORD, LPDWORD);

SetThreadErrorModeFn ThreadErrorModeCall() {
  static const SetThreadErrorModeFn fn =
      SystemFunction<SetThreadErrorModeFn>(L"kernel32.dll", "SetThreadErrorMode");
  return fn;
}

// With the lock held.
void EndLocked(Prefetch& p) {
  p.running = false;
  if (!p.pending) return;
  p.pending = false;
  if (p.notify) ::PostMessageW(p.notify, p.message, 0, 0);
}

void Ended() {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  EndLocked(p);
}

}  // namespace

QuietDriveErrors::QuietDriveErrors() {
  if (SetThreadErrorModeFn set = ThreadErrorModeCall()) threadMode_ = set(kQuiet, &old_) != FALSE;
  if (!threadMode_) old_ = ::SetErrorMode(kQuiet);
}

QuietDriveErrors::~QuietDriveErrors() {
  if (threadMode_) ThreadErrorModeCall()(old_, nullptr);
  else ::SetErrorMode(old_);
}

std::vector<DriveEntry> ReadDrives(bool pictures) {
  QuietDriveErrors quiet;
  std::vector<DriveEntry> drives;
  const DWORD mask = ::GetLogicalDrives();
  for (int i = 0; i < 26; ++i) {
    if (!(mask & (1u << i))) continue;
    DriveEntry d;
    d.letter = static_cast<char>('A' + i);
    d.text = DriveText(d.letter);
    if (pictures) d.image = ShellImageForPath(std::string(1, d.letter) + ":\\");
    drives.push_back(std::move(d));
  }
  return drives;
}

void PrefetchDrives() {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  if (p.running) return;
  p.running = true;
  try {
    p.result = std::async(std::launch::async, [] {
      // The shell asks for COM on the threads that read its pictures.
      const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
      std::pair<DWORD, std::vector<DriveEntry>> r;
      try {
        SystemSmallImages();
        r.first = ::GetLogicalDrives();
        r.second = ReadDrives();
        // The file pane opens on the current directory: its file types'
        // and the folders' pictures are looked up now too.
        ShellImageForFolder(false);
        ShellImageForFolder(true);
        wchar_t cur[MAX_PATH] = {};
        const DWORD n = ::GetCurrentDirectoryW(MAX_PATH, cur);
        if (n > 0 && n < MAX_PATH)
          for (const std::string& name : ListFiles(Narrow(cur))) ShellImageForFileType(name);
      } catch (...) {
        r.first = 0;  // read again on the window's thread
      }
      if (SUCCEEDED(com)) ::CoUninitialize();
      Ended();
      return r;
    });
  } catch (...) {
    // No thread to spare: the file pane reads the pictures itself.
    EndLocked(p);
  }
}

void DeferShellPictures() {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  p.pending = true;
}

bool ShellPicturesPending() {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  return p.pending;
}

void NotifyWhenPrefetched(HWND window, UINT msg) {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  p.notify = window;
  p.message = msg;
}

void StopNotifying(HWND window) {
  Prefetch& p = State();
  std::lock_guard<std::mutex> hold(p.lock);
  if (p.notify == window) p.notify = nullptr;
}

std::vector<DriveEntry> TakeDrives() {
  Prefetch& p = State();
  std::future<std::pair<DWORD, std::vector<DriveEntry>>> pending;
  {
    std::lock_guard<std::mutex> hold(p.lock);
    pending = std::move(p.result);
  }
  if (pending.valid()) {
    std::pair<DWORD, std::vector<DriveEntry>> r = pending.get();
    if (r.first != 0 && r.first == ::GetLogicalDrives()) return std::move(r.second);
  }
  return ReadDrives();
}

}  // namespace nv
