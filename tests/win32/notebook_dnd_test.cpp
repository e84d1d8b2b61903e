// The notebook's exchange with the outside: text files in UTF-8, pictures
// from the clipboard, links opened through the shell, drops from other
// programs, and the edit commands' menu state, through the real control.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>
#include <windowsx.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "notebook_frame_fixture.h"
#include "notebook/notebook_links.h"
#include "richview/edit_range.h"
#include "richview/rtf.h"
#include "richview/rtf_picture.h"
#include "rss/win32/embedded_wb.h"
#include "support/picture_samples.h"
#include "ui/win32/safe_write.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

// Gives the clipboard (opened by the caller) a copy of the bytes.
void PutOnClipboard(UINT format, const void* bytes, size_t size) {
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, size);
  std::memcpy(::GlobalLock(h), bytes, size);
  ::GlobalUnlock(h);
  ::SetClipboardData(format, h);
}

// A bare 2 x 2 DIB of 24 bits a pixel.
std::string TinyDib() {
  std::string dib(40 + 8 * 2, '\0');
  dib[0] = 40;
  dib[4] = 2;
  dib[8] = 2;
  dib[12] = 1;
  dib[14] = 24;
  return dib;
}

// An OLE data object holding what the clipboard was just given.
struct ClipboardObject {
  IDataObject* data = nullptr;
  ~ClipboardObject() {
    if (data) data->Release();
  }
};

// CF_HDROP bytes naming the files.
std::string FileDropBytes(const std::vector<std::string>& paths) {
  std::wstring names;
  for (const std::string& p : paths) names += Widen(p) + L'\0';
  names += L'\0';
  std::string drops(sizeof(DROPFILES), '\0');
  auto* df = reinterpret_cast<DROPFILES*>(drops.data());
  df->pFiles = sizeof(DROPFILES);
  df->fWide = TRUE;
  drops.append(reinterpret_cast<const char*>(names.data()), names.size() * sizeof(wchar_t));
  return drops;
}

class NotebookExchangeTest : public NotebookFrameFixture {
 protected:
  // Fills the clipboard and takes it as OLE's data object.
  template <class Fill>
  void ClipboardData(ClipboardObject& obj, Fill fill) {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    fill();
    ::CloseClipboard();
    ASSERT_EQ(::OleGetClipboard(&obj.data), S_OK);
  }
  // What OLE does when the mouse carrying the data enters the editor and
  // lets go at a client point: the effects DragEnter and Drop answer.
  std::pair<DWORD, DWORD> DropAt(IDataObject* data, LPARAM at, DWORD keys = MK_LBUTTON) {
    IDropTarget* target = Editor().DropTarget();
    POINT pt{GET_X_LPARAM(at), GET_Y_LPARAM(at)};
    ::ClientToScreen(Editor().Handle(), &pt);
    DWORD entered = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(data, keys, {pt.x, pt.y}, &entered), S_OK);
    DWORD dropped = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(data, keys, {pt.x, pt.y}, &dropped), S_OK);
    return {entered, dropped};
  }
  std::string Text() { return Editor().PlainText(); }
  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteFileSafely(dir.File(name), bytes));
  }
  // A client point just right of this character offset of a paragraph, in
  // the middle of its line.
  LPARAM At(int offset, int para = 0) {
    const TRVDocument& doc = Editor().Document();
    const TRVRect r = Editor().Layout().CaretRect(doc, ToPosition(doc, {para, offset}));
    return MAKELPARAM(r.Left + 1, (r.Top + r.Bottom) / 2 - Editor().ScrollPos());
  }
  bool Enabled(const char* item) {
    const UINT state = ::GetMenuState(Notebook().PopupMenu1(), TNotebookFrame::MenuItemId(item), MF_BYCOMMAND);
    EXPECT_NE(state, static_cast<UINT>(-1)) << item;
    return (state & (MF_GRAYED | MF_DISABLED)) == 0;
  }
  // Undo, Redo, Cut, Copy, Paste: which are enabled after the menu's update.
  std::string MenuState() {
    Notebook().UpdatePopupMenu1();
    std::string s;
    for (const char* item : {"Undo1", "Redo1", "Cut1", "Copy1", "Paste1"}) s += Enabled(item) ? '1' : '0';
    return s;
  }
  static void EmptyClipboard() {
    ASSERT_TRUE(::OpenClipboard(nullptr));
    ::EmptyClipboard();
    ::CloseClipboard();
  }
  void OpenFile(const std::string& path, int filterIndex) {
    prompter.AnswerFile(path, filterIndex);
    Notebook().Open1Click();
  }
};

