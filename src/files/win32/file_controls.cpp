#include "files/win32/file_controls.h"

#include <commctrl.h>

#include "files/win32/drive_prefetch.h"
#include "files/win32/file_ops.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/win_text.h"

namespace nv {

// --- TCheckFileListBoxEx ------------------------------------------------------

void TCheckFileListBoxEx::SetDirectory(const std::string& dir) {
  const std::string d = NormalizeDirectory(dir);
  // Bare names typed into the commands resolve against the current
  // directory. A directory too long for it keeps the old one, which is why
  // the commands resolve names against Directory() themselves.
  ::SetCurrentDirectoryW(Widen(d).c_str());
  if (d == directory_) return;
  directory_ = d;
  Update();
}

void TCheckFileListBoxEx::Update() {
  const int old = ItemIndex();
  const std::string keep = old >= 0 && old < Count() ? Item(old) : std::string();
  std::vector<std::string> names = directory_.empty() ? std::vector<std::string>() : ListFiles(directory_);
  SortNames(names);
  std::vector<Line> lines;
  lines.reserve(names.size());
  for (std::string& n : names) {
    Line l;
    l.text = std::move(n);
    lines.push_back(std::move(l));
  }
  SetLines(std::move(lines));
  if (!keep.empty()) SetItemIndex(IndexOf(keep));
}

int TCheckFileListBoxEx::Picture(int index) const { return ShellImageForFileType(Item(index)); }

// --- TCheckDirectoryListBoxEx ---------------------------------------------------

void TCheckDirectoryListBoxEx::SetDirectory(const std::string& dir) {
  std::string d = NormalizeDirectory(dir);
  while (!IsRootPath(d) && !DirectoryExists(d)) {
    const std::string parent = NormalizeDirectory(ParentWithBackslash(d));
    if (parent.empty() || parent == d) break;
    d = parent;
  }
  directory_ = d;
  Update();
  if (OnChange) OnChange();
}

void TCheckDirectoryListBoxEx::Update() {
  if (!directory_.empty() && !IsRootPath(directory_) && !DirectoryExists(directory_)) {
    // The open directory went away (removed or moved): open what is left.
    SetDirectory(directory_);
    return;
  }
  const int old = ItemIndex();
  const std::string keep = old >= 0 && old < static_cast<int>(entries_.size())
                               ? entries_[static_cast<size_t>(old)].path
                               : std::string();
  entries_ = BuildDirectoryEntries(directory_, ListSubdirectories(directory_));
  std::vector<Line> lines;
  int open = -1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const DirEntry& e = entries_[i];
    Line l;
    l.text = e.text;
    l.level = e.level;
    if (e.kind != DirEntry::Sub) open = static_cast<int>(i);
    lines.push_back(std::move(l));
  }
  SetLines(std::move(lines));
  int select = open;
  if (!keep.empty()) {
    for (size_t i = 0; i < entries_.size(); ++i)
      if (entries_[i].path == keep) select = static_cast<int>(i);
  }
  SetItemIndex(select);
  if (FileList) FileList->SetDirectory(directory_);
}

int TCheckDirectoryListBoxEx::Picture(int index) const {
  const DirEntry& e = entries_[static_cast<size_t>(index)];
  const int image =
      e.kind == DirEntry::Root ? ShellImageForPath(e.path) : ShellImageForFolder(e.kind != DirEntry::Sub);
  return image >= 0 ? image : ShellImageForFolder(true);
}

std::string TCheckDirectoryListBoxEx::GetItemPath(int index) const {
  if (index < 0 || index >= static_cast<int>(entries_.size())) ThrowListIndexError(index);
  return entries_[static_cast<size_t>(index)].path;
}

void TCheckDirectoryListBoxEx::OpenCurrent() {
  const int i = ItemIndex();
  if (i < 0 || i >= Count()) return;
  SetDirectory(GetItemPath(i));
}

void TCheckDirectoryListBoxEx::DoubleClicked() {
  OpenCurrent();
  if (OnDblClick) OnDblClick();
}

// --- TDriveComboBoxEx ---------------------------------------------------------------

