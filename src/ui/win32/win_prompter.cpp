#include "ui/win32/win_prompter.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "ui/win32/application.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {

static_assert(mb::kYesNoCancel == MB_YESNOCANCEL && mb::kYesNo == MB_YESNO && mb::kIconStop == MB_ICONSTOP &&
              mb::kIconQuestion == MB_ICONQUESTION && mb::kIconExclamation == MB_ICONEXCLAMATION &&
              mb::kIdYes == IDYES && mb::kIdNo == IDNO && mb::kIdCancel == IDCANCEL && mb::kIdOk == IDOK);

namespace {

HWND OwnerWindow(BoxOwner owner) {
  switch (owner) {
    case BoxOwner::MainWindow: return Application().MainWindow;
    case BoxOwner::Application: {
      // The framework's application box is owned by the active window of the
      // program, so it stays in front of whatever the user is looking at.
      HWND active = ::GetActiveWindow();
      return active ? active : Application().Handle();
    }
    case BoxOwner::None: return nullptr;
  }
  return nullptr;
}

// --- the input box: a dialog built in memory -------------------------------

class DialogTemplate {
 public:
  void Header(DWORD style, short cx, short cy, const std::wstring& title, WORD items) {
    Align(4);
    Put<DWORD>(style);
    Put<DWORD>(0);  // exStyle
    Put<WORD>(items);
    Put<short>(0);
    Put<short>(0);
    Put<short>(cx);
    Put<short>(cy);
    Put<WORD>(0);  // menu
    Put<WORD>(0);  // class
    Str(title);
    Put<WORD>(8);  // font size (DS_SETFONT)
    Str(L"MS Shell Dlg");
  }
  void Item(DWORD style, short x, short y, short cx, short cy, WORD id, WORD cls, const std::wstring& text) {
    Align(4);
    Put<DWORD>(style | WS_CHILD | WS_VISIBLE);
    Put<DWORD>(0);
    Put<short>(x);
    Put<short>(y);
    Put<short>(cx);
    Put<short>(cy);
    Put<WORD>(id);
    Put<WORD>(0xFFFF);
    Put<WORD>(cls);
    Str(text);
    Put<WORD>(0);  // no creation data
  }
  const DLGTEMPLATE* get() const { return reinterpret_cast<const DLGTEMPLATE*>(buf_.data()); }

 private:
  template <class T>
  void Put(T v) {
    const auto* p = reinterpret_cast<const unsigned char*>(&v);
    buf_.insert(buf_.end(), p, p + sizeof v);
  }
  void Str(const std::wstring& s) {
    for (wchar_t c : s) Put<WORD>(static_cast<WORD>(c));
    Put<WORD>(0);
  }
  void Align(size_t a) {
    while (buf_.size() % a) buf_.push_back(0);
  }
  // DWORD alignment of the whole buffer is what the dialog manager needs.
  std::vector<unsigned char> buf_;
};

constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;
constexpr WORD kPromptId = 100, kEditId = 101;

struct InputBoxState {
  std::wstring prompt, initial, result;
};

INT_PTR CALLBACK InputBoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_INITDIALOG: {
      auto* st = reinterpret_cast<InputBoxState*>(lp);
      ::SetWindowLongPtrW(dlg, DWLP_USER, lp);
      ::SetDlgItemTextW(dlg, kPromptId, st->prompt.c_str());
      ::SendDlgItemMessageW(dlg, kEditId, EM_LIMITTEXT, kInputBoxMaxLength, 0);
      ::SetDlgItemTextW(dlg, kEditId, st->initial.c_str());
      ::SendDlgItemMessageW(dlg, kEditId, EM_SETSEL, 0, -1);
      RECT r, owner;
      ::GetWindowRect(dlg, &r);
      HWND o = ::GetWindow(dlg, GW_OWNER);
      if (!o || !::IsWindowVisible(o)) o = ::GetDesktopWindow();
      ::GetWindowRect(o, &owner);
      ::SetWindowPos(dlg, nullptr, owner.left + ((owner.right - owner.left) - (r.right - r.left)) / 2,
                     owner.top + ((owner.bottom - owner.top) - (r.bottom - r.top)) / 3, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) {
        if (LOWORD(wp) == IDOK) {
          auto* st = reinterpret_cast<InputBoxState*>(::GetWindowLongPtrW(dlg, DWLP_USER));
          const int n = ::GetWindowTextLengthW(::GetDlgItem(dlg, kEditId));
          std::wstring text(static_cast<size_t>(n) + 1, L'\0');
          ::GetDlgItemTextW(dlg, kEditId, text.data(), n + 1);
          text.resize(static_cast<size_t>(n));
          st->result = text;
          ::SecureZeroMemory(text.data(), text.size() * sizeof(wchar_t));
        }
        ::EndDialog(dlg, LOWORD(wp));
        return TRUE;
      }
      break;
  }
  return FALSE;
}

// --- file dialogs ----------------------------------------------------------