// ------------------------------------------------------------ UTF-8 text

TEST_F(NotebookExchangeTest, TextReadersTakeUtf8AsUtf8AndTheRestAsBefore) {
  struct Case {
    const char* name;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"marked.txt", "\xEF\xBB\xBF" "\xD0\x96uk\r\ncaf\xC3\xA9", "\xD0\x96uk\r\ncaf\xC3\xA9"},
      {"plain.txt", "caf\xC3\xA9 \xE2\x82\xAC", "caf\xC3\xA9 \xE2\x82\xAC"},
      // Not well-formed UTF-8: the ANSI reading (Windows-1252 here).
      {"ansi.txt", "caf\xE9", "caf\xC3\xA9"},
      {"ascii.txt", "just ascii", "just ascii"},
  };
  for (const Case& c : cases) {
    Write(c.name, c.bytes);
    for (int filter : {2, 3}) {
      Editor().SetModified(false);
      OpenFile(dir.File(c.name), filter);
      EXPECT_EQ(Text(), c.text) << c.name << " through filter " << filter;
    }
  }
  // No warning was shown: UTF-8 is read without the Unicode warning.
  for (const PromptCall& call : prompter.Calls()) EXPECT_EQ(call.kind, PromptCall::Open);
}

// ------------------------------------------------------ pasted pictures

TEST_F(NotebookExchangeTest, PastedBitmapBecomesAPictureAndTextStillWins) {
  // What a screenshot leaves: a device bitmap, which the system also
  // offers as CF_DIB and CF_DIBV5.
  HDC screen = ::GetDC(nullptr);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, 6, 4);
  ::ReleaseDC(nullptr, screen);
  ASSERT_NE(bitmap, nullptr);
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  ASSERT_NE(::SetClipboardData(CF_BITMAP, bitmap), nullptr);  // the clipboard owns it now
  ::CloseClipboard();
  Notebook().UpdatePopupMenu1();
  EXPECT_TRUE(Enabled("Paste1"));
  Editor().InsertText("ab");
  Notebook().Paste1Click();
  const TRVParagraph& para = Editor().Document().Paragraph(0);
  ASSERT_EQ(para.ItemCount(), 2);
  const TRVPictureItemInfo* pic = para.Item(1).AsPicture();
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->Kind, TRVPictureKind::Bmp);
  EXPECT_EQ(pic->Width, 6);
  EXPECT_EQ(pic->Height, 4);
  // One undo step takes it out again.
  Notebook().Undo1Click();
  EXPECT_EQ(Editor().Document().Paragraph(0).ItemCount(), 1);

  // A plain DIB put there directly, with text beside it: the text is pasted.
  const std::string dib = TinyDib();
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  PutOnClipboard(CF_DIB, dib.data(), dib.size());
  const wchar_t text[] = L"words";
  PutOnClipboard(CF_UNICODETEXT, text, sizeof text);
  ::CloseClipboard();
  Notebook().Paste1Click();
  EXPECT_EQ(Text(), "abwords");
}

// ----------------------------------------------------------------- links

