// The "My Notebook" tab: the rich-text editor, its popup menu, the document
// commands, the notebook's toolbar items and the style commands.
//
// The frame keeps no document of its own: the text lives in RichViewEdit1
// and moves in and out through files. The twelve toolbar items are made on
// the host's toolbar, in the host's order, and start disabled; the host
// calls InnerPageChanged whenever its inner tab control changes page.
#pragma once

#include <windows.h>

#include <commdlg.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "richview/style_conversion.h"
#include "richview/win32/rich_view_edit.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"
#include "notebook/autosave.h"
#include "notebook/notebook_dialogs.h"
#include "notebook/notebook_export.h"
#include "notebook/nvx.h"
#include "notebook/win32/notebook_recovery.h"
#include "notebook/win32/print_target.h"

namespace nv {

class TNotebookFrame : public TFrame {
 public:
  ~TNotebookFrame() override;
  TRichViewEdit RichViewEdit1;
  TRVStyle& rvs() { return RichViewEdit1.Style(); }

  // Toolbar items, in the order they stand on the toolbar.
  TComboBox SizeList, FontList;
  TGlowButton OpenBtn, SaveBtn, InsertImageBtn, ItalicBtn, BoldBtn, UnderlineBtn, LineBtn, FontBtn,
      EncryptBtn, DecryptBtn;
  static constexpr int kToolbarItems = 12;
  TControl* ToolbarItem(int i);

  // The popup menu: item names and captions in order ("-" separators).
  struct MenuEntry {
    const char* name;
    const char* caption;
    void (TNotebookFrame::*handler)();
  };
  static const std::vector<MenuEntry>& PopupMenu1Items();
  HMENU PopupMenu1() const { return popup_.get(); }
  // Runs the handler of the popup menu item with this name.
  bool ClickMenuItem(const std::string& name);
  // Greys the edit items that can do nothing now; run before the menu shows.
  void UpdatePopupMenu1();
  // The popup menu's command id of the item with this name; 0 when none.
  static UINT MenuItemId(const std::string& name);

  // The file dialogs shared with the picture and Base64 commands: what a
  // command does not set stays as the previous command left it.
  // The notebook's two dialogs, shared by all its commands.
  TNotebookDialogs Dialogs;
  FileDialogRequest& OpenDialog = Dialogs.Open;
  FileDialogRequest& SaveDialog = Dialogs.Save;

  // Document state.
  std::string DocumentFileName;
  // The key derivation's costs for encrypted saves (the file keeps them, so
  // they may rise without making older files unreadable).
  NvxParams EncryptionCosts = kNvxFileParams;
  // An encrypted document: one opened from, or saved as, an encrypted
  // notebook. Its password stays in memory for the quick save and the
  // recovery file until New, Open or the end of the program.
  bool DocumentEncrypted() const { return documentKey_ != nullptr; }
  // Whether the quick save writes DocumentFileName encrypted.
  bool DocumentFileEncrypted() const { return documentFileEncrypted_; }
  // Wipes the password and the key (New, Open, the program's exit).
  void ForgetDocumentSecret();
  std::string HtmlTitle;
  unsigned HtmlOptions = 320;

  // Popup menu handlers.
  void Open1Click();
  void New1Click();
  void Save1Click();
  void Paste1Click();
  void Copy1Click();
  void Cut1Click();
  void Delete1Click();
  void Redo1Click();
  void Undo1Click();
  void SelectAll1Click();
  void Background1Click();
  void InsertImage1Click();

  // Toolbar handlers.
  void OpenBtnClick() { Open1Click(); }
  void SaveBtnClick() { Save1Click(); }
  void InsertImageBtnClick() { InsertImage1Click(); }
  void LineBtnClick();
  void EncryptBtnClick();
  void DecryptBtnClick();
  TExportPlaces ExportPlaces() const;
  void BoldBtnClick() { RichViewEdit1.ApplyStyleConversion(kConvertBold); }
  void ItalicBtnClick() { RichViewEdit1.ApplyStyleConversion(kConvertItalic); }
  void UnderlineBtnClick() { RichViewEdit1.ApplyStyleConversion(kConvertUnderline); }
  // The selectors' choices: apply the selected face / the size text, then
  // give the editor the focus.
  void FontListChange();
  void SizeListChange();
  void FontbtnClick();

  // The save-before-open question and the quick saves.
  bool SaveBeforeOpen();
  bool QuickSave();
  bool QuickSaveAs();

  // Editor events. The key handler also turns Ctrl+B, Ctrl+I and Ctrl+U
  // into clicks of BoldBtn, ItalicBtn and UnderlineBtn; Ctrl+L, Ctrl+E,
  // Ctrl+R and Ctrl+J align the selected paragraphs left, centred, right
  // and justified; Ctrl+F, F3, Shift+F3 and Ctrl+H find and replace;
  // Ctrl+P prints.
  void RichViewEdit1KeyDown(WORD& key, unsigned shift);
  int RichViewEdit1StyleConversion(int styleNo, int code);
  // Ctrl+click on a link: http, https and mailto targets go to the shell.
  void RichViewEdit1Jump(const std::string& target);
  // A file dropped on the editor: pictures through the picture command's
  // path, RTF as formatted text, anything else as text.
  void RichViewEdit1DropFile(const std::string& path);
  void RichViewEdit1CurTextStyleChanged();
  bool StyleSelectorUpdating() const { return updatingSelectors_; }

