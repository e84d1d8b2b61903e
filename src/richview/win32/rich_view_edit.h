// TRichViewEdit: the rich-text editor control over the engine's editor core.
//
// The control owns a document, the editor core working on it and a layout
// with GDI metrics. It keeps the layout itself (rather than letting the core
// update it) so that after every operation it knows which paragraphs
// changed and repaints only those, plus whatever moved below them.
// Painting goes through a memory bitmap of the invalid area only.
//
// It answers WM_GETTEXT / WM_GETTEXTLENGTH with the document's plain text
// (paragraphs joined by CR LF), as the system's edit controls do, so that
// screen readers and automation tools can read it.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <string>
#include <string_view>

#include "richview/edit.h"
#include "richview/layout.h"
#include "richview/win32/gdi_metrics.h"
#include "ui/win32/control.h"

namespace nv {

class TRichViewEdit : public TControl {
 public:
  TRichViewEdit();
  ~TRichViewEdit() override;

  void Create(TControl* parent, const std::string& name);

  TRVDocument& Document() { return doc_; }
  TRVEditCore& Core() { return core_; }
  TRVStyle& Style() { return doc_.Style; }
  const TRVLayout& Layout() const { return layout_; }

  // Lays out the whole document anew and repaints (after reading a file).
  void Format();
  // Lays out only what was appended at the end since the last formatting.
  void FormatTail();
  // Empties the document (no undo); call Format() to repaint.
  void Clear();
  // Runs a command that works through the editing core (the notebook's
  // picture and export commands), then repaints what it changed, also when
  // the command fails.
  void EditThroughCore(const std::function<void(TRVEditCore&)>& command);

  // Editing commands; each repaints what it changed and keeps the caret in
  // view. In a read-only editor they change nothing and answer false.
  bool InsertText(std::string_view text);
  bool TypeText(std::string_view text);
  bool InsertBreak(int width, TRVBreakStyle style, TColor color);
  bool InsertPicture(TRVPictureItemInfo picture);
  bool DeleteSelection();
  bool Undo();
  bool Redo();
  void SelectAll();
  bool ApplyStyleConversion(int code);
  // Find and Replace: selects a range (a match found), scrolled into view;
  // replaces every match as one undo step (answers how many).
  void SelectRange(TRVParaOffset from, TRVParaOffset to);
  int ReplaceAll(const TRVTextFinder& finder, std::string_view replacement);
  // Alignment of the selected paragraphs, one undo step.
  bool SetParaAlignment(TParaAlignment alignment);

  // Prints the document on pages of pageWidth x pageHeight device pixels at
  // `dpi`, with 2 cm margins, never splitting a line, pictures wider than
  // the margins allow shrunk to fit them: page n is drawn into
  // the DC that beginPage(n) answers, and endPage(n) follows it. Answers the
  // number of pages, or 0 when a page could not begin or end.
  int PrintTo(int dpi, int pageWidth, int pageHeight, const std::function<HDC(int)>& beginPage,
              const std::function<bool(int)>& endPage);

  // Zoom in percent (kMinZoom..kMaxZoom): text, pictures and margins are
  // laid out as on a display of that many times the DPI. Ctrl+plus,
  // Ctrl+minus, Ctrl+0 and Ctrl+wheel change it; the caret stays in view.
  static constexpr int kMinZoom = 50, kMaxZoom = 400, kZoomStep = 10;
  int Zoom() const { return zoom_; }
  void SetZoom(int percent);
  // The clipboard: our own format, "Rich Text Format" and Unicode text;
  // Paste also takes a picture ("PNG", CF_DIBV5, CF_DIB) when there is no
  // text form.
  bool CopyDef();
  bool CutDef();
  bool Paste();

  // Whether the edit commands can do anything now (their menu items are
  // greyed otherwise). Paste asks the clipboard for a form it reads.
  bool CanUndo() const { return !ReadOnly() && core_.CanUndo(); }
  bool CanRedo() const { return !ReadOnly() && core_.CanRedo(); }
  bool CanCut() const { return !ReadOnly() && core_.SelectionExists(); }
  bool CanCopy() const { return core_.SelectionExists(); }
  bool CanPaste() const;