TEST_F(NotebookExchangeTest, CtrlClickOpensWebAndMailLinksThroughTheShell) {
  std::vector<std::wstring> opened;
  const auto saved = rss::TEmbeddedWB::ShellOpen();
  rss::TEmbeddedWB::ShellOpen() = [&](const std::wstring& u) { opened.push_back(u); };
  TRVDocument& doc = Editor().Document();
  TRVParagraph& para = doc.AddParagraph(0);
  para.AddItem(TRVItem::MakeText("web", 4, "https://example.org/x"));
  para.AddItem(TRVItem::MakeText(" ", 0));
  para.AddItem(TRVItem::MakeText("mail", 4, "mailto:me@example.org"));
  para.AddItem(TRVItem::MakeText(" ", 0));
  para.AddItem(TRVItem::MakeText("file", 5, "file:///C:/windows/notepad.exe"));
  Editor().Format();
  auto click = [&](int offset, WPARAM keys) {
    Editor().Perform(WM_LBUTTONDOWN, keys, At(offset));
    Editor().Perform(WM_LBUTTONUP, 0, At(offset));
  };
  click(1, MK_LBUTTON);  // a plain click only places the caret
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(Editor().Core().Caret().Offset, 1);
  click(1, MK_LBUTTON | MK_CONTROL);
  click(6, MK_LBUTTON | MK_CONTROL);
  click(2, MK_LBUTTON | MK_CONTROL);
  EXPECT_EQ(opened, (std::vector<std::wstring>{L"https://example.org/x", L"mailto:me@example.org",
                                               L"https://example.org/x"}));
  // Any other target is refused with a message; plain text is not a link.
  prompter.ClearCalls();
  click(12, MK_LBUTTON | MK_CONTROL);
  EXPECT_EQ(opened.size(), 3u);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, LinkNotOpenedText("file:///C:/windows/notepad.exe"));
  click(3, MK_LBUTTON | MK_CONTROL);  // the blank between the links
  EXPECT_EQ(opened.size(), 3u);
  EXPECT_EQ(prompter.Calls().size(), 1u);
  rss::TEmbeddedWB::ShellOpen() = saved;
}

// ---------------------------------------------------------------- drops

TEST_F(NotebookExchangeTest, OtherProgramsCanDropOnTheEditorOnceItIsOnScreen) {
  const HWND editor = Editor().Handle();
  // Made but not yet painted: no other program can have seen it.
  EXPECT_EQ(::GetPropW(editor, L"OleDropTargetInterface"), nullptr);
  ::UpdateWindow(editor);
  // Painted: the editor is the window's drop target, and stays the only one.
  EXPECT_NE(::GetPropW(editor, L"OleDropTargetInterface"), nullptr);
  EXPECT_EQ(::RegisterDragDrop(editor, Editor().DropTarget()), DRAGDROP_E_ALREADYREGISTERED);
}

TEST_F(NotebookExchangeTest, DropsOfTextRtfAndFilesLandAtTheDropPoint) {
  IDropTarget* target = Editor().DropTarget();
  ASSERT_NE(target, nullptr);
  Editor().InsertText("[]");
  auto drop = [&](auto fill) {
    ClipboardObject obj;
    ClipboardData(obj, fill);
    const auto [entered, dropped] = DropAt(obj.data, At(1));
    EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_COPY));
  };
  auto reset = [&] {
    Editor().SelectAll();
    Editor().InsertText("[]");
  };

  const wchar_t text[] = L"text";
  drop([&] { PutOnClipboard(CF_UNICODETEXT, text, sizeof text); });
  EXPECT_EQ(Text(), "[text]");

  reset();
  const char rtf[] = "{\\rtf1\\ansi {\\b bold}}";
  drop([&] { PutOnClipboard(TRichViewEdit::RTFClipboardFormat(), rtf, sizeof rtf); });
  EXPECT_EQ(Text(), "[bold]");
  EXPECT_TRUE(Notebook().rvs().TextStyle(Editor().Document().Paragraph(0).Item(1).AsText()->StyleNo).HasStyle(fsBold));

  // Files: UTF-8 text, RTF and a picture, in one drop.
  Write("u.txt", "\xEF\xBB\xBF" "caf\xC3\xA9");
  Write("f.rtf", "{\\rtf1\\ansi {\\i it}}");
  const std::string dib = TinyDib();
  const std::vector<std::uint8_t> bmp = DibToBmpFile({reinterpret_cast<const std::uint8_t*>(dib.data()), dib.size()});
  Write("p.bmp", std::string(bmp.begin(), bmp.end()));
  const std::string drops = FileDropBytes({dir.File("p.bmp"), dir.File("f.rtf"), dir.File("u.txt")});
  reset();
  drop([&] { PutOnClipboard(CF_HDROP, drops.data(), drops.size()); });
  // Each file goes in at the caret, after the one before it.
  EXPECT_EQ(Text(), "[itcaf\xC3\xA9]");
  const TRVParagraph& para = Editor().Document().Paragraph(0);
  bool picture = false;
  for (const TRVItem& item : para.Items()) picture = picture || item.AsPicture() != nullptr;
  EXPECT_TRUE(picture);

  // A read-only editor refuses drops.
  Editor().SetReadOnly(true);
  ClipboardObject obj;
  ClipboardData(obj, [&] { PutOnClipboard(CF_UNICODETEXT, text, sizeof text); });
  const auto [entered, dropped] = DropAt(obj.data, At(1));
  EXPECT_EQ(entered, static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_EQ(dropped, static_cast<DWORD>(DROPEFFECT_NONE));
  Editor().SetReadOnly(false);
}

