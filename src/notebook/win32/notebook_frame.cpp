#include "notebook/win32/notebook_frame.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iterator>
#include <optional>
#include <set>

#include "richview/html.h"
#include "richview/rtf.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "richview/text_format.h"
#include "richview/win32/system_ansi_codec.h"
#include "ui/icon_ids.h"
#include "ui/win32/application.h"
#include "ui/win32/icons.h"
#include "ui/win32/safe_write.h"
#include "ui/win32/startup_trace.h"
#include "ui/win32/win_text.h"
#include "notebook/notebook_links.h"
#include "notebook/notebook_pictures.h"
#include "richview/win32/system_ansi_codec.h"
#include "notebook/win32/metafile_png.h"
#include "notebook/win32/picture_draw.h"
#include "rss/win32/embedded_wb.h"

namespace nv {

namespace {

constexpr const char* kOpenFilter =
    "RTF Files (*.rtf)|*.rtf|Text Files - autodetect (*.txt)|*.txt|ANSI Text Files (*.txt)|*.txt|"
    "Unicode Text Files (*.txt)|*.txt|RichView Format Files (*.rvf)|*.rvf|"
    "Nookvale encrypted notebook (*.nvx)|*.nvx|";
constexpr const char* kSaveFilter =
    "RichView Format files(*.rvf)|*.rvf|RTF Files (*.rtf)|*.rtf|Text (*.txt)|*.txt|Unicode Text (*.txt)|*.txt|"
    "HTML - with CSS (*.htm;*.html)|*.htm;*.html|HTML - Simplified (*.htm;*.html)|*.htm;*.html|"
    "Nookvale encrypted notebook (*.nvx)|*.nvx";
// The encrypted notebook comes after the other entries, so theirs keep
// their indexes.
constexpr int kOpenEncryptedIndex = 6;
constexpr int kSaveEncryptedIndex = 7;
constexpr const char* kPasswordCaption = "Encrypted notebook";
constexpr const char* kOpenPasswordPrompt = "Enter the password of the encrypted notebook:";
constexpr const char* kNewPasswordPrompt = "Enter a password to encrypt the notebook with:";
constexpr const char* kRepeatPasswordPrompt = "Enter the same password again:";
constexpr const char* kPasswordsDiffer = "The two passwords differ. The notebook was not saved.";
constexpr const char* kPasswordEmpty = "An empty password protects nothing. The notebook was not saved.";
constexpr const char* kRecoveryPasswordPrompt =
    "Nookvale ended without saving the encrypted notebook. Enter its password to restore the unsaved notes:";
constexpr const char* kExitSaveQuestion = "The notebook has unsaved changes. Save them before exiting?";
constexpr const char* kRestoreQuestion = "Nookvale ended without saving the notebook. Restore the unsaved notes?";
// How often the autosave looks at its schedule while changes wait.
constexpr unsigned kAutosaveCheckMs = 500;
constexpr const char* kUnicodeWarning =
    "Loading/Inserting Unicode data using non-Unicode text style.\r"
    "Text will be converted.\r"
    "Choose \"Unicode\" style in combo to use Unicode text style";

constexpr int kStandardSizes[] = {8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};
constexpr size_t kRecentSizes = 5;
// A toolbar button showing a 16 px picture, at 96 DPI.
constexpr int kPictureButtonWidth = 28;
constexpr UINT kFirstMenuId = 100;

int CALLBACK CollectFontName(const LOGFONTW* f, const TEXTMETRICW*, DWORD, LPARAM p) {
  // Vertical variants ("@Name") are not offered as faces of their own.
  if (f->lfFaceName[0] != L'@') reinterpret_cast<std::set<std::wstring>*>(p)->insert(f->lfFaceName);
  return 1;
}

void FillFontNames(TComboBox& list) {
  StartupTrace::Phase phase("fonts");
  std::set<std::wstring> names;
  HDC dc = ::GetDC(nullptr);
  LOGFONTW lf{};
  lf.lfCharSet = DEFAULT_CHARSET;
  ::EnumFontFamiliesExW(dc, &lf, CollectFontName, reinterpret_cast<LPARAM>(&names), 0);
  ::ReleaseDC(nullptr, dc);
  for (const std::wstring& n : names) list.Add(Narrow(n));
}

std::string WarningText(unsigned flags) {
  std::string s;
  if (flags & rvfwUnknownPicFmt) s += "unknown picture format;";
  if (flags & rvfwUnknownCtrlClass) s += "unknown control class;";
  if (flags & rvfwInvalidStyle) s += "text, paragraph or list style is not present;";
  if (flags & rvfwInvalidImageIndex) s += "invalid image-list index;";
  return s.empty() ? s : "\r(" + s + ")";
}

std::string FilePart(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The hourglass while a file is read or written.
class WaitCursor {
 public:
  WaitCursor() : old_(::SetCursor(::LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)))) {}
  ~WaitCursor() { ::SetCursor(old_ ? old_ : ::LoadCursorW(nullptr, MAKEINTRESOURCEW(32512))); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;

 private:
  HCURSOR old_;
};

std::optional<TParaAlignment> AlignmentKey(WORD key) {
  switch (key) {
    case 'L': return TParaAlignment::Left;
    case 'E': return TParaAlignment::Center;
    case 'R': return TParaAlignment::Right;
    case 'J': return TParaAlignment::Justify;
    default: return std::nullopt;
  }
}

UINT FindMessage() {
  static const UINT message = ::RegisterWindowMessageW(FINDMSGSTRINGW);
  return message;
}

}  // namespace

const std::vector<TNotebookFrame::MenuEntry>& TNotebookFrame::PopupMenu1Items() {
  static const std::vector<MenuEntry> items = {
      {"Open1", "Open", &TNotebookFrame::Open1Click},
      {"New1", "New", &TNotebookFrame::New1Click},
      {"N5", "-", nullptr},
      {"Save1", "Save", &TNotebookFrame::Save1Click},
      {"N4", "-", nullptr},
      {"Paste1", "Paste", &TNotebookFrame::Paste1Click},
      {"Copy1", "Copy", &TNotebookFrame::Copy1Click},
      {"Cut1", "Cut", &TNotebookFrame::Cut1Click},
      {"Delete1", "Delete", &TNotebookFrame::Delete1Click},
      {"MenuItem1", "-", nullptr},
      {"Redo1", "Redo", &TNotebookFrame::Redo1Click},
      {"Undo1", "Undo", &TNotebookFrame::Undo1Click},
      {"MenuItem2", "-", nullptr},
      {"SelectAll1", "Select All", &TNotebookFrame::SelectAll1Click},
      {"MenuItem3", "-", nullptr},
      {"Background1", "Background", &TNotebookFrame::Background1Click},
      {"InsertImage1", "Insert Image", &TNotebookFrame::InsertImage1Click},
  };
  return items;
}

void TNotebookFrame::CreateComponents() {
  OpenDialog.options = fdo::kHideReadOnly | fdo::kFileMustExist | fdo::kEnableSizing;
  SaveDialog.options = fdo::kOverwritePrompt | fdo::kHideReadOnly | fdo::kEnableSizing;
  SaveDialog.defaultExt = "eml";

  RichViewEdit1.Create(this, "RichViewEdit1");
  RichViewEdit1.PictureDrawer = DrawPicture;
  RichViewEdit1.GifIcoToPng = GifIcoToPng;
  RichViewEdit1.SetAlign(TAlign::alClient);
  RichViewEdit1.OnKeyDown = [this](WORD& key, unsigned shift) { RichViewEdit1KeyDown(key, shift); };
  RichViewEdit1.OnStyleConversion = [this](int styleNo, int code) {
    return RichViewEdit1StyleConversion(styleNo, code);
  };
  RichViewEdit1.OnCurTextStyleChanged = [this] { RichViewEdit1CurTextStyleChanged(); };
  RichViewEdit1.OnContextPopup = [this](POINT pt) { ShowPopup(pt); };
  RichViewEdit1.OnChange = [this] { DocumentChanged(); };
  RichViewEdit1.OnJump = [this](const std::string& target) { RichViewEdit1Jump(target); };
  RichViewEdit1.OnDropFile = [this](const std::string& path) { RichViewEdit1DropFile(path); };
  recovery_ = std::make_unique<TNotebookRecovery>(Host().SettingsFolder() + kRecoveryFileName);
  AutosaveTimer.Create(kAutosaveCheckMs);
  AutosaveTimer.OnTimer = [this] { AutosaveTick(); };
  ChoosePrinter = [this] { return ChoosePrinterTarget(Host().HostHandle(), Application().Title); };
  CreatePopupMenu();
  CreateToolbarItems();
  AlignControls();
}

void TNotebookFrame::LayoutComponents() {}

void TNotebookFrame::CreatePopupMenu() {
  popup_.reset(::CreatePopupMenu());
  UINT id = kFirstMenuId;
  for (const MenuEntry& e : PopupMenu1Items()) {
    if (std::string(e.caption) == "-") ::AppendMenuW(popup_.get(), MF_SEPARATOR, 0, nullptr);
    else ::AppendMenuW(popup_.get(), MF_STRING, id, Widen(e.caption).c_str());
    ++id;
  }
}

UINT TNotebookFrame::MenuItemId(const std::string& name) {
  const auto& items = PopupMenu1Items();
  for (size_t i = 0; i < items.size(); ++i)
    if (name == items[i].name) return kFirstMenuId + static_cast<UINT>(i);
  return 0;
}

void TNotebookFrame::UpdatePopupMenu1() {
  const std::pair<const char*, bool> states[] = {
      {"Undo1", RichViewEdit1.CanUndo()}, {"Redo1", RichViewEdit1.CanRedo()}, {"Cut1", RichViewEdit1.CanCut()},
      {"Copy1", RichViewEdit1.CanCopy()}, {"Paste1", RichViewEdit1.CanPaste()},
  };
  for (const auto& [name, enabled] : states)
    ::EnableMenuItem(popup_.get(), MenuItemId(name), MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

void TNotebookFrame::ShowPopup(POINT screen) {
  UpdatePopupMenu1();
  const UINT cmd = static_cast<UINT>(::TrackPopupMenu(popup_.get(), TPM_RETURNCMD | TPM_RIGHTBUTTON, screen.x,
                                                      screen.y, 0, RichViewEdit1.Handle(), nullptr));
  const auto& items = PopupMenu1Items();
  if (cmd >= kFirstMenuId && cmd < kFirstMenuId + items.size()) {
    const MenuEntry& e = items[cmd - kFirstMenuId];
    if (e.handler) (this->*e.handler)();
  }
}

bool TNotebookFrame::ClickMenuItem(const std::string& name) {
  for (const MenuEntry& e : PopupMenu1Items()) {
    if (name == e.name && e.handler) {
      (this->*e.handler)();
      return true;
    }
  }
  return false;
}

void TNotebookFrame::CreateToolbarItems() {
  TToolBar& bar = Host().Toolbar();
  // Nothing to act on until the notebook is on screen.
  for (int i = 0; i < kToolbarItems; ++i) ToolbarItem(i)->SetEnabled(false);
  SizeList.Create(&bar, "SizeList", true);
  for (int s : kStandardSizes) SizeList.Add(std::to_string(s));
  FontList.Create(&bar, "FontList", false);
  FillFontNames(FontList);
  bar.AddItem(SizeList, ui::Scaled(50));
  bar.AddItem(FontList, ui::Scaled(150));
  // The selectors apply what the user settled on, not every step on the
  // way: a size is typed digit by digit, and each font browsed with the
  // arrow keys would otherwise be applied (and undone) in turn. The focus
  // goes back to the text after a choice or Enter, never while typing, and
  // stays where the user moved it when the box loses it.
  SizeList.OnCommit = [this](TComboBox::TCommit how) {
    if (how == TComboBox::TCommit::Chosen) {
      SizeListChange();
      return;
    }
    // Enter and the focus leaving take what was typed into the edit.
    ApplySizeText(SizeList.Text());
    if (how == TComboBox::TCommit::Enter) FocusEditorIfShown();
  };
  FontList.OnCommit = [this](TComboBox::TCommit how) {
    if (how == TComboBox::TCommit::FocusLost) ApplyFontList();
    else FontListChange();
  };

  struct Item {
    TGlowButton* button;
    const char* name;
    const char* caption;
    const char* hint;
    int width;
    unsigned captionStyle;
    void (TNotebookFrame::*click)();
  };
  const Item items[] = {
      {&OpenBtn, "OpenBtn", "Open", "", 48, 0, &TNotebookFrame::OpenBtnClick},
      {&SaveBtn, "SaveBtn", "Save", "", 48, 0, &TNotebookFrame::SaveBtnClick},
      {&InsertImageBtn, "InsertImageBtn", "Image", "Insert Image", 52, 0, &TNotebookFrame::InsertImageBtnClick},
      {&ItalicBtn, "ItalicBtn", "I", "", 24, 2, &TNotebookFrame::ItalicBtnClick},
      {&BoldBtn, "BoldBtn", "B", "", 24, 1, &TNotebookFrame::BoldBtnClick},
      {&UnderlineBtn, "UnderlineBtn", "U", "", 24, 4, &TNotebookFrame::UnderlineBtnClick},
      {&LineBtn, "LineBtn", "Line", "Insert a line break", 44, 0, &TNotebookFrame::LineBtnClick},
      {&FontBtn, "FontBtn", "Font", "", 44, 0, &TNotebookFrame::FontbtnClick},
      {&EncryptBtn, "EncryptBtn", "Encrypt", "Encrypt current text to a file", 60, 0, &TNotebookFrame::EncryptBtnClick},
      {&DecryptBtn, "DecryptBtn", "Decrypt", "Decrypt from an encrypted text file", 60, 0,
       &TNotebookFrame::DecryptBtnClick},
  };
  static_assert(std::size(items) + 1 == std::size(ui::kToolbarIcons), "one picture per button, then RSSbtn's");
  for (size_t i = 0; i < std::size(items); ++i) {
    const Item& it = items[i];
    it.button->Create(&bar, it.name, it.caption);
    it.button->CaptionStyle = it.captionStyle;
    // The picture replaces the drawn caption; the caption stays the window
    // text and, unless the button has a longer hint, its tooltip.
    it.button->SetHint(*it.hint ? it.hint : it.caption);
    it.button->SetPicture(ui::LoadToolbarIcon(ui::kToolbarIcons[i], 16));
    auto click = it.click;
    it.button->OnClick = [this, click] { (this->*click)(); };
    bar.AddItem(*it.button, ui::Scaled(it.button->Picture() ? kPictureButtonWidth : it.width));
  }
  // Bold, italic and underline are check buttons: a click toggles them down.
  ItalicBtn.AllowAllUp = BoldBtn.AllowAllUp = UnderlineBtn.AllowAllUp = true;
  ItalicBtn.Tag = 2;
  BoldBtn.Tag = 1;
  UnderlineBtn.Tag = 3;
  bar.LayoutItems();
}

TControl* TNotebookFrame::ToolbarItem(int i) {
  TControl* items[kToolbarItems] = {&SizeList,       &FontList,  &OpenBtn, &SaveBtn,
                                    &InsertImageBtn, &ItalicBtn, &BoldBtn, &UnderlineBtn,
                                    &LineBtn,        &FontBtn,   &EncryptBtn, &DecryptBtn};
  return i >= 0 && i < kToolbarItems ? items[i] : nullptr;
}

void TNotebookFrame::InnerPageChanged(bool notebookOnScreen) {
  for (int i = 0; i < kToolbarItems; ++i) ToolbarItem(i)->SetEnabled(notebookOnScreen);
}

int TNotebookFrame::Box(BoxOwner owner, const std::string& text, const std::string& caption, unsigned flags) {
  return Host().FramePrompter().ShowBox(owner, text, caption, flags);
}

// ---------------------------------------------------------------- Open

void TNotebookFrame::UnicodeWarning() {
  const int cur = RichViewEdit1.CurTextStyleNo();
  if (rvs().HasTextStyle(cur) && rvs().TextStyle(cur).Unicode) return;
  Box(BoxOwner::Application, kUnicodeWarning, "Warning", mb::kOk | mb::kIconExclamation);
}

bool TNotebookFrame::ReadFile(const std::string& path, int filterIndex, int textStyle, int paraStyle) {
  TRVDocument& doc = RichViewEdit1.Document();
  const SystemAnsiCodec ansi;
  switch (filterIndex) {
    case 1: {
      const std::optional<std::string> bytes = ReadFileBytes(path);
      return bytes && LoadRTF(*bytes, doc);
    }
    case 2:
      if (IsUnicodeTextFile(path)) {
        UnicodeWarning();
        return LoadTextFromFile(path, doc, textStyle, paraStyle, false, TextEncoding::Utf16, ansi);
      }
      return LoadAnsiOrUtf8TextFromFile(path, doc, textStyle, paraStyle, ansi);
    case 3: return LoadAnsiOrUtf8TextFromFile(path, doc, textStyle, paraStyle, ansi);
    case 4:
      UnicodeWarning();
      return LoadTextFromFile(path, doc, textStyle, paraStyle, false, TextEncoding::Utf16, ansi);
    case 5: {
      unsigned warnings = 0;
      const bool ok = LoadRVFFromFile(path, doc, warnings);
      RichViewEdit1.RVFWarnings = warnings;
      return ok;
    }
    default: return false;
  }
}

void TNotebookFrame::Open1Click() {
  if (!SaveBeforeOpen()) return;
  OpenDialog.title = "Loading & Import";
  OpenDialog.filter = kOpenFilter;
  const std::optional<FileDialogResult> chosen = Host().FramePrompter().OpenDialog(OpenDialog);
  if (!chosen) return;
  OpenDialog.fileName = chosen->fileName;
  OpenDialog.filterIndex = chosen->filterIndex;
  if (chosen->filterIndex == kOpenEncryptedIndex) return OpenEncrypted(chosen->fileName);
  bool ok = false;
  {
    WaitCursor wait;
    const int t = RichViewEdit1.CurTextStyleNo();
    const int p = RichViewEdit1.CurParaStyleNo();
    RichViewEdit1.Clear();
    rvs().DefUnicodeStyle = -1;
    RichViewEdit1.SetCurTextStyleNo(t);
    RichViewEdit1.SetCurParaStyleNo(p);
    ok = ReadFile(chosen->fileName, chosen->filterIndex, t, p);
  }
  // The unsaved text was saved or knowingly given up in the question above.
  DiscardRecovery();
  ForgetDocumentSecret();
  // The quick save writes RichView Format: it may go back to the opened
  // file only when that is what the file holds; anything else would be
  // overwritten in a format the user did not choose.
  if (ok && chosen->filterIndex == 5) DocumentFileName = chosen->fileName;
  else DocumentFileName.clear();
  if (!ok) {
    std::string text = "Error during loading";
    if (chosen->filterIndex == 1) text += WarningText(RichViewEdit1.RVFWarnings);
    Box(BoxOwner::Application, text, "Error", mb::kOk);
  }
  RichViewEdit1.Format();
}

// ---------------------------------------------------------------- Save

bool TNotebookFrame::WriteFile(const std::string& path, int filterIndex) {
  const TRVDocument& doc = RichViewEdit1.Document();
  const SystemAnsiCodec ansi;
  HtmlExportOptions html;
  html.title = HtmlTitle;
  html.imagePrefix = "img";
  html.options = HtmlOptions;
  html.metafileToPng = MetafileToPng;  // metafiles go into pages as PNG files
  switch (filterIndex) {
    case 1: return WriteFileSafely(path, SaveRVF(doc));
    case 2: return WriteFileSafely(path, SaveRTF(doc, GifIcoToPng));
    case 3: return WriteFileSafely(path, SaveText(doc, 80, TextEncoding::Ansi, ansi));
    case 4: return WriteFileSafely(path, SaveText(doc, 80, TextEncoding::Utf16, ansi));
    case 5: return ReplaceFileWith(path, [&](const std::string& temp) { return SaveHTMLEx(doc, temp, html); });
    case 6: return ReplaceFileWith(path, [&](const std::string& temp) { return SaveHTML(doc, temp, html); });
    default: return false;
  }
}

void TNotebookFrame::Save1Click() {
  SaveDialog.title = "Save & Export";
  SaveDialog.filter = kSaveFilter;
  SaveDialog.defaultExt = "rvf";
  const std::optional<FileDialogResult> chosen = Host().FramePrompter().SaveDialog(SaveDialog);
  if (!chosen) return;
  SaveDialog.fileName = chosen->fileName;
  SaveDialog.filterIndex = chosen->filterIndex;
  bool ok = false;
  if (chosen->filterIndex == kSaveEncryptedIndex) {
    std::optional<SecretString> password = AskNewPassword();
    if (!password) return;
    std::shared_ptr<const NvxKey> key = WriteEncrypted(chosen->fileName, password->View());
    ok = key != nullptr;
    // From now on the recovery file of this document is sealed with it too,
    // unless the document is an encrypted file already: its quick save
    // keeps that file's own password.
    if (ok && !documentFileEncrypted_) {
      documentPassword_ = std::move(*password);
      documentKey_ = std::move(key);
    }
  } else {
    WaitCursor wait;
    ok = WriteFile(chosen->fileName, chosen->filterIndex);
  }
  if (!ok) Box(BoxOwner::Application, "Error during saving", "Error", mb::kOk);
  else DiscardRecovery();
}

bool TNotebookFrame::SaveBeforeOpen() {
  if (!RichViewEdit1.Modified()) return true;
  switch (Box(BoxOwner::Application, "Save file now?", "File was modified", mb::kYesNoCancel | mb::kIconQuestion)) {
    case mb::kIdNo: return true;
    case mb::kIdYes: return QuickSave();
    default: return false;
  }
}

bool TNotebookFrame::QuickSave() {
  if (DocumentFileName.empty()) return QuickSaveAs();
  bool ok = false;
  if (documentFileEncrypted_) {
    std::shared_ptr<const NvxKey> key = WriteEncrypted(DocumentFileName, documentPassword_.View());
    ok = key != nullptr;
    if (ok) documentKey_ = std::move(key);
  } else {
    WaitCursor wait;
    ok = WriteFileSafely(DocumentFileName, SaveRVF(RichViewEdit1.Document()));
  }
  // A failed write must stop whatever asked for the save (Open would
  // otherwise clear a document that is stored nowhere).
  if (!ok) {
    Box(BoxOwner::Application, "Error during saving", "Error", mb::kOk);
    return false;
  }
  RichViewEdit1.SetModified(false);
  DiscardRecovery();
  return true;
}

bool TNotebookFrame::QuickSaveAs() {
  // Whatever an earlier command (a picture, the Base64 export) left in the
  // shared dialog would offer a filter and extension of another kind of
  // file; this save writes RichView Format.
  SaveDialog.title = "Save & Export";
  SaveDialog.filter = kSaveFilter;
  SaveDialog.defaultExt = "rvf";
  SaveDialog.filterIndex = 1;
  const std::optional<FileDialogResult> chosen = Host().FramePrompter().SaveDialog(SaveDialog);
  if (!chosen) return false;
  SaveDialog.fileName = chosen->fileName;
  SaveDialog.filterIndex = chosen->filterIndex;
  if (chosen->filterIndex == kSaveEncryptedIndex) {
    // The one choice besides RichView Format: the same, encrypted.
    std::optional<SecretString> password = AskNewPassword();
    if (!password) return false;
    documentPassword_ = std::move(*password);
    documentFileEncrypted_ = true;
  } else {
    // Saved plain from now on: nothing of the old password stays.
    ForgetDocumentSecret();
  }
  DocumentFileName = chosen->fileName;
  const bool ok = QuickSave();
  if (ok) ::SetWindowTextW(Host().HostHandle(), Widen(FilePart(DocumentFileName)).c_str());
  return ok;
}

// --------------------------------------------------- encrypted notebooks

void TNotebookFrame::OpenEncrypted(const std::string& path) {
  std::optional<std::string> typed = Host().FramePrompter().PasswordBox(kPasswordCaption, kOpenPasswordPrompt);
  if (!typed) return;
  SecretString password(std::move(*typed));
  // Opened into a document of its own: a wrong password or a damaged file
  // leaves the editor exactly as it was.
  TRVDocument opened;
  unsigned warnings = 0;
  std::shared_ptr<const NvxKey> key;
  bool ok = false;
  {
    WaitCursor wait;
    const std::optional<std::string> bytes = ReadFileBytes(path);
    ok = bytes && LoadNvx(*bytes, password.View(), opened, warnings, &key);
  }
  if (!ok) {
    Box(BoxOwner::Application, kNvxOpenError, "Error", mb::kOk);
    return;
  }
  RichViewEdit1.Clear();
  RichViewEdit1.Document() = std::move(opened);
  RichViewEdit1.RVFWarnings = warnings;
  RichViewEdit1.Format();
  DiscardRecovery();
  DocumentFileName = path;
  documentFileEncrypted_ = true;
  documentPassword_ = std::move(password);
  documentKey_ = std::move(key);
}

std::optional<SecretString> TNotebookFrame::AskNewPassword() {
  Prompter& ask = Host().FramePrompter();
  std::optional<std::string> first = ask.PasswordBox(kPasswordCaption, kNewPasswordPrompt);
  if (!first) return std::nullopt;
  SecretString password(std::move(*first));
  std::optional<std::string> second = ask.PasswordBox(kPasswordCaption, kRepeatPasswordPrompt);
  if (!second) return std::nullopt;
  const SecretString repeated(std::move(*second));
  if (password.View() != repeated.View()) {
    Box(BoxOwner::Application, kPasswordsDiffer, "Error", mb::kOk | mb::kIconStop);
    return std::nullopt;
  }
  if (password.Empty()) {
    Box(BoxOwner::Application, kPasswordEmpty, "Error", mb::kOk | mb::kIconStop);
    return std::nullopt;
  }
  return password;
}

std::shared_ptr<const NvxKey> TNotebookFrame::WriteEncrypted(const std::string& path, std::string_view password) {
  WaitCursor wait;
  try {
    std::shared_ptr<const NvxKey> key = NewNvxKey(password, EncryptionCosts);
    if (!key) return nullptr;
    // Only the sealed bytes reach the disk, through the temporary file that
    // then replaces the old one.
    const std::optional<std::string> sealed = SaveNvx(RichViewEdit1.Document(), *key);
    if (!sealed || !WriteFileSafely(path, *sealed)) return nullptr;
    return key;
  } catch (const std::bad_alloc&) {
    // A document too large to seal in the memory left: the old file stays.
    return nullptr;
  }
}

void TNotebookFrame::ForgetDocumentSecret() {
  documentPassword_.Clear();
  documentKey_.reset();
  documentFileEncrypted_ = false;
}

bool TNotebookFrame::OpenEncryptedRecovery(std::string& bytes, TRVDocument& restored, unsigned& warnings) {
  std::optional<std::string> typed = Host().FramePrompter().PasswordBox("Nookvale", kRecoveryPasswordPrompt);
  if (!typed) return false;
  SecretString password(std::move(*typed));
  std::shared_ptr<const NvxKey> key;
  bool ok = false;
  {
    WaitCursor wait;
    ok = LoadNvx(bytes, password.View(), restored, warnings, &key);
  }
  if (!ok) {
    Box(BoxOwner::Application, kNvxOpenError, "Error", mb::kOk);
    return false;
  }
  // The restored notes stay encrypted in the next recovery file; a save
  // still asks where and how they go.
  documentPassword_ = std::move(password);
  documentKey_ = std::move(key);
  return true;
}

// ----------------------------------------------------------------- New

std::string TNotebookFrame::DateLine(const SYSTEMTIME& t) {
  wchar_t date[128] = {}, time[128] = {};
  ::GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &t, nullptr, date, 128);
  std::string line = Narrow(date);
  if (t.wHour != 0 || t.wMinute != 0 || t.wSecond != 0) {
    ::GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &t, nullptr, time, 128);
    line += ' ';
    line += Narrow(time);
  }
  return line;
}

void TNotebookFrame::InsertDateLine() {
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  RichViewEdit1.InsertText(DateLine(now));
  RichViewEdit1.InsertText("\r\n");
}

void TNotebookFrame::FormShow() {
  InsertDateLine();
  // The date line is the program's, not the user's: nothing to save yet.
  RichViewEdit1.SetModified(false);
  DiscardPendingAutosave();
}

void TNotebookFrame::New1Click() {
  if (Box(BoxOwner::MainWindow, "Save changes made?", "Confirm", mb::kYesNo | mb::kIconQuestion) != mb::kIdNo) {
    Save1Click();
    return;
  }
  RichViewEdit1.SetFocus();
  RichViewEdit1.SelectAll();
  RichViewEdit1.Clear();
  RichViewEdit1.Format();
  InsertDateLine();
  RichViewEdit1.SetFocus();
  // The old document was given up, and the new one holds only the
  // program's date line.
  DocumentFileName.clear();
  ForgetDocumentSecret();
  RichViewEdit1.SetModified(false);
  DiscardRecovery();
}

// -------------------------------------------------------- edit commands

void TNotebookFrame::Paste1Click() { RichViewEdit1.Paste(); }
void TNotebookFrame::Copy1Click() { RichViewEdit1.CopyDef(); }
void TNotebookFrame::Cut1Click() { RichViewEdit1.CutDef(); }
void TNotebookFrame::Delete1Click() { RichViewEdit1.DeleteSelection(); }
void TNotebookFrame::Redo1Click() { RichViewEdit1.Redo(); }
void TNotebookFrame::Undo1Click() { RichViewEdit1.Undo(); }

void TNotebookFrame::SelectAll1Click() {
  RichViewEdit1.SelectAll();
  RichViewEdit1.SetFocus();
  ::InvalidateRect(RichViewEdit1.Handle(), nullptr, FALSE);
}

void TNotebookFrame::Background1Click() {
  const std::optional<std::uint32_t> c = Host().FramePrompter().ColorDialog(RichViewEdit1.Color());
  if (c) RichViewEdit1.SetColor(*c);
}

// The picture and Base64 commands are supplied by their own units; the
// main window connects them here.
void TNotebookFrame::InsertImage1Click() {
  RichViewEdit1.EditThroughCore(
      [this](TRVEditCore& core) { nv::InsertImage1Click(core, Host().FramePrompter(), Dialogs); });
}

// The temporary files of the export and import lie beside the program.
TExportPlaces TNotebookFrame::ExportPlaces() const {
  std::string dir = Host().SettingsFolder();
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/')) dir.pop_back();
  return ExportPlacesFor(dir);
}

void TNotebookFrame::EncryptBtnClick() { ReplaceThroughExport(nv::EncryptBtnClick); }

void TNotebookFrame::DecryptBtnClick() { ReplaceThroughExport(nv::DecryptBtnClick); }

void TNotebookFrame::ReplaceThroughExport(ExportCommand command) {
  // Both replace the document: a modified one is offered for saving first.
  if (!SaveChangesFirst()) return;
  bool replaced = false;
  try {
    RichViewEdit1.EditThroughCore([&](TRVEditCore& core) {
      replaced = command(core, Host().FramePrompter(), Dialogs, ExportPlaces(), SystemAnsiCodec{});
    });
  } catch (...) {
    // The document is unchanged; the error goes to the standard error box.
    RichViewEdit1.Format();
    throw;
  }
  if (!replaced) return;
  // The whole document was replaced: lay it out anew so the view shows it.
  RichViewEdit1.Format();
  // The file the quick save knew belongs to the old document.
  DocumentFileName.clear();
  ForgetDocumentSecret();
  DiscardRecovery();
}

bool TNotebookFrame::SaveChangesFirst() {
  if (!RichViewEdit1.Modified()) return true;
  if (Box(BoxOwner::MainWindow, "Save changes made?", "Confirm", mb::kYesNo | mb::kIconQuestion) == mb::kIdNo)
    return true;
  Save1Click();
  return false;
}

// ------------------------------------------------- nothing is ever lost

bool TNotebookFrame::CanClose() {
  if (!RichViewEdit1.Modified()) return true;
  switch (Box(BoxOwner::Application, kExitSaveQuestion, "Yes or No?", mb::kYesNoCancel | mb::kIconQuestion)) {
    case mb::kIdNo: return true;
    case mb::kIdYes: return QuickSave();
    default: return false;
  }
}

void TNotebookFrame::DiscardPendingAutosave() {
  autosave_.Done();
  AutosaveTimer.SetEnabled(false);
}

void TNotebookFrame::DiscardRecovery() {
  DiscardPendingAutosave();
  // A file that could not be read is the user's until they deal with it.
  if (!recoveryBlocked_) recovery_->Delete();
}

void TNotebookFrame::DocumentChanged() {
  autosave_.Changed(::GetTickCount64());
  AutosaveTimer.SetEnabled(true);
}

void TNotebookFrame::AutosaveTick() {
  if (!autosave_.Pending() || !RichViewEdit1.Modified() || recoveryBlocked_) return DiscardPendingAutosave();
  // A write still under way keeps the changes pending for the next tick.
  if (!autosave_.Due(::GetTickCount64()) || recovery_->Busy()) return;
  try {
    // A copy taken here, where the document cannot change meanwhile; its
    // file form, the sealing and the writing go on beside typing.
    if (recovery_->WriteInBackground(RichViewEdit1.Document(), documentKey_)) DiscardPendingAutosave();
  } catch (const std::exception&) {
    // Out of memory for the copy: the next tick tries again.
  }
}

void TNotebookFrame::WriteRecoveryNow() {
  if (!RichViewEdit1.Modified() || recoveryBlocked_) return;
  try {
    if (recovery_->WriteNow(RichViewEdit1.Document(), documentKey_)) DiscardPendingAutosave();
  } catch (const std::exception&) {
    // The session ends all the same; the last autosave stays.
  }
}

void TNotebookFrame::OfferRecovery() {
  std::string bytes;
  const TNotebookRecovery::ReadResult read = recovery_->Read(bytes);
  if (read == TNotebookRecovery::ReadResult::Missing) return;
  // Read once, into a document of its own: what cannot be read never
  // reaches the editor.
  TRVDocument restored;
  unsigned warnings = 0;
  // The notes of an encrypted document need its password: given, they are
  // restored at once; refused or wrong, they are kept aside like any file
  // that cannot be read, never deleted.
  const bool encrypted = read == TNotebookRecovery::ReadResult::Ok && HasNvxMagic(bytes);
  const bool readable = read == TNotebookRecovery::ReadResult::Ok &&
                        (encrypted ? OpenEncryptedRecovery(bytes, restored, warnings)
                                   : LoadRVF(bytes, restored, warnings));
  if (!readable) {
    // Never deleted unasked: moved aside, so the autosave can go on.
    const std::string aside = recovery_->KeepAside();
    if (aside.empty()) {
      recoveryBlocked_ = true;
      Host().FramePrompter().ShowMessage("The unsaved notes of an earlier run could not be read. They stay in " +
                                         recovery_->Path() + ", and the notebook is not saved for recovery until that file is moved.");
    } else {
      Host().FramePrompter().ShowMessage("The unsaved notes of an earlier run could not be read. They were kept in " +
                                         aside + ".");
    }
    return;
  }
  if (!encrypted &&
      Box(BoxOwner::MainWindow, kRestoreQuestion, "Nookvale", mb::kYesNo | mb::kIconQuestion) != mb::kIdYes) {
    recovery_->Delete();
    return;
  }
  RichViewEdit1.Clear();
  RichViewEdit1.Document() = std::move(restored);
  RichViewEdit1.RVFWarnings = warnings;
  RichViewEdit1.Format();
  // Restored, not saved: the user still decides where it goes.
  RichViewEdit1.SetModified(true);
  DocumentFileName.clear();
  documentFileEncrypted_ = false;
}

void TNotebookFrame::LineBtnClick() {
  RichViewEdit1.EditThroughCore([](TRVEditCore& core) { nv::LineBtnClick(core); });
}

// ------------------------------------------------------ find, replace

TNotebookFrame::~TNotebookFrame() { CloseFindDialog(); }

LRESULT TNotebookFrame::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == FindMessage() && lp) {
    // A system dialog calls in here: nothing may be thrown back into it.
    try {
      FindDialogNotify(*reinterpret_cast<const FINDREPLACEW*>(lp));
    } catch (...) {
      Application().HandleException(std::current_exception());
    }
    return 0;
  }
  return TFrame::HandleMessage(msg, wp, lp);
}

