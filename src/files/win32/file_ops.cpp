#include "files/win32/file_ops.h"

#include <shellapi.h>

#include "files/file_paths.h"
#include "ui/text.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

namespace {

struct FindTraits {
  using handle_type = HANDLE;
  static HANDLE Invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool IsValid(HANDLE h) noexcept { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(HANDLE h) noexcept { ::FindClose(h); }
};
using UniqueFind = UniqueHandle<FindTraits>;

// Directories longer than this cannot be made with the plain form.
constexpr size_t kPlainPathLimit = MAX_PATH - 12;

std::wstring FullPath(const std::wstring& w) {
  if (w.empty()) return w;
  DWORD n = ::GetFullPathNameW(w.c_str(), 0, nullptr, nullptr);
  if (n == 0) return w;
  std::wstring full(n, L'\0');
  n = ::GetFullPathNameW(w.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return full;
}

template <class Visit>
void ForEachEntry(const std::string& dir, Visit visit) {
  WIN32_FIND_DATAW fd;
  UniqueFind find(::FindFirstFileW(FileApiPath(JoinPath(dir, "*")).c_str(), &fd));
  if (!find) return;
  do {
    const std::wstring name = fd.cFileName;
    if (name == L"." || name == L"..") continue;
    visit(fd);
  } while (::FindNextFileW(find.get(), &fd));
}

std::u16string ToU16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

// The shell works with plain full paths (it takes no "\\?\" form); relative
// text is resolved here, not against whatever the current directory is.
bool ShellOperation(UINT func, const std::string& from, const std::string* to, FILEOP_FLAGS flags) {
  const auto fromList = OneEntryList(ToU16(FullPath(Widen(from))));
  if (!fromList) return false;
  std::optional<std::u16string> toList;
  if (to) {
    toList = OneEntryList(ToU16(FullPath(Widen(*to))));
    if (!toList) return false;
  }
  SHFILEOPSTRUCTW op;
  ::ZeroMemory(&op, sizeof op);
  op.hwnd = nullptr;
  op.wFunc = func;
  op.pFrom = reinterpret_cast<const wchar_t*>(fromList->c_str());
  op.pTo = toList ? reinterpret_cast<const wchar_t*>(toList->c_str()) : nullptr;
  op.fFlags = flags;
  op.lpszProgressTitle = nullptr;
  op.hNameMappings = nullptr;
  return ::SHFileOperationW(&op) == 0;
}

bool ToLocalDos(const FILETIME& ft, std::uint32_t& value) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToDosDateTime(&local, &date, &time)) return false;
  value = (static_cast<std::uint32_t>(date) << 16) | time;
  return true;
}

std::wstring LocaleText(LCTYPE type) {
  wchar_t buf[128] = {};
  const int n = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, type, buf, 128);
  return n > 1 ? std::wstring(buf, static_cast<size_t>(n - 1)) : std::wstring();
}

}  // namespace

std::wstring FileApiPath(const std::string& utf8) {
  std::wstring w = Widen(utf8);
  if (w.rfind(L"\\\\?\\", 0) == 0) return w;
  w = FullPath(w);
  if (w.size() < kPlainPathLimit) return w;
  if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
  return L"\\\\?\\" + w;
}

std::vector<std::string> ListSubdirectories(const std::string& dir) {
  std::vector<std::string> names;
  ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) names.push_back(Narrow(fd.cFileName));
  });
  return names;
}

std::vector<std::string> ListFiles(const std::string& dir) {
  std::vector<std::string> names;
  ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(Narrow(fd.cFileName));
  });
  return names;
}