TEST_F(NotebookExchangeTest, DroppedPicturesOfEveryKindGoInAtTheDropPointAsOneUndoStep) {
  samples::GifFrame f;
  f.width = 6, f.height = 5;
  f.indices.assign(30, 1);
  const samples::Bytes gif = samples::MakeGif(6, 5, {{0, 0, 0}, {255, 0, 0}}, {f});
  Write("a.gif", std::string(gif.begin(), gif.end()));
  Write("B.GIF", std::string(gif.begin(), gif.end()));
  Write("bad.gif", "GIF89a\x01");
  for (const char* name : {"a.gif", "B.GIF"}) {
    SCOPED_TRACE(name);
    Editor().SelectAll();
    Editor().InsertText("one two");
    Editor().InsertText("\r\nlast");
    ClipboardObject obj;
    ClipboardData(obj, [&] {
      const std::string drops = FileDropBytes({dir.File(name)});
      PutOnClipboard(CF_HDROP, drops.data(), drops.size());
    });
    // Let go just after "one", with the caret somewhere else.
    Editor().Core().SetCaret(Editor().Document().EndPosition());
    EXPECT_EQ(DropAt(obj.data, At(3)).second, static_cast<DWORD>(DROPEFFECT_COPY));
    const TRVParagraph& para = Editor().Document().Paragraph(0);
    ASSERT_EQ(para.ItemCount(), 3);
    EXPECT_EQ(para.Item(0).AsText()->Text, "one");
    ASSERT_NE(para.Item(1).AsPicture(), nullptr);
    EXPECT_EQ(para.Item(1).AsPicture()->Kind, TRVPictureKind::Gif);
    EXPECT_EQ(para.Item(1).AsPicture()->Width, 6);
    EXPECT_EQ(Text(), "one two\r\nlast");
    Notebook().Undo1Click();
    EXPECT_EQ(Editor().Document().Paragraph(0).ItemCount(), 1);
    EXPECT_EQ(Text(), "one two\r\nlast");
  }
  EXPECT_TRUE(prompter.Calls().empty());
  // One that cannot be read says so, as the menu command does for the
  // other kinds, and changes nothing.
  ClipboardObject obj;
  ClipboardData(obj, [&] {
    const std::string drops = FileDropBytes({dir.File("bad.gif")});
    PutOnClipboard(CF_HDROP, drops.data(), drops.size());
  });
  DropAt(obj.data, At(3));
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Cannot read picture from file " + dir.File("bad.gif"));
  EXPECT_EQ(Editor().Document().Paragraph(0).ItemCount(), 1);
}

// ------------------------------------------------ dragging the selection