void TNotebookFrame::CloseFindDialog() {
  if (!findDialog_) return;
  Application().RemoveModelessDialog(findDialog_);
  if (::IsWindow(findDialog_)) ::DestroyWindow(findDialog_);
  findDialog_ = nullptr;
}

void TNotebookFrame::FindDialogShow(bool replace) {
  CloseFindDialog();
  TRVEditCore& core = RichViewEdit1.Core();
  if (core.SelectionExists() && core.SelectionStart().Para == core.SelectionEnd().Para) {
    const TRVDocument part = core.CopySelection();
    std::string text;
    for (const TRVParagraph& para : part.Paragraphs)
      for (const TRVItem& item : para.Items())
        if (const TRVTextItemInfo* t = item.AsText()) text += t->Text;
    if (!text.empty() && text.find('\n') == std::string::npos) FindWhat = text;
  }
  const std::wstring what = Widen(FindWhat).substr(0, std::size(findBuffer_) - 1);
  const std::wstring with = Widen(ReplaceWith).substr(0, std::size(replaceBuffer_) - 1);
  std::fill(std::begin(findBuffer_), std::end(findBuffer_), L'\0');
  std::fill(std::begin(replaceBuffer_), std::end(replaceBuffer_), L'\0');
  what.copy(findBuffer_, what.size());
  with.copy(replaceBuffer_, with.size());
  findReplace_ = {};
  findReplace_.lStructSize = sizeof findReplace_;
  findReplace_.hwndOwner = Handle();
  findReplace_.Flags = (FindOptions.Down || replace ? FR_DOWN : 0) | (FindOptions.MatchCase ? FR_MATCHCASE : 0) |
                       (FindOptions.WholeWord ? FR_WHOLEWORD : 0);
  findReplace_.lpstrFindWhat = findBuffer_;
  findReplace_.wFindWhatLen = static_cast<WORD>(sizeof findBuffer_);
  if (replace) {
    findReplace_.lpstrReplaceWith = replaceBuffer_;
    findReplace_.wReplaceWithLen = static_cast<WORD>(sizeof replaceBuffer_);
    findDialog_ = ::ReplaceTextW(&findReplace_);
  } else {
    findDialog_ = ::FindTextW(&findReplace_);
  }
  Application().AddModelessDialog(findDialog_);
}