  TColor Color() const { return doc_.Color; }
  // A different colour sets the modified flag (reading a file sets the
  // document's colour directly and does not).
  void SetColor(TColor c);
  bool ReadOnly() const { return core_.ReadOnly(); }
  void SetReadOnly(bool r) { core_.SetReadOnly(r); }
  bool Modified() const { return core_.Modified(); }
  void SetModified(bool m) { core_.SetModified(m); }
  int CurTextStyleNo() const { return core_.CurTextStyleNo(); }
  void SetCurTextStyleNo(int no) { core_.SetCurTextStyleNo(no); }
  int CurParaStyleNo() const { return core_.CurParaStyleNo(); }
  void SetCurParaStyleNo(int no) { core_.SetCurParaStyleNo(no); }

  // Warning flags (rvfw* bits) left by the last reading of RichView
  // Format data into this editor.
  unsigned RVFWarnings = 0;

  // The document's text: paragraphs and line breaks as CR LF, pictures
  // left out, horizontal lines as empty lines.
  std::string PlainText() const;

  // Vertical scrolling, in document pixels.
  int ScrollPos() const { return scrollY_; }
  void ScrollTo(int y);
  void ScrollToCaret();

  // Draws a picture item into the rectangle; false (or unset) paints the
  // placeholder instead.
  std::function<bool(HDC, TRVPictureKind, const SharedBytes&, const RECT&)> PictureDrawer;
  // Renders GIF and ICO pictures as PNG for the clipboard's RTF form, which
  // has no form of its own for them; unset, they are left out of it.
  TRVPictureToPng GifIcoToPng;
  // Runs before a key is handled; setting the key to 0 swallows it.
  std::function<void(WORD& key, unsigned shift)> OnKeyDown;
  // Answers the new number of a text style for a conversion code.
  std::function<int(int styleNo, int code)> OnStyleConversion;
  // The current text style number changed.
  std::function<void()> OnCurTextStyleChanged;
  // A right click or the menu key: the point in screen coordinates.
  std::function<void(POINT)> OnContextPopup;
  // A Ctrl+click on hyperlink text: its target (empty when it has none).
  std::function<void(const std::string& target)> OnJump;
  // A file dropped on the editor (the caret stands at the drop point).
  std::function<void(const std::string& path)> OnDropFile;
  // What other programs drop: files go to OnDropFile, data in our own
  // format, RTF or text is pasted at the drop point. Registered with OLE
  // when the control is made; tests call it directly.
  IDropTarget* DropTarget();
  // Dragging the selection: pressing the button inside it and moving
  // beyond the system's drag rectangle starts a drag that offers it to
  // every program (SelectionDataObject); dropped in this editor it moves
  // there, or is copied with Ctrl, as one undo step; dropped elsewhere as a
  // move, it is deleted here as one undo step. A press inside it without a
  // move places the caret, as any click does.
  // The selection in the forms a drag offers: a new reference, or null
  // when nothing is selected.
  IDataObject* SelectionDataObject() const;
  // Runs a drag as ::DoDragDrop does (the default when unset); tests put
  // in their own, standing in for OLE.
  std::function<HRESULT(IDataObject*, IDropSource*, DWORD allowed, DWORD* effect)> DragDropper;
  // After every change to the document.
  std::function<void()> OnChange;

  // Shift state bits handed to OnKeyDown.
  static constexpr unsigned kShift = 1, kCtrl = 2, kAlt = 4;