// Bytes of one form of a data object; empty when it does not offer it.
std::string FormBytes(IDataObject* data, UINT format) {
  FORMATETC fe{static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM medium{};
  if (data->GetData(&fe, &medium) != S_OK) return {};
  std::string bytes(static_cast<const char*>(::GlobalLock(medium.hGlobal)), ::GlobalSize(medium.hGlobal));
  ::GlobalUnlock(medium.hGlobal);
  ::ReleaseStgMedium(&medium);
  return bytes;
}

TEST_F(NotebookExchangeTest, TheDragOffersTheSelectionAsOurFormatRtfAndText) {
  Editor().InsertText("plain ");
  Editor().SetCurTextStyleNo(1);  // "Heading": bold
  Editor().InsertText("Bold caf\xC3\xA9");
  Editor().SetCurTextStyleNo(0);
  Editor().InsertText("\r\nnext line");
  EXPECT_EQ(Editor().SelectionDataObject(), nullptr) << "nothing selected, nothing to drag";
  Editor().SelectRange({0, 6}, {1, 4});
  IDataObject* data = Editor().SelectionDataObject();
  ASSERT_NE(data, nullptr);

  IEnumFORMATETC* formats = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &formats), S_OK);
  std::vector<UINT> offered;
  FORMATETC fe{};
  while (formats->Next(1, &fe, nullptr) == S_OK) {
    EXPECT_EQ(fe.tymed, static_cast<DWORD>(TYMED_HGLOBAL));
    EXPECT_EQ(data->QueryGetData(&fe), S_OK);
    offered.push_back(fe.cfFormat);
  }
  formats->Release();
  EXPECT_EQ(offered, (std::vector<UINT>{TRichViewEdit::RVFClipboardFormat(), TRichViewEdit::RTFClipboardFormat(),
                                        CF_UNICODETEXT, CF_TEXT}));
  FORMATETC bitmap{CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&bitmap), DV_E_FORMATETC);

  // Text: the selection with CR LF between its paragraphs, NUL-terminated.
  const std::string unicode = FormBytes(data, CF_UNICODETEXT);
  const std::wstring wide = L"Bold caf\u00E9\r\nnext";
  EXPECT_EQ(unicode, std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(FormBytes(data, CF_TEXT), Utf8ToAnsi("Bold caf\xC3\xA9\r\nnext") + '\0');
  // RTF that reads back as the same text and formatting.
  std::string rtf = FormBytes(data, TRichViewEdit::RTFClipboardFormat());
  ASSERT_FALSE(rtf.empty());
  EXPECT_EQ(rtf.back(), '\0');
  rtf.pop_back();
  TRVDocument back;
  ASSERT_TRUE(LoadRTF(rtf, back));
  ASSERT_EQ(back.ParagraphCount(), 2);
  const TRVTextItemInfo* bold = back.Paragraph(0).Item(0).AsText();
  ASSERT_NE(bold, nullptr);
  EXPECT_EQ(bold->Text, "Bold caf\xC3\xA9");
  EXPECT_TRUE(back.Style.TextStyle(bold->StyleNo).HasStyle(fsBold));
  EXPECT_EQ(back.Paragraph(1).Item(0).AsText()->Text, "next");
  data->Release();
}

class NotebookDragTest : public NotebookExchangeTest {
 protected:
  // Presses the button at one client point and moves to another, with
  // `ole` standing in for OLE when the move starts a drag. Answers
  // whether a drag started.
  template <class Ole>
  bool Drag(LPARAM from, LPARAM to, Ole ole) {
    bool started = false;
    Editor().DragDropper = [&](IDataObject* data, IDropSource* source, DWORD allowed, DWORD* effect) {
      started = true;
      EXPECT_EQ(allowed, static_cast<DWORD>(DROPEFFECT_COPY | DROPEFFECT_MOVE));
      EXPECT_EQ(source->QueryContinueDrag(FALSE, MK_LBUTTON), S_OK);
      EXPECT_EQ(source->QueryContinueDrag(FALSE, 0), DRAGDROP_S_DROP);
      EXPECT_EQ(source->QueryContinueDrag(TRUE, MK_LBUTTON), DRAGDROP_S_CANCEL);
      return ole(data, effect);
    };
    Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, from);
    Editor().Perform(WM_MOUSEMOVE, MK_LBUTTON, to);
    if (!started) Editor().Perform(WM_LBUTTONUP, 0, to);
    Editor().DragDropper = nullptr;
    return started;
  }
  // OLE dropping on our own editor at a client point, with these keys.
  auto DropHere(LPARAM at, DWORD keys, DWORD expected) {
    return [=, this](IDataObject* data, DWORD* effect) -> HRESULT {
      const auto [entered, dropped] = DropAt(data, at, keys);
      EXPECT_EQ(entered, expected);
      EXPECT_EQ(dropped, expected);
      *effect = dropped;
      return DRAGDROP_S_DROP;
    };
  }
  static LPARAM Beside(LPARAM at, int dx) { return MAKELPARAM(GET_X_LPARAM(at) + dx, GET_Y_LPARAM(at)); }
  int UndoSteps() { return Editor().Core().History().UndoCount(); }
};