void TNotebookFrame::FindDialogNotify(const FINDREPLACEW& fr) {
  if (fr.Flags & FR_DIALOGTERM) {
    Application().RemoveModelessDialog(findDialog_);
    findDialog_ = nullptr;
    return;
  }
  if (!(fr.Flags & (FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL))) return;
  FindWhat = fr.lpstrFindWhat ? Narrow(fr.lpstrFindWhat) : std::string();
  if (fr.lpstrReplaceWith) ReplaceWith = Narrow(fr.lpstrReplaceWith);
  FindOptions.MatchCase = (fr.Flags & FR_MATCHCASE) != 0;
  FindOptions.WholeWord = (fr.Flags & FR_WHOLEWORD) != 0;
  // The replace dialog has no direction: it goes down.
  FindOptions.Down = fr.lpstrReplaceWith || (fr.Flags & FR_DOWN) != 0;
  if (fr.Flags & FR_REPLACEALL) {
    if (RichViewEdit1.ReplaceAll(TRVTextFinder(FindWhat, FindOptions), ReplaceWith) == 0) NotFound();
    return;
  }
  if (fr.Flags & FR_REPLACE) {
    // The selection is replaced only when it is what is searched for (the
    // match found last); then the next one is found.
    TRVEditCore& core = RichViewEdit1.Core();
    const TRVDocument& doc = core.Document();
    if (core.SelectionExists() &&
        TRVTextFinder(FindWhat, FindOptions)
            .Matches(doc, ToParaOffset(doc, core.SelectionStart()), ToParaOffset(doc, core.SelectionEnd()))) {
      if (ReplaceWith.empty()) RichViewEdit1.DeleteSelection();
      else RichViewEdit1.InsertText(ReplaceWith);
    }
  }
  FindNext();
}