  // --- Find and Replace ---------------------------------------------------
  // Ctrl+F and Ctrl+H: the system's modeless find / replace dialog, one at a
  // time (asking for the other closes the first). It starts with the
  // selected text when that is one line, else the last text searched for.
  void FindDialogShow(bool replace);
  HWND FindDialog() const { return findDialog_; }
  // F3 / Shift+F3: the last search again, down / up (Shift+F3 reverses the
  // dialog's direction); with nothing searched yet, F3 opens the dialog.
  // Selects the match; "Cannot find" when there is none. Answers whether it
  // found one.
  bool FindNext(bool reverse = false);
  // The dialog's buttons: the registered FINDMSGSTRING message carries them.
  void FindDialogNotify(const FINDREPLACEW& fr);
  // What the last search looked for and how; the replacement text.
  std::string FindWhat, ReplaceWith;
  TRVSearchOptions FindOptions;

  // --- Printing (Ctrl+P) -----------------------------------------------------
  // Prints the document through the target ChoosePrinter answers (the
  // system's print dialog and the printer chosen there unless a test puts
  // its own target in); nothing when it answers none (Cancel).
  void PrintDocument();
  std::function<std::unique_ptr<TPrintTarget>()> ChoosePrinter;

  // Called by the main window: when it is first shown (the date line), and
  // whenever its inner tab control changes page.
  void FormShow();
  void InnerPageChanged(bool notebookOnScreen);

  // The date line text: the locale's short date, a blank and the long
  // time; only the date at exactly midnight.
  static std::string DateLine(const SYSTEMTIME& t);
  // Inserts the current date line and a paragraph break at the caret.
  void InsertDateLine();

  // Sizes offered by SizeList, most recently chosen first.
  const std::vector<int>& RecentSizes() const { return recentSizes_; }

  std::string FontNameRequest;
  int FontSizeRequest = 0;

  // --- the user's text is never lost --------------------------------------
  // Asked when the program is about to exit: a modified notebook is offered
  // for saving first. Answers whether the exit may go on.
  bool CanClose();
  // The notebook was saved, or its changes knowingly discarded, or the
  // program exits cleanly: the recovery file is no longer wanted.
  void DiscardRecovery();
  // Writes the recovery file at once (the Windows session is ending).
  void WriteRecoveryNow();
  // At start: offers what an earlier run left unsaved.
  void OfferRecovery();
  static constexpr const char* kRecoveryFileName = "Notebook.recovery";
  TNotebookRecovery& Recovery() { return *recovery_; }
  AutosaveSchedule& Autosave() { return autosave_; }
  // Checks the schedule while changes wait to be written.
  TTimer AutosaveTimer;

 protected:
  void CreateComponents() override;
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;
  void LayoutComponents() override;

 private:
  void CreateToolbarItems();
  void CreatePopupMenu();
  void ShowPopup(POINT screen);
  void FocusEditorIfShown();
  int Box(BoxOwner owner, const std::string& text, const std::string& caption, unsigned flags);
  void UnicodeWarning();
  bool ReadFile(const std::string& path, int filterIndex, int textStyle, int paraStyle);
  bool WriteFile(const std::string& path, int filterIndex);
  void RememberSize(int size);
  // What the two change handlers apply, without moving the focus.
  void ApplyFontList();
  void ApplySizeText(const std::string& text);

  void DocumentChanged();
  void AutosaveTick();
  void DiscardPendingAutosave();
  using ExportCommand = bool (*)(TRVEditCore&, Prompter&, TNotebookDialogs&, const TExportPlaces&, const AnsiCodec&);
  void ReplaceThroughExport(ExportCommand command);
  // Asks "Save changes made?" before a command replaces a modified
  // document; answers whether the command may go on.
  bool SaveChangesFirst();

  // Encrypted notebooks.
  void OpenEncrypted(const std::string& path);
  // Asks for a new password twice; nothing after Cancel or when the two
  // differ (said to the user).
  std::optional<SecretString> AskNewPassword();
  // Seals the document under a fresh key from the password (a new salt for
  // every save) and writes it; answers the key, nothing on failure.
  std::shared_ptr<const NvxKey> WriteEncrypted(const std::string& path, std::string_view password);
  // The recovery file's unsealed bytes of an encrypted document, opened
  // with the password the user gives; false after Cancel or a wrong one.
  bool OpenEncryptedRecovery(std::string& bytes, TRVDocument& restored, unsigned& warnings);

  SecretString documentPassword_;
  std::shared_ptr<const NvxKey> documentKey_;
  bool documentFileEncrypted_ = false;
  void CloseFindDialog();
  void NotFound();

  // The dialog reads and writes these while it is open.
  FINDREPLACEW findReplace_{};
  wchar_t findBuffer_[256] = {};
  wchar_t replaceBuffer_[256] = {};
  HWND findDialog_ = nullptr;

  std::unique_ptr<TNotebookRecovery> recovery_;
  AutosaveSchedule autosave_;
  // An unreadable recovery file could not be moved aside: it is not
  // overwritten.
  bool recoveryBlocked_ = false;
  UniqueHMenu popup_;
  bool updatingSelectors_ = false;
  ChosenFont chosenFont_;
  std::vector<int> recentSizes_;
};

}  // namespace nv