TEST_F(NotebookDragTest, DroppedInTheEditorTheSelectionMovesOrWithCtrlIsCopiedAsOneUndoStep) {
  Editor().InsertText("one two three\r\nsecond");
  const int steps = UndoSteps();
  Editor().SelectRange({0, 0}, {0, 4});  // "one "
  // A move to the end of the paragraph.
  ASSERT_TRUE(Drag(At(1), Beside(At(1), 30), DropHere(At(13), MK_LBUTTON, DROPEFFECT_MOVE)));
  EXPECT_EQ(Text(), "two threeone \r\nsecond");
  EXPECT_EQ(UndoSteps(), steps + 1);
  Notebook().Undo1Click();
  EXPECT_EQ(Text(), "one two three\r\nsecond");

  // With Ctrl, a copy into the next paragraph, left selected.
  Editor().SelectRange({0, 0}, {0, 4});
  ASSERT_TRUE(Drag(At(2), Beside(At(2), -30), DropHere(At(3, 1), MK_LBUTTON | MK_CONTROL, DROPEFFECT_COPY)));
  EXPECT_EQ(Text(), "one two three\r\nsecone ond");
  EXPECT_EQ(Editor().Core().SelectionStart(), ToPosition(Editor().Document(), {1, 3}));
  EXPECT_EQ(Editor().Core().SelectionEnd(), ToPosition(Editor().Document(), {1, 7}));
  Notebook().Undo1Click();
  EXPECT_EQ(Text(), "one two three\r\nsecond");
  EXPECT_EQ(UndoSteps(), steps);

  // Let go inside the selection: nothing happens, and the source is told so.
  Editor().SelectRange({0, 4}, {0, 13});  // "two three"
  ASSERT_TRUE(Drag(At(5), Beside(At(5), 30), DropHere(At(9), MK_LBUTTON, DROPEFFECT_NONE)));
  EXPECT_EQ(Text(), "one two three\r\nsecond");
  EXPECT_EQ(UndoSteps(), steps);
  EXPECT_TRUE(Editor().Core().SelectionExists());
}

TEST_F(NotebookDragTest, TakenByAnotherProgramAsAMoveTheSelectionIsDeletedAsOneUndoStep) {
  Editor().InsertText("keep take keep");
  const int steps = UndoSteps();
  auto other = [](DWORD result) {
    return [=](IDataObject* data, DWORD* effect) -> HRESULT {
      // What the other program reads is the selection.
      const std::wstring wide = L"take ";
      EXPECT_EQ(FormBytes(data, CF_UNICODETEXT),
                std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t)));
      *effect = result;
      return result == DROPEFFECT_NONE ? DRAGDROP_S_CANCEL : DRAGDROP_S_DROP;
    };
  };
  Editor().SelectRange({0, 5}, {0, 10});
  ASSERT_TRUE(Drag(At(6), Beside(At(6), 0) + MAKELPARAM(0, 40), other(DROPEFFECT_COPY)));
  EXPECT_EQ(Text(), "keep take keep");
  ASSERT_TRUE(Drag(At(6), Beside(At(6), 40), other(DROPEFFECT_NONE)));
  EXPECT_EQ(Text(), "keep take keep");
  EXPECT_EQ(UndoSteps(), steps);
  ASSERT_TRUE(Drag(At(6), Beside(At(6), 40), other(DROPEFFECT_MOVE)));
  EXPECT_EQ(Text(), "keep keep");
  EXPECT_EQ(UndoSteps(), steps + 1);
  Notebook().Undo1Click();
  EXPECT_EQ(Text(), "keep take keep");
}

