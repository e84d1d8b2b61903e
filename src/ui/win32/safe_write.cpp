#include "ui/win32/safe_write.h"

#include <windows.h>

#include <algorithm>
#include <atomic>

#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

std::string TemporaryBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  return path + ".~" + std::to_string(::GetCurrentProcessId()) + "-" + std::to_string(::GetTickCount()) + "-" +
         std::to_string(counter++) + ".tmp";
}

bool TargetWritable(const std::wstring& target) {
  const DWORD attrs = ::GetFileAttributesW(target.c_str());
  if (attrs == INVALID_FILE_ATTRIBUTES) return true;  // a new file
  return (attrs & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

bool WriteAll(const std::wstring& path, std::string_view bytes) {
  UniqueKernelHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 20));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return ::FlushFileBuffers(file.get()) != FALSE;
}

bool PutInPlace(const std::wstring& temp, const std::wstring& target) {
  if (::MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  ::DeleteFileW(temp.c_str());
  return false;
}

}  // namespace

bool WriteFileSafely(const std::string& path, std::string_view bytes) {
  const std::wstring target = Widen(path);
  if (path.empty() || !TargetWritable(target)) return false;
  const std::wstring temp = Widen(TemporaryBeside(path));
  if (!WriteAll(temp, bytes)) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  return PutInPlace(temp, target);
}

bool ReplaceFileWith(const std::string& path, const std::function<bool(const std::string& tempPath)>& write) {
  const std::wstring target = Widen(path);
  if (path.empty() || !TargetWritable(target)) return false;
  const std::string tempUtf8 = TemporaryBeside(path);
  const std::wstring temp = Widen(tempUtf8);
  bool ok = false;
  try {
    ok = write(tempUtf8);
  } catch (...) {
    ok = false;
  }
  if (!ok) {
    ::DeleteFileW(temp.c_str());
    return false;
  }
  return PutInPlace(temp, target);
}

}  // namespace nv