namespace {

// One small picture that draws nothing: it holds the place of the drives'
// pictures until the shell's are read.
UniqueImageList BlankPictureList() {
  const int cx = ::GetSystemMetrics(SM_CXSMICON), cy = ::GetSystemMetrics(SM_CYSMICON);
  UniqueImageList list(::ImageList_Create(cx, cy, ILC_COLOR32 | ILC_MASK, 1, 0));
  if (!list) return list;
  // Monochrome rows are padded to 16 bits; a set mask bit is transparent.
  const size_t bytes = static_cast<size_t>((cx + 15) / 16 * 2) * static_cast<size_t>(cy);
  const std::vector<unsigned char> transparent(bytes, 0xFF), black(bytes, 0);
  UniqueGdiObject image(::CreateBitmap(cx, cy, 1, 1, black.data()));
  UniqueGdiObject mask(::CreateBitmap(cx, cy, 1, 1, transparent.data()));
  if (!image || !mask ||
      ::ImageList_Add(list.get(), static_cast<HBITMAP>(image.get()), static_cast<HBITMAP>(mask.get())) < 0)
    list.reset();
  return list;
}

}  // namespace

void TDriveComboBoxEx::Create(TControl* parent, const std::string& name) {
  Name = name;
  CreateChildControl(parent, WC_COMBOBOXEXW, "", WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST);
  SetHeight(300);
  Update();
}

void TDriveComboBoxEx::Update() {
  const char shown = Drive();
  Perform(CB_RESETCONTENT);
  letters_.clear();
  // While the shell's pictures are read at start, the drives come without
  // them, their texts already where the pictures will put them; the
  // pictures follow with the next Update.
  const bool pictures = !ShellPicturesPending();
  if (pictures && !hasPictures_) {
    Perform(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(SystemSmallImages()));
    hasPictures_ = true;
    blank_.reset();
  } else if (!pictures && !blank_ && !hasPictures_) {
    blank_ = BlankPictureList();
    if (blank_) Perform(CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(blank_.get()));
  }
  for (const DriveEntry& d : pictures ? TakeDrives() : ReadDrives(false)) {
    std::wstring text = Widen(d.text);
    COMBOBOXEXITEMW it{};
    it.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
    it.iItem = static_cast<INT_PTR>(letters_.size());
    it.pszText = text.data();
    // The blank picture rather than none: not every version of the box
    // keeps a picture's place for an item that has none.
    it.iImage = it.iSelectedImage = d.image < 0 && blank_ ? 0 : d.image;
    Perform(CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&it));
    letters_.push_back(d.letter);
  }
  if (shown) SetDrive(shown);
}

int TDriveComboBoxEx::Count() const { return static_cast<int>(letters_.size()); }

std::string TDriveComboBoxEx::Item(int index) const {
  if (index < 0 || index >= Count()) ThrowListIndexError(index);
  wchar_t buf[MAX_PATH + 8] = {};
  COMBOBOXEXITEMW it{};
  it.mask = CBEIF_TEXT;
  it.iItem = index;
  it.pszText = buf;
  it.cchTextMax = MAX_PATH + 8;
  Perform(CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
  return Narrow(buf);
}

char TDriveComboBoxEx::Drive() const {
  const int i = static_cast<int>(Perform(CB_GETCURSEL));
  return i >= 0 && i < Count() ? letters_[static_cast<size_t>(i)] : 0;
}

void TDriveComboBoxEx::SetDrive(char letter) {
  const char up = AsciiUpper(std::string(1, letter))[0];
  for (size_t i = 0; i < letters_.size(); ++i)
    if (letters_[i] == up) Perform(CB_SETCURSEL, i);
}

void TDriveComboBoxEx::ChooseDrive(char letter) {
  SetDrive(letter);
  if (!DirList) return;
  const char back = DirList->Directory().empty() ? 0 : DirList->Directory()[0];
  QuietDriveErrors quiet;
  // The drive's own current directory (every drive keeps one).
  const std::wstring drive{static_cast<wchar_t>(letter), L':'};
  wchar_t buf[MAX_PATH] = {};
  const DWORD n = ::GetFullPathNameW(drive.c_str(), MAX_PATH, buf, nullptr);
  std::string dir = n > 0 && n < MAX_PATH ? Narrow(buf) : std::string(1, letter) + ":\\";
  if (!DirectoryExists(RootOf(dir))) {
    if (back) SetDrive(back);
    throw Exception("Drive " + std::string(1, letter) + ": is not ready");
  }
  DirList->SetDirectory(dir);
}

std::optional<LRESULT> TDriveComboBoxEx::Reflected(UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && HIWORD(wp) == CBN_SELCHANGE) {
    if (const char d = Drive()) ChooseDrive(d);
    return 0;
  }
  return std::nullopt;
}

}  // namespace nv