TEST_F(NotebookDragTest, APressInsideTheSelectionWithoutADragPlacesTheCaret) {
  Editor().InsertText("alpha beta gamma");
  Editor().SelectRange({0, 6}, {0, 10});  // "beta"
  // Within the system's drag rectangle: no drag, a click.
  const int within = ::GetSystemMetrics(SM_CXDRAG) / 2;
  EXPECT_FALSE(Drag(At(7), Beside(At(7), within), [](IDataObject*, DWORD*) { return E_FAIL; }));
  EXPECT_FALSE(Editor().Core().SelectionExists());
  EXPECT_EQ(Editor().Core().Caret(), ToPosition(Editor().Document(), {0, 7}));
  EXPECT_EQ(Text(), "alpha beta gamma");
  // Outside the selection a press and a move select, as before.
  Editor().SelectRange({0, 6}, {0, 10});
  EXPECT_FALSE(Drag(At(1), At(4), [](IDataObject*, DWORD*) { return E_FAIL; }));
  EXPECT_EQ(Editor().Core().SelectionStart(), ToPosition(Editor().Document(), {0, 1}));
  EXPECT_EQ(Editor().Core().SelectionEnd(), ToPosition(Editor().Document(), {0, 4}));
}

// ------------------------------------------------------- menus and state

TEST_F(NotebookExchangeTest, EditItemsAreGreyedWhenTheyCanDoNothing) {
  EmptyClipboard();
  EXPECT_EQ(MenuState(), "00000");
  Editor().Perform(WM_CHAR, L'a', 1);
  Editor().Perform(WM_CHAR, L'b', 1);
  EXPECT_EQ(MenuState(), "10000");  // undo only: nothing selected, nothing to paste
  Notebook().SelectAll1Click();
  EXPECT_EQ(MenuState(), "10110");
  Notebook().Copy1Click();
  EXPECT_EQ(MenuState(), "10111");
  Notebook().Undo1Click();
  EXPECT_EQ(MenuState(), "01001");  // the typing undone: nothing left to select
  // A read-only editor offers only Copy.
  Notebook().Redo1Click();
  Notebook().SelectAll1Click();
  Editor().SetReadOnly(true);
  EXPECT_EQ(MenuState(), "00010");
  Editor().SetReadOnly(false);
  // Text of another program counts as something to paste.
  EmptyClipboard();
  EXPECT_EQ(MenuState().back(), '0');
  ASSERT_TRUE(::OpenClipboard(nullptr));
  const wchar_t text[] = L"other";
  PutOnClipboard(CF_UNICODETEXT, text, sizeof text);
  ::CloseClipboard();
  EXPECT_EQ(MenuState().back(), '1');
}

TEST_F(NotebookExchangeTest, RightClickMovesTheCaretUnlessInsideTheSelection) {
  Editor().InsertText("alpha beta gamma");
  // Inside the selection: kept for the menu's Cut and Copy.
  Editor().Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, At(8));  // selects "beta"
  Editor().Perform(WM_LBUTTONUP, 0, At(8));
  Editor().Perform(WM_RBUTTONDOWN, MK_RBUTTON, At(7));
  ASSERT_TRUE(Editor().Core().SelectionExists());
  EXPECT_EQ(Editor().Core().SelectionStart().Offset, 6);
  // Outside it: the caret goes where the click was, the selection ends.
  Editor().Perform(WM_RBUTTONDOWN, MK_RBUTTON, At(2));
  EXPECT_FALSE(Editor().Core().SelectionExists());
  EXPECT_EQ(Editor().Core().Caret().Offset, 2);
}

TEST_F(NotebookExchangeTest, TripleClickSelectsTheParagraph) {
  Editor().InsertText("first line\r\nsecond para here\r\nthird");
  const LPARAM p = At(3, 1);
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, p);
  Editor().Perform(WM_LBUTTONUP, 0, p);
  Editor().Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, p);
  Editor().Perform(WM_LBUTTONUP, 0, p);
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, p);
  Editor().Perform(WM_LBUTTONUP, 0, p);
  Editor().Perform(WM_CHAR, L'X', 1);
  EXPECT_EQ(Text(), "first line\r\nX\r\nthird");
  // A single click after that places the caret again.
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(2, 0));
  Editor().Perform(WM_LBUTTONUP, 0, At(2, 0));
  EXPECT_FALSE(Editor().Core().SelectionExists());
}

}  // namespace
}  // namespace nv