bool TNotebookFrame::FindNext(bool reverse) {
  if (FindWhat.empty()) {
    FindDialogShow(false);
    return false;
  }
  TRVSearchOptions options = FindOptions;
  if (reverse) options.Down = !options.Down;
  TRVEditCore& core = RichViewEdit1.Core();
  const TRVDocument& doc = core.Document();
  if (doc.IsEmpty()) {
    NotFound();
    return false;
  }
  // Down from the selection's end, up from its start: the match selected now
  // is not found again.
  const TRVParaOffset at = ToParaOffset(doc, options.Down ? core.SelectionEnd() : core.SelectionStart());
  const std::optional<TRVTextMatch> found = TRVTextFinder(FindWhat, options).Find(doc, at);
  if (!found) {
    NotFound();
    return false;
  }
  RichViewEdit1.SelectRange(found->From, found->To);
  return true;
}

void TNotebookFrame::NotFound() {
  Box(BoxOwner::Application, "Cannot find \"" + FindWhat + "\"", Application().Title,
      mb::kOk | mb::kIconInformation);
}

// ------------------------------------------------------------ printing

void TNotebookFrame::PrintDocument() {
  std::unique_ptr<TPrintTarget> target = ChoosePrinter ? ChoosePrinter() : nullptr;
  if (!target) return;
  int pages = 0;
  {
    WaitCursor wait;
    const SIZE page = target->PageSize();
    pages = RichViewEdit1.PrintTo(
        target->Dpi(), page.cx, page.cy, [&](int n) { return target->BeginPage(n); },
        [&](int n) { return target->EndPage(n); });
    target->Finish(pages > 0);
  }
  if (pages == 0) Box(BoxOwner::Application, "Error during printing", "Error", mb::kOk);
}