bool DirectoryExists(const std::string& dir) {
  const DWORD a = ::GetFileAttributesW(FileApiPath(dir).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ShellMoveDir(const std::string& source, const std::string& destination) {
  return ShellOperation(FO_MOVE, source, &destination, FOF_FILESONLY);
}

bool ShellCopyDir(const std::string& source, const std::string& destination) {
  return ShellOperation(FO_COPY, source, &destination, FOF_FILESONLY);
}

bool ShellDeleteDir(const std::string& path) {
  return ShellOperation(FO_DELETE, path, nullptr, FOF_SILENT | FOF_NOCONFIRMATION);
}

bool DeleteFileAt(const std::string& path) {
  return !path.empty() && ::DeleteFileW(FileApiPath(path).c_str()) != FALSE;
}

bool MoveFileAt(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() && ::MoveFileW(FileApiPath(from).c_str(), FileApiPath(to).c_str()) != FALSE;
}

bool CopyFileAt(const std::string& from, const std::string& to) {
  return !from.empty() && !to.empty() &&
         ::CopyFileW(FileApiPath(from).c_str(), FileApiPath(to).c_str(), TRUE) != FALSE;
}

bool MakeDirectoryAt(const std::string& path) {
  return !path.empty() && ::CreateDirectoryW(FileApiPath(path).c_str(), nullptr) != FALSE;
}

std::int64_t FileAge(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (path.empty() || !::GetFileAttributesExW(FileApiPath(path).c_str(), GetFileExInfoStandard, &data)) return -1;
  if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
  std::uint32_t value = 0;
  if (!ToLocalDos(data.ftLastWriteTime, value)) return -1;
  return value;
}

std::optional<DosDateTime> GetFileLastAccess(const std::string& path) {
  WIN32_FIND_DATAW fd;
  {
    UniqueFind find(::FindFirstFileW(FileApiPath(path).c_str(), &fd));
    if (path.empty() || !find) return std::nullopt;
  }
  std::uint32_t value = 0;
  if (!ToLocalDos(fd.ftLastAccessTime, value)) return std::nullopt;
  return DecodeDosDateTime(value);
}

std::string ShortDateText(const DosDateTime& t) {
  DateNames names;
  for (int i = 0; i < 12; ++i) {
    const std::wstring m = LocaleText(static_cast<LCTYPE>(LOCALE_SMONTHNAME1 + i));
    const std::wstring a = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVMONTHNAME1 + i));
    if (!m.empty()) names.months[static_cast<size_t>(i)] = Narrow(m);
    if (!a.empty()) names.shortMonths[static_cast<size_t>(i)] = Narrow(a);
  }
  // The locale counts its days from Monday; the names here from Sunday.
  for (int i = 0; i < 7; ++i) {
    const std::wstring d = LocaleText(static_cast<LCTYPE>(LOCALE_SDAYNAME1 + i));
    const std::wstring a = LocaleText(static_cast<LCTYPE>(LOCALE_SABBREVDAYNAME1 + i));
    const size_t k = static_cast<size_t>((i + 1) % 7);
    if (!d.empty()) names.days[k] = Narrow(d);
    if (!a.empty()) names.shortDays[k] = Narrow(a);
  }
  std::wstring picture = LocaleText(LOCALE_SSHORTDATE);
  if (picture.empty()) picture = L"M/d/yyyy";
  return FormatDatePicture(Narrow(picture), t, names);
}

}  // namespace nv

namespace nv {

bool PathExists(const std::string& path) {
  return !path.empty() && ::GetFileAttributesW(FileApiPath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReleaseCurrentDirectory(const std::string& path) {
  DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  if (n == 0 || path.empty()) return {};
  std::wstring cur(n, L'\0');
  n = ::GetCurrentDirectoryW(n, cur.data());
  cur.resize(n);
  const std::string current = NormalizeDirectory(Narrow(cur));
  const std::string target = NormalizeDirectory(Narrow(FullPath(Widen(path))));
  if (IsRootPath(target)) return {};
  const std::string lc = AsciiLower(current), lt = AsciiLower(target);
  if (lc != lt && lc.rfind(lt + "\\", 0) != 0) return {};
  ::SetCurrentDirectoryW(Widen(NormalizeDirectory(ParentWithBackslash(target))).c_str());
  return current;
}

}  // namespace nv
