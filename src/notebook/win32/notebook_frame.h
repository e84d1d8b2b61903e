// The "My Notebook" tab: the rich-text editor, its popup menu, the document
// commands, the notebook's toolbar items and the style commands.
//
// The frame keeps no document of its own: the text lives in RichViewEdit1
// and moves in and out through files. The twelve toolbar items are made on
// the host's toolbar, in the host's order, and start disabled; the host
// calls InnerPageChanged whenever its inner tab control changes page.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "notebook/richview/style_conversion.h"
#include "notebook/richview/win32/rich_view_edit.h"
#include "ui/win32/frame.h"
#include "ui/win32/std_controls.h"
#include "ui/win32/unique_handle.h"
#include "notebook/autosave.h"
#include "notebook/notebook_dialogs.h"
#include "notebook/notebook_export.h"
#include "notebook/win32/notebook_recovery.h"

namespace nv {

class TNotebookFrame : public TFrame {
 public:
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
  // into clicks of BoldBtn, ItalicBtn and UnderlineBtn.
  void RichViewEdit1KeyDown(WORD& key, unsigned shift);
  int RichViewEdit1StyleConversion(int styleNo, int code);
  // Ctrl+click on a link: http, https and mailto targets go to the shell.
  void RichViewEdit1Jump(const std::string& target);
  // A file dropped on the editor: pictures through the picture command's
  // path, RTF as formatted text, anything else as text.
  void RichViewEdit1DropFile(const std::string& path);
  void RichViewEdit1CurTextStyleChanged();
  bool StyleSelectorUpdating() const { return updatingSelectors_; }

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