// ------------------------------------------------------------ key rule

void TNotebookFrame::RichViewEdit1KeyDown(WORD& key, unsigned shift) {
  const unsigned mods = shift & (TRichViewEdit::kShift | TRichViewEdit::kCtrl | TRichViewEdit::kAlt);
  // Ctrl+B, Ctrl+I and Ctrl+U are the three style buttons.
  if (mods == TRichViewEdit::kCtrl) {
    TGlowButton* button = key == 'B' ? &BoldBtn : key == 'I' ? &ItalicBtn : key == 'U' ? &UnderlineBtn : nullptr;
    if (button) {
      button->Click();
      key = 0;
      return;
    }
    if (const auto align = AlignmentKey(key)) {
      RichViewEdit1.SetParaAlignment(*align);
      key = 0;
      return;
    }
    if (key == 'P') {
      PrintDocument();
      key = 0;
      return;
    }
    if (key == 'F' || key == 'H') {
      FindDialogShow(key == 'H');
      key = 0;
      return;
    }
  }
  if (key == VK_F3 && (mods == 0 || mods == TRichViewEdit::kShift)) {
    FindNext(mods == TRichViewEdit::kShift);
    key = 0;
    return;
  }
  if ((key != VK_RETURN && key != VK_SPACE) || RichViewEdit1.ReadOnly()) return;
  TRVEditCore& core = RichViewEdit1.Core();
  const int cur = core.CurTextStyleNo();
  if (cur != core.CaretItemStyleNo() || !core.IsJumpStyle(cur) || core.SelectionExists()) return;
  if (core.CaretOffset() < core.GetOffsAfterItem(core.CaretItemNo())) return;
  core.SetCurTextStyleNo(PlainCounterpart(rvs(), cur));
}

