#include "files/win32/file_ops.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

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

// Every name in a directory, read before anything in it changes.
std::vector<std::string> EntryNames(const std::string& dir) {
  std::vector<std::string> names;
  ForEachEntry(dir, [&](const WIN32_FIND_DATAW& fd) { names.push_back(Narrow(fd.cFileName)); });
  return names;
}

std::u16string ToU16(const std::wstring& w) { return std::u16string(w.begin(), w.end()); }

bool IsLiteral(const std::string& path) {
  return path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0;
}

// Whether the shell, which takes plain paths only, would reach exactly this
// item.
bool ShellCanName(const std::string& exact) {
  return !exact.empty() && !IsLiteral(exact) && !PlainFormAltersName(exact) && Widen(exact).size() < MAX_PATH;
}

// from and to are exact full paths.
bool ShellOperation(UINT func, const std::string& from, const std::string* to, FILEOP_FLAGS flags) {
  const auto fromList = OneEntryList(ToU16(Widen(from)));
  if (!fromList) return false;
  std::optional<std::u16string> toList;
  if (to) {
    toList = OneEntryList(ToU16(Widen(*to)));
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

// --- our own walk over the literal form, for what the shell cannot name ---

void ClearReadOnly(const std::wstring& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_READONLY)
    ::SetFileAttributesW(path.c_str(), attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
}

bool DeleteTreeLiterally(const std::string& path) {
  const std::wstring w = FileApiPath(path);
  const DWORD a = ::GetFileAttributesW(w.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  ClearReadOnly(w, a);
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return ::DeleteFileW(w.c_str()) != FALSE;
  // A junction or link goes itself; what it points at is not ours to delete.
  if (!(a & FILE_ATTRIBUTE_REPARSE_POINT)) {
    bool ok = true;
    for (const std::string& n : EntryNames(path)) ok = DeleteTreeLiterally(JoinPath(path, n)) && ok;
    if (!ok) return false;
  }
  return ::RemoveDirectoryW(w.c_str()) != FALSE;
}

bool CopyTreeLiterally(const std::string& from, const std::string& to) {
  const std::wstring wf = FileApiPath(from), wt = FileApiPath(to);
  const DWORD a = ::GetFileAttributesW(wf.c_str());
  if (a == INVALID_FILE_ATTRIBUTES) return false;
  if (!(a & FILE_ATTRIBUTE_DIRECTORY)) return ::CopyFileW(wf.c_str(), wt.c_str(), TRUE) != FALSE;
  if (!::CreateDirectoryW(wt.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  bool ok = true;
  for (const std::string& n : EntryNames(from)) ok = CopyTreeLiterally(JoinPath(from, n), JoinPath(to, n)) && ok;
  return ok;
}

// As the shell reads a destination: into it when it is a directory, else the
// item takes that path.
std::string TreeTarget(const std::string& from, const std::string& to) {
  if (!DirectoryExists(to)) return to;
  const size_t slash = from.find_last_of('\\');
  return JoinPath(to, slash == std::string::npos ? from : from.substr(slash + 1));
}

bool IsSameOrInside(const std::string& inner, const std::string& outer) {
  const std::string i = AsciiLower(WithoutLiteralPrefix(inner)), o = AsciiLower(WithoutLiteralPrefix(outer));
  return i == o || i.rfind(o + "\\", 0) == 0;
}

bool CopyTreeInto(const std::string& from, const std::string& to) {
  const std::string target = TreeTarget(from, to);
  // A tree copied into itself would never end.
  if (IsSameOrInside(target, from)) return false;
  return CopyTreeLiterally(from, target);
}

bool MoveTreeInto(const std::string& from, const std::string& to) {
  const std::string target = TreeTarget(from, to);
  if (IsSameOrInside(target, from)) return false;
  if (::MoveFileExW(FileApiPath(from).c_str(), FileApiPath(target).c_str(), 0)) return true;
  // Another volume: a copy, and the original goes only when all of it
  // arrived.
  if (::GetLastError() != ERROR_NOT_SAME_DEVICE) return false;
  return CopyTreeLiterally(from, target) && DeleteTreeLiterally(from);
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

std::string ExactFullPath(const std::string& utf8) {
  std::string p = utf8;
  std::replace(p.begin(), p.end(), '/', '\\');
  if (p.empty() || IsLiteral(p)) return p;
  // A server without a share names nothing that can be resolved.
  if (p.rfind("\\\\", 0) == 0) return RootOf(p).empty() ? p : NormalizeFullPath(p);
  const bool drive = p.size() >= 2 && p[1] == ':' && ((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z'));
  if (drive && (p.size() == 2 || p[2] == '\\')) return NormalizeFullPath(p);
  // Only the system knows the current directories an incomplete path hangs
  // from; the rest is resolved here, where trailing dots and spaces survive.
  std::string base, rest;
  if (drive) {
    base = SystemFullPath(p.substr(0, 2));
    rest = p.substr(2);
  } else if (p[0] == '\\') {
    base = RootOf(SystemFullPath("."));
    rest = p.substr(1);
  } else {
    base = SystemFullPath(".");
    rest = p;
  }
  if (RootOf(base).empty()) return p;
  return NormalizeFullPath(JoinPath(base, rest));
}

std::string SystemFullPath(const std::string& utf8) { return Narrow(FullPath(Widen(utf8))); }

std::wstring FileApiPath(const std::string& utf8) {
  const std::string exact = ExactFullPath(utf8);
  const std::wstring w = Widen(exact);
  if (IsLiteral(exact) || RootOf(exact).empty()) return w;
  if (w.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + w.substr(2);
  return L"\\\\?\\" + w;
}

std::string PlainPathFor(const std::string& path) {
  const std::string exact = ExactFullPath(path);
  if (ShellCanName(exact)) return exact;
  const std::wstring w = FileApiPath(exact);
  const DWORD n = ::GetShortPathNameW(w.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring shortName(n, L'\0');
  if (::GetShortPathNameW(w.c_str(), shortName.data(), n) != n - 1) return {};
  shortName.resize(n - 1);
  const std::string plain = WithoutLiteralPrefix(Narrow(shortName));
  return ShellCanName(plain) ? plain : std::string();
}

ProtectedFolders SystemProtectedFolders() {
  ProtectedFolders f;
  wchar_t buf[MAX_PATH + 1] = {};
  const UINT n = ::GetWindowsDirectoryW(buf, MAX_PATH + 1);
  if (n > 0 && n <= MAX_PATH) f.windows = NormalizeDirectory(Narrow(buf));
  wchar_t profile[MAX_PATH + 1] = {};
  if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_PROFILE, nullptr, SHGFP_TYPE_CURRENT, profile)))
    f.profile = NormalizeDirectory(Narrow(profile));
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    const DWORD got = ::GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (got == 0) return f;
    if (got < module.size()) {
      module.resize(got);
      break;
    }
    module.resize(module.size() * 2);
  }
  f.program = NormalizeDirectory(ParentWithBackslash(WithoutLiteralPrefix(Narrow(module))));
  return f;
}

std::optional<std::string> RefusalFor(const std::string& path, const ProtectedFolders& folders, PathAction action) {
  std::string exact = ExactFullPath(path);
  // A short 8.3 name would slip past the comparison with the long names.
  if (exact.find('~') != std::string::npos) {
    const std::wstring w = FileApiPath(exact);
    const DWORD n = ::GetLongPathNameW(w.c_str(), nullptr, 0);
    std::wstring longName(n, L'\0');
    if (n > 0 && ::GetLongPathNameW(w.c_str(), longName.data(), n) == n - 1) {
      longName.resize(n - 1);
      exact = WithoutLiteralPrefix(Narrow(longName));
    }
  }
  if (auto why = RefusalReason(exact, folders, action)) return why;
  // The plain reading is what the same text means to every other program.
  if (!path.empty() && !IsLiteral(exact)) return RefusalReason(SystemFullPath(path), folders, action);
  return std::nullopt;
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
  const std::string from = ExactFullPath(source), to = ExactFullPath(destination);
  if (from.empty() || to.empty()) return false;
  if (ShellCanName(from) && ShellCanName(to)) return ShellOperation(FO_MOVE, from, &to, FOF_FILESONLY);
  return MoveTreeInto(from, to);
}

bool ShellCopyDir(const std::string& source, const std::string& destination) {
  const std::string from = ExactFullPath(source), to = ExactFullPath(destination);
  if (from.empty() || to.empty()) return false;
  if (ShellCanName(from) && ShellCanName(to)) return ShellOperation(FO_COPY, from, &to, FOF_FILESONLY);
  return CopyTreeInto(from, to);
}

bool ShellDeleteDir(const std::string& path) {
  const std::string exact = ExactFullPath(path);
  if (exact.empty()) return false;
  if (ShellCanName(exact)) return ShellOperation(FO_DELETE, exact, nullptr, FOF_SILENT | FOF_NOCONFIRMATION);
  return DeleteTreeLiterally(exact);
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
  const std::string target = NormalizeDirectory(WithoutLiteralPrefix(ExactFullPath(path)));
  if (IsRootPath(target)) return {};
  const std::string lc = AsciiLower(current), lt = AsciiLower(target);
  if (lc != lt && lc.rfind(lt + "\\", 0) != 0) return {};
  ::SetCurrentDirectoryW(Widen(NormalizeDirectory(ParentWithBackslash(target))).c_str());
  return current;
}

}  // namespace nv