  // The clipboard formats registered by name.
  static UINT RVFClipboardFormat();
  static UINT RTFClipboardFormat();
  static UINT PNGClipboardFormat();

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  // Runs an operation, then brings layout, scroll bar, caret and screen up
  // to date with what it changed.
  template <class Op>
  bool Run(Op op);
  void AfterChange(bool contentChanged);
  void InvalidateParas(int first, int last);
  void InvalidateSelection(TRVPosition a1, TRVPosition c1, TRVPosition a2, TRVPosition c2);
  void UpdateScrollBar();
  void UpdateCaret();
  void Paint(HDC dc, const RECT& clip);
  void PaintBuffered(HDC dc, const RECT& area);
  // Paints paragraph p of a layout (the view's, or a printed page's) with
  // its top at `top`; selFrom.Para -1: nothing selected.
  void PaintPara(HDC dc, const TRVLayout& layout, TGdiFontMetrics& metrics, int p, int top, TRVParaOffset selFrom,
                 TRVParaOffset selTo, const RECT& clip);
  // Repaints the lines of paragraph p that differ from its lines `before`.
  void InvalidateChangedLines(int p, const TRVParaLayout& before);
  void PaintPicture(HDC dc, const TRVPictureItemInfo& pic, const RECT& r);
  int ClientHeight() const;
  // A scroll step, and the caret of an empty document, at the display's DPI.
  int LineStep() const;
  TRVRect EmptyCaretRect() const;
  int ClientWidth() const;
  int FirstVisiblePara(int y) const;
  // Keyboard moves.
  bool KeyDown(WORD key);
  void MoveVertically(int lines, bool extend);
  void MoveToLineEdge(bool end, bool extend);
  void MoveWord(bool right, bool extend);
  void SelectWordAt(TRVPosition pos);
  void SelectParagraphAt(TRVPosition pos);
  // A left button press soon after a double click, near it.
  bool IsTripleClick(POINT at) const;
  // A right click moves the caret unless it falls inside the selection.
  void RightClickAt(int x, int y);
  void TypeCodePoint(char32_t cp);
  void MouseTo(int x, int y, bool extend);
  bool OverJump(int x, int y) const;
  // The hyperlink text under a client point; null when none.
  const TRVTextItemInfo* JumpAt(int x, int y) const;
  const TRVLayoutLine* LineAt(int p, int offset, bool preferEnd) const;

  class DropTargetImpl;
  friend class DropTargetImpl;
  // Places the caret at a screen point (while dragging over, and at a drop).
  void CaretToScreenPoint(POINTL pt);
  bool DropData(IDataObject* data);
  TRVPosition PositionAtScreenPoint(POINTL pt) const;
  // Whether a client point is on a selected character.
  bool OverSelection(int x, int y) const;
  void StartDrag();
  // While our own selection is dragged over us, the caret shows where it
  // would go and the selection stays as it is.
  void ShowDropCaret(POINTL pt);
  void HideDropCaret();

  TRVDocument doc_;
  TRVEditCore core_;
  void AcceptDropsOnce();
  DropTargetImpl* dropTarget_ = nullptr;
  bool oleInit_ = false;
  bool dropRegistered_ = false;
  TGdiFontMetrics metrics_;
  TRVLayout layout_;
  int scrollY_ = 0;
  int zoom_ = 100;
  int dpi_ = 96;    // the display's
  int wheelRest_ = 0;  // wheel movement not yet scrolled, in WHEEL_DELTA units
  int caretX_ = -1;  // wanted x for Up/Down moves; -1 none
  bool caretMade_ = false;
  int caretHeight_ = 0;
  int barHeight_ = -1, barPage_ = -1, barPos_ = -1;  // what the scroll bar shows
  bool dragging_ = false;
  bool dragPending_ = false;  // pressed inside the selection, not moved yet
  POINT dragFrom_{};
  IDataObject* dragData_ = nullptr;  // what our own running drag offers
  bool droppedHere_ = false;         // it was dropped on this editor
  bool dropCaret_ = false;
  TRVPosition dropCaretPos_;
  POINT lastMouse_{};
  ULONGLONG doubleClickTick_ = 0;  // when the last double click came; 0 none
  POINT doubleClickAt_{};
  wchar_t highSurrogate_ = 0;
  bool swallowChar_ = false;  // a Ctrl shortcut was handled: drop its control character
  // The back buffer painting draws into, kept between paints (making a
  // bitmap for every keystroke's repaint costs more than the drawing); the
  // bitmap stays selected into the DC, which is released first.
  UniqueGdiObject backBitmap_;
  UniqueHdc backDc_;
  int backWidth_ = 0, backHeight_ = 0;
};

}  // namespace nv