void TNotebookFrame::RichViewEdit1Jump(const std::string& target) {
  if (target.empty()) return;
  // Through the reader's seam, so the same addresses reach the browser.
  if (IsLinkToOpen(target)) rss::TEmbeddedWB::ShellOpen()(Widen(target));
  else Host().FramePrompter().ShowMessage(LinkNotOpenedText(target));
}

void TNotebookFrame::RichViewEdit1DropFile(const std::string& path) {
  if (IsPictureFileName(path)) {
    RichViewEdit1.EditThroughCore(
        [&](TRVEditCore& core) { InsertDroppedPictureFile(core, Host().FramePrompter(), path); });
    return;
  }
  const std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return;
  TRVDocument fragment;
  std::string lower = path;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  bool ok = false;
  if (lower.ends_with(".rtf")) {
    ok = LoadRTF(*bytes, fragment);
  } else {
    // Any other file is taken as text, recognised as the autodetecting
    // Open recognises it.
    const TextEncoding enc = IsUnicodeText(*bytes) ? TextEncoding::Utf16 : AnsiOrUtf8(*bytes);
    ok = LoadText(*bytes, fragment, 0, 0, false, enc, SystemAnsiCodec());
  }
  if (ok && !fragment.Paragraphs.empty())
    RichViewEdit1.EditThroughCore([&](TRVEditCore& core) { core.Paste(fragment); });
}