std::optional<FileDialogResult> FileDialog(const FileDialogRequest& r, bool save) {
  std::vector<wchar_t> file(32768, L'\0');
  const std::wstring initialName = Widen(r.fileName);
  initialName.copy(file.data(), std::min(initialName.size(), file.size() - 1));
  const std::wstring filter = CommonDialogFilter(r.filter);
  const std::wstring title = Widen(r.title), dir = Widen(r.initialDir), ext = Widen(r.defaultExt);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = Application().MainWindow;
  ofn.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(r.filterIndex);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.lpstrDefExt = ext.empty() ? nullptr : ext.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
  if (r.options & fdo::kOverwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (r.options & fdo::kHideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (r.options & fdo::kFileMustExist) ofn.Flags |= OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  if (r.options & fdo::kEnableSizing) ofn.Flags |= OFN_ENABLESIZING;
  const BOOL ok = save ? ::GetSaveFileNameW(&ofn) : ::GetOpenFileNameW(&ofn);
  if (!ok) return std::nullopt;
  return FileDialogResult{Narrow(file.data()), static_cast<int>(ofn.nFilterIndex)};
}

}  // namespace

std::wstring CommonDialogFilter(const std::string& filter) {
  if (filter.empty()) return {};
  std::wstring w = Widen(filter);
  if (w.back() != L'|') w += L'|';
  for (auto& c : w)
    if (c == L'|') c = L'\0';
  w += L'\0';
  return w;
}

void Win32Prompter::ShowMessage(const std::string& text) {
  ::MessageBoxW(OwnerWindow(BoxOwner::Application), Widen(text).c_str(), Widen(Application().Title).c_str(),
                MB_OK);
}

int Win32Prompter::ShowBox(BoxOwner owner, const std::string& text, const std::string& caption,
                              unsigned flags) {
  return ::MessageBoxW(OwnerWindow(owner), Widen(text).c_str(), Widen(caption).c_str(), flags);
}

// The input box, with the typed text shown or hidden.
static std::optional<std::string> ShowInputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& initial, DWORD editStyle) {
  DialogTemplate t;
  t.Header(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU, 220, 66, Widen(caption), 4);
  t.Item(SS_LEFT, 7, 7, 206, 10, kPromptId, kStaticClass, L"");
  t.Item(editStyle | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 7, 20, 206, 13, kEditId, kEditClass, L"");
  t.Item(BS_DEFPUSHBUTTON | WS_TABSTOP, 109, 43, 50, 14, IDOK, kButtonClass, L"OK");
  t.Item(BS_PUSHBUTTON | WS_TABSTOP, 163, 43, 50, 14, IDCANCEL, kButtonClass, L"Cancel");
  InputBoxState st{Widen(prompt), Widen(initial), {}};
  const INT_PTR r = ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t.get(),
                                              OwnerWindow(BoxOwner::Application), InputBoxProc,
                                              reinterpret_cast<LPARAM>(&st));
  std::optional<std::string> answer;
  if (r == IDOK) answer = Narrow(st.result);
  // A password typed here lives on only in the answer.
  ::SecureZeroMemory(st.result.data(), st.result.size() * sizeof(wchar_t));
  return answer;
}

std::optional<std::string> Win32Prompter::InputBox(const std::string& caption, const std::string& prompt,
                                                   const std::string& initial) {
  return ShowInputBox(caption, prompt, initial, 0);
}

std::optional<std::string> Win32Prompter::PasswordBox(const std::string& caption, const std::string& prompt) {
  return ShowInputBox(caption, prompt, "", ES_PASSWORD);
}

std::optional<FileDialogResult> Win32Prompter::OpenDialog(const FileDialogRequest& r) { return FileDialog(r, false); }
std::optional<FileDialogResult> Win32Prompter::SaveDialog(const FileDialogRequest& r) { return FileDialog(r, true); }

std::optional<std::uint32_t> Win32Prompter::ColorDialog(std::uint32_t initial) {
  static COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = Application().MainWindow;
  cc.rgbResult = (initial & 0xFF000000u) ? ::GetSysColor(static_cast<int>(initial & 0xFF)) : initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  if (!::ChooseColorW(&cc)) return std::nullopt;
  return static_cast<std::uint32_t>(cc.rgbResult);
}

std::optional<FontSpec> Win32Prompter::FontDialog(const FontSpec& initial) {
  const int dpi = ::GetDeviceCaps(WindowDcScope(nullptr).dc(), LOGPIXELSY);
  LOGFONTW lf{};
  lf.lfHeight = -::MulDiv(initial.size, dpi, 72);
  lf.lfWeight = (initial.style & 1) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (initial.style & 2) ? TRUE : FALSE;
  lf.lfUnderline = (initial.style & 4) ? TRUE : FALSE;
  lf.lfStrikeOut = (initial.style & 8) ? TRUE : FALSE;
  lf.lfCharSet = static_cast<BYTE>(initial.charset);
  const std::wstring face = Widen(initial.face);
  face.copy(lf.lfFaceName, LF_FACESIZE - 1);
  CHOOSEFONTW cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = Application().MainWindow;
  cf.lpLogFont = &lf;
  cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
  cf.rgbColors = (initial.color & 0xFF000000u) ? ::GetSysColor(static_cast<int>(initial.color & 0xFF)) : initial.color;
  if (!::ChooseFontW(&cf)) return std::nullopt;
  FontSpec f;
  f.face = Narrow(lf.lfFaceName);
  f.size = cf.iPointSize > 0 ? (cf.iPointSize + 5) / 10 : ::MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, dpi);
  f.color = static_cast<std::uint32_t>(cf.rgbColors);
  f.style = (lf.lfWeight >= FW_BOLD ? 1u : 0u) | (lf.lfItalic ? 2u : 0u) | (lf.lfUnderline ? 4u : 0u) |
            (lf.lfStrikeOut ? 8u : 0u);
  f.charset = lf.lfCharSet;
  return f;
}

}  // namespace nv