// --------------------------------------------------------------- styles

int TNotebookFrame::RichViewEdit1StyleConversion(int styleNo, int code) {
  StyleConversionRequest r;
  r.boldDown = BoldBtn.Down();
  r.italicDown = ItalicBtn.Down();
  r.underlineDown = UnderlineBtn.Down();
  r.fontNameRequest = FontNameRequest;
  r.fontSizeRequest = FontSizeRequest;
  r.chosenFont = chosenFont_;
  return ConvertTextStyle(rvs(), styleNo, code, r);
}

void TNotebookFrame::RichViewEdit1CurTextStyleChanged() {
  const int cur = RichViewEdit1.CurTextStyleNo();
  if (!rvs().HasTextStyle(cur)) return;
  const TFontInfo font = rvs().TextStyle(cur);
  updatingSelectors_ = true;
  int found = -1;
  for (int i = 0; i < FontList.Count() && found < 0; ++i)
    if (SameFontName(FontList.Item(i), font.FontName)) found = i;
  FontList.SetItemIndex(found);
  SizeList.SetItemIndex(-1);
  SizeList.SetText(std::to_string(font.Size));
  BoldBtn.SetDown(font.HasStyle(fsBold));
  ItalicBtn.SetDown(font.HasStyle(fsItalic));
  UnderlineBtn.SetDown(font.HasStyle(fsUnderline));
  updatingSelectors_ = false;
}

void TNotebookFrame::FocusEditorIfShown() {
  if (::IsWindowVisible(Host().HostHandle())) RichViewEdit1.SetFocus();
}

void TNotebookFrame::ApplyFontList() {
  const int index = FontList.ItemIndex();
  if (index != -1 && !updatingSelectors_) {
    FontNameRequest = FontList.Item(index);
    RichViewEdit1.ApplyStyleConversion(kConvertFontName);
  }
}

void TNotebookFrame::FontListChange() {
  ApplyFontList();
  FocusEditorIfShown();
}

void TNotebookFrame::RememberSize(int size) {
  recentSizes_.erase(std::remove(recentSizes_.begin(), recentSizes_.end(), size), recentSizes_.end());
  recentSizes_.insert(recentSizes_.begin(), size);
  if (recentSizes_.size() > kRecentSizes) recentSizes_.resize(kRecentSizes);
  // The list offers the recent choices first, then the standard sizes.
  const bool was = updatingSelectors_;
  updatingSelectors_ = true;
  const std::string text = SizeList.Text();
  SizeList.Clear();
  for (int s : recentSizes_) SizeList.Add(std::to_string(s));
  for (int s : kStandardSizes)
    if (std::find(recentSizes_.begin(), recentSizes_.end(), s) == recentSizes_.end()) SizeList.Add(std::to_string(s));
  SizeList.SetText(text);
  updatingSelectors_ = was;
}

void TNotebookFrame::SizeListChange() {
  if (updatingSelectors_) return;
  // A choice from the list is not in the edit yet when the list reports it.
  const int index = SizeList.ItemIndex();
  ApplySizeText(index >= 0 ? SizeList.Item(index) : SizeList.Text());
  FocusEditorIfShown();
}

void TNotebookFrame::ApplySizeText(const std::string& text) {
  if (updatingSelectors_) return;
  if (!text.empty()) {
    int size = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), size);
    if (ec != std::errc() || end != text.data() + text.size()) size = 10;
    FontSizeRequest = size;
    RichViewEdit1.ApplyStyleConversion(kConvertFontSize);
    if (ec == std::errc() && size > 0) {
      updatingSelectors_ = true;
      SizeList.SetItemIndex(-1);
      SizeList.SetText(text);
      updatingSelectors_ = false;
      RememberSize(size);
    }
  }
}

void TNotebookFrame::FontbtnClick() {
  const int cur = RichViewEdit1.CurTextStyleNo();
  FontSpec spec;
  TColor styleColor = clWindowText;
  if (rvs().HasTextStyle(cur)) {
    styleColor = rvs().TextStyle(cur).Color;
    const TFontInfo& f = rvs().TextStyle(cur);
    spec.face = f.FontName;
    spec.size = f.Size;
    spec.color = GdiColor(f.Color, ::GetSysColor(COLOR_WINDOWTEXT));
    spec.style = f.Style;
    spec.charset = f.Charset;
  }
  const std::optional<FontSpec> chosen = Host().FramePrompter().FontDialog(spec);
  if (!chosen) return;
  chosenFont_.name = chosen->face;
  chosenFont_.size = chosen->size;
  // The dialog knows only plain colours: an unchanged system colour (the
  // window text colour of the sheet's styles) stays the system colour, so
  // the style lookup still finds the styles that use it.
  const std::uint32_t shown = GdiColor(styleColor, ::GetSysColor(COLOR_WINDOWTEXT));
  chosenFont_.color = (chosen->color == shown && (IsSystemColor(styleColor) || styleColor == clNone)) ? styleColor
                                                                                                      : chosen->color;
  chosenFont_.style = static_cast<TFontStyles>(chosen->style & kAllFontStyles);
  chosenFont_.charset = chosen->charset;
  RichViewEdit1.ApplyStyleConversion(kConvertFont);
}

}  // namespace nv
