// The notebook: the editor control driven by real messages and keystrokes,
// and the frame's document, edit and style commands through the scripted
// prompter, on real files.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "frame_test_host.h"
#include "helper_process.h"
#include "notebook_frame_fixture.h"
#include "screenshot.h"
#include "richview/rtf.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "richview/text_format.h"
#include "notebook/win32/notebook_frame.h"
#include "support/document_items.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/paths.h"
#include "ui/win32/application.h"
#include "ui/win32/safe_write.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

constexpr unsigned kQuestion35 = MB_YESNOCANCEL | MB_ICONQUESTION;

class NotebookTest : public NotebookFrameFixture {
 protected:
  // The text as automation tools read it.
  std::string Text() {
    HWND h = Editor().Handle();
    const LRESULT n = ::SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    std::wstring w(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = ::SendMessageW(h, WM_GETTEXT, w.size(), reinterpret_cast<LPARAM>(w.data()));
    w.resize(static_cast<size_t>(got));
    return Narrow(w);
  }
  void Chars(const std::wstring& s) {
    for (wchar_t c : s) Editor().Perform(WM_CHAR, c, 1);
  }
  // A key as the keyboard sends it, with modifiers held in the thread's
  // key state.
  void Key(WORD vk, std::initializer_list<int> held = {}) {
    BYTE old[256], now[256];
    ::GetKeyboardState(old);
    std::memcpy(now, old, sizeof now);
    for (int m : held) now[m] |= 0x80;
    ::SetKeyboardState(now);
    Editor().Perform(WM_KEYDOWN, vk, 1);
    if (vk == VK_SPACE) Editor().Perform(WM_CHAR, L' ', 1);
    if (vk == VK_RETURN) Editor().Perform(WM_CHAR, L'\r', 1);
    ::SetKeyboardState(old);
  }
  static void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  // The caret's text style after typing each part in the given style.
  void Styled(std::initializer_list<std::pair<const char*, int>> parts) {
    for (auto& [text, style] : parts) {
      Editor().SetCurTextStyleNo(style);
      Editor().InsertText(text);
    }
  }
  void Write(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(WriteFileSafely(dir.File(name), bytes));
  }
  std::vector<std::string> DirNames() {
    std::vector<std::string> names;
    for (auto& e : std::filesystem::directory_iterator(PathFromUtf8(dir.Path())))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  void OpenFile(const std::string& path, int filterIndex) {
    prompter.AnswerFile(path, filterIndex);
    Notebook().Open1Click();
  }
  // Laid out for what the document holds now: one layout per paragraph,
  // each made from the paragraph's present state (its revision stamp).
  bool FormattedEditor() {
    const TRVLayout& layout = Editor().Layout();
    const TRVDocument& doc = Editor().Document();
    if (layout.ParagraphCount() != doc.ParagraphCount()) return false;
    for (int p = 0; p < doc.ParagraphCount(); ++p)
      if (layout.Para(p).Revision != doc.Paragraph(p).Revision()) return false;
    return true;
  }
};

// -------------------------------------------------------------- toolbar, menu

TEST_F(NotebookTest, ToolbarItemsStandInOrderStartDisabledAndFollowTheInnerTab) {
  const char* names[] = {"SizeList", "FontList", "OpenBtn", "SaveBtn", "InsertImageBtn", "ItalicBtn",
                         "BoldBtn", "UnderlineBtn", "LineBtn", "FontBtn", "EncryptBtn", "DecryptBtn"};
  const auto& items = host->Bar.Controls();
  ASSERT_EQ(items.size(), 12u);
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(items[static_cast<size_t>(i)]->Name, names[i]);
    EXPECT_FALSE(items[static_cast<size_t>(i)]->Enabled()) << names[i];
  }
  EXPECT_EQ(Notebook().InsertImageBtn.Hint(), "Insert Image");
  EXPECT_EQ(Notebook().LineBtn.Hint(), "Insert a line break");
  EXPECT_EQ(Notebook().EncryptBtn.Hint(), "Encrypt current text to a file");
  EXPECT_EQ(Notebook().DecryptBtn.Hint(), "Decrypt from an encrypted text file");
  EXPECT_EQ(Notebook().BoldBtn.Tag, 1);
  EXPECT_EQ(Notebook().ItalicBtn.Tag, 2);
  EXPECT_EQ(Notebook().UnderlineBtn.Tag, 3);
  EXPECT_GT(Notebook().FontList.Count(), 0);
  // The size box's own edit takes no typing either.
  COMBOBOXINFO sizeBox{};
  sizeBox.cbSize = sizeof sizeBox;
  ASSERT_TRUE(::GetComboBoxInfo(Notebook().SizeList.Handle(), &sizeBox));
  EXPECT_FALSE(::IsWindowEnabled(sizeBox.hwndItem));

  Notebook().InnerPageChanged(true);
  for (TControl* c : items) EXPECT_TRUE(c->Enabled()) << c->Name;
  EXPECT_TRUE(::IsWindowEnabled(sizeBox.hwndItem));
  Notebook().InnerPageChanged(false);
  for (TControl* c : items) EXPECT_FALSE(c->Enabled()) << c->Name;
  EXPECT_FALSE(::IsWindowEnabled(sizeBox.hwndItem));
}

TEST_F(NotebookTest, PopupMenuHoldsItsItemsInOrder) {
  const char* captions[] = {"Open",  "New",        "-", "Save",       "-", "Paste", "Copy", "Cut", "Delete",
                            "-",     "Redo",       "Undo", "-",       "Select All", "-", "Background",
                            "Insert Image"};
  HMENU m = Notebook().PopupMenu1();
  ASSERT_EQ(::GetMenuItemCount(m), 17);
  for (int i = 0; i < 17; ++i) {
    wchar_t buf[64] = {};
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STRING;
    mi.dwTypeData = buf;
    mi.cch = 64;
    ASSERT_TRUE(::GetMenuItemInfoW(m, static_cast<UINT>(i), TRUE, &mi));
    if (std::string(captions[i]) == "-") EXPECT_TRUE(mi.fType & MFT_SEPARATOR) << i;
    else EXPECT_EQ(Narrow(buf), captions[i]);
  }
}

// ---------------------------------------------------------------- the control

TEST_F(NotebookTest, TypedCharactersSurrogatesAndUnicharReadBackAsPlainText) {
  Chars(L"Hello");
  Key(VK_RETURN);
  Chars(L"W\xD83D\xDE00");  // U+1F600 as a surrogate pair
  EXPECT_EQ(::SendMessageW(Editor().Handle(), WM_UNICHAR, UNICODE_NOCHAR, 0), TRUE);
  Editor().Perform(WM_UNICHAR, 0x1F431, 0);
  Chars(L"\t!");
  EXPECT_EQ(Text(), "Hello\r\nW\xF0\x9F\x98\x80\xF0\x9F\x90\xB1\t!");
  EXPECT_EQ(::SendMessageW(Editor().Handle(), WM_GETTEXTLENGTH, 0, 0), 14);
  // A short buffer gets what fits, terminated.
  wchar_t small[4];
  EXPECT_EQ(::SendMessageW(Editor().Handle(), WM_GETTEXT, 4, reinterpret_cast<LPARAM>(small)), 3);
  EXPECT_STREQ(small, L"Hel");
  EXPECT_TRUE(Editor().Modified());

  Key(VK_BACK);
  Key(VK_BACK);
  EXPECT_EQ(Text(), "Hello\r\nW\xF0\x9F\x98\x80\xF0\x9F\x90\xB1");
  Key(VK_HOME, {VK_CONTROL});
  Key(VK_DELETE);
  EXPECT_EQ(Text().substr(0, 6), "ello\r\n");
  Key('Z', {VK_CONTROL});
  EXPECT_EQ(Text().substr(0, 7), "Hello\r\n");
  Key('Y', {VK_CONTROL});
  EXPECT_EQ(Text().substr(0, 6), "ello\r\n");
}

TEST_F(NotebookTest, CaretMovesByKeysAndShiftSelects) {
  Chars(L"one two three");
  Key(VK_RETURN);
  Chars(L"four");
  Key(VK_UP);
  Key(VK_HOME);
  Key(VK_RIGHT, {VK_CONTROL, VK_SHIFT});  // "one "
  Key(VK_RIGHT, {VK_CONTROL, VK_SHIFT});  // "one two "
  EXPECT_TRUE(Editor().Core().SelectionExists());
  Chars(L"X");
  EXPECT_EQ(Text(), "Xthree\r\nfour");
  Key(VK_END, {VK_CONTROL});
  Key(VK_LEFT, {VK_SHIFT});
  Key(VK_LEFT, {VK_SHIFT});
  Key(VK_DELETE);
  EXPECT_EQ(Text(), "Xthree\r\nfo");
  Key(VK_HOME);
  Key(VK_END, {VK_SHIFT});
  Key(VK_BACK);
  EXPECT_EQ(Text(), "Xthree\r\n");
  Key('A', {VK_CONTROL});
  Chars(L"all");
  EXPECT_EQ(Text(), "all");
}

TEST_F(NotebookTest, MouseClicksShiftClicksAndDoubleClicksSelect) {
  Chars(L"alpha beta gamma");
  auto at = [&](int offset) {
    const TRVRect r = Editor().Layout().CaretRect(Editor().Document(), {0, 0, offset});
    return MAKELPARAM(r.Left + 1, (r.Top + r.Bottom) / 2 - Editor().ScrollPos());
  };
  Editor().Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, at(8));
  Chars(L"X");
  EXPECT_EQ(Text(), "alpha X gamma");
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, at(0));
  Editor().Perform(WM_LBUTTONUP, 0, at(0));
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, at(5));
  Editor().Perform(WM_LBUTTONUP, 0, at(5));
  Chars(L"Y");
  EXPECT_EQ(Text(), "Y X gamma");
  // A drag selects from where it started.
  Editor().Perform(WM_LBUTTONDOWN, MK_LBUTTON, at(2));
  Editor().Perform(WM_MOUSEMOVE, MK_LBUTTON, at(4));
  Editor().Perform(WM_LBUTTONUP, 0, at(4));
  Key(VK_DELETE);
  EXPECT_EQ(Text(), "Y gamma");
}

TEST_F(NotebookTest, ScrollBarWheelAndCaretStayInStep) {
  for (int i = 0; i < 200; ++i) Editor().InsertText("a line to scroll past\r\n");
  EXPECT_GT(Editor().ScrollPos(), 0);  // the caret at the end is kept in view
  const TRVRect caret = Editor().Layout().CaretRect(Editor().Document(), Editor().Core().Caret());
  RECT client;
  ::GetClientRect(Editor().Handle(), &client);
  EXPECT_GE(caret.Top - Editor().ScrollPos(), 0);
  EXPECT_LE(caret.Bottom - Editor().ScrollPos(), client.bottom);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  ::GetScrollInfo(Editor().Handle(), SB_VERT, &si);
  EXPECT_EQ(si.nPos, Editor().ScrollPos());
  EXPECT_EQ(si.nMax + 1, Editor().Layout().DocumentHeight());

  Editor().Perform(WM_VSCROLL, SB_TOP, 0);
  EXPECT_EQ(Editor().ScrollPos(), 0);
  Editor().Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  const int down = Editor().ScrollPos();
  EXPECT_GT(down, 0);
  Editor().Perform(WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  EXPECT_EQ(Editor().ScrollPos(), 0);
  Editor().Perform(WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(Editor().ScrollPos(), Editor().Layout().DocumentHeight() - client.bottom);
  // Ctrl+Home brings the caret, and the view, back to the top.
  Key(VK_HOME, {VK_CONTROL});
  EXPECT_EQ(Editor().ScrollPos(), 0);
}

TEST_F(NotebookTest, ReadOnlyEditorRefusesTypingAndPasteButMovesTheCaret) {
  Chars(L"keep");
  Editor().SetReadOnly(true);
  Chars(L"xyz");
  Key(VK_BACK);
  Key(VK_RETURN);
  EXPECT_FALSE(Editor().Paste());
  EXPECT_EQ(Text(), "keep");
  Key(VK_HOME);
  EXPECT_EQ(Editor().Core().Caret().Offset, 0);
}

TEST_F(NotebookTest, RealKeystrokesTypeIntoTheEditor) {
  ::SetForegroundWindow(host->Handle());
  Editor().SetFocus();
  Pump();
  ASSERT_EQ(::GetFocus(), Editor().Handle());
  std::vector<INPUT> in;
  auto key = [&](WORD vk, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD vk : {WORD('N'), WORD('O'), WORD(VK_SPACE), WORD('T'), WORD(VK_RETURN), WORD('B')}) {
    key(vk, false);
    key(vk, true);
  }
  ASSERT_EQ(::SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT)), in.size());
  const DWORD start = ::GetTickCount();
  while (Text() != "no t\r\nb" && ::GetTickCount() - start < 10000) {
    Pump();
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  EXPECT_EQ(Text(), "no t\r\nb");
}

TEST_F(NotebookTest, EditsRepaintOnlyTheParagraphTheyChange) {
  for (int i = 0; i < 30; ++i) Editor().InsertText("line of text\r\n");
  Editor().Core().SetCaret(Editor().Document().StartPosition());
  Editor().Format();
  ::UpdateWindow(Editor().Handle());
  RECT r;
  ASSERT_FALSE(::GetUpdateRect(Editor().Handle(), &r, FALSE));
  Key(VK_DOWN);
  Key(VK_DOWN);
  ::UpdateWindow(Editor().Handle());
  Chars(L"x");
  ASSERT_TRUE(::GetUpdateRect(Editor().Handle(), &r, FALSE));
  const int top = Editor().Layout().ParaTop(2) - Editor().ScrollPos();
  const int bottom = Editor().Layout().ParaTop(3) - Editor().ScrollPos();
  EXPECT_GE(r.top, top);
  EXPECT_LE(r.bottom, bottom);
}

// Inside a paragraph of many lines, a key repaints from the first line it
// changed on, and what is then on the screen is what a full repaint draws.
TEST_F(NotebookTest, TypingRepaintsFromTheFirstChangedLine) {
  std::string words;
  for (int i = 0; i < 60; ++i) words += "word" + std::to_string(i) + " ";
  Editor().InsertText(words);
  Editor().Format();
  const TRVParaLayout& L = Editor().Layout().Para(0);
  ASSERT_GE(L.Lines.size(), 3u) << "the paragraph must wrap";
  ::UpdateWindow(Editor().Handle());
  RECT r;
  ASSERT_FALSE(::GetUpdateRect(Editor().Handle(), &r, FALSE));
  const int paraTop = Editor().Layout().ParaTop(0) - Editor().ScrollPos();

  Editor().Core().SetCaret(Editor().Document().EndPosition());
  Chars(L"z");  // at the end: only the last line changes
  ASSERT_TRUE(::GetUpdateRect(Editor().Handle(), &r, FALSE));
  EXPECT_EQ(r.top, paraTop + Editor().Layout().Para(0).Lines.back().Top);
  ::UpdateWindow(Editor().Handle());

  Editor().Core().SetCaret(Editor().Document().StartPosition());
  Chars(L"q");  // at the start: every line moves
  ASSERT_TRUE(::GetUpdateRect(Editor().Handle(), &r, FALSE));
  EXPECT_LE(r.top, paraTop);
  ::UpdateWindow(Editor().Handle());

  // The window's pixels against a fresh full rendering (the caret aside).
  ::HideCaret(Editor().Handle());
  RECT client{};
  ::GetClientRect(Editor().Handle(), &client);
  const int w = client.right, h = std::min<int>(client.bottom, Editor().Layout().DocumentHeight());
  ASSERT_GT(w, 0);
  ASSERT_GT(h, 0);
  WindowDcScope window(Editor().Handle());
  void* shownBits = nullptr;
  void* fullBits = nullptr;
  UniqueGdiObject shown = TopDownDib32(window.dc(), w, h, &shownBits);
  UniqueGdiObject full = TopDownDib32(window.dc(), w, h, &fullBits);
  UniqueHdc mem(::CreateCompatibleDC(window.dc()));
  {
    SelectScope s(mem.get(), shown.get());
    ::BitBlt(mem.get(), 0, 0, w, h, window.dc(), 0, 0, SRCCOPY);
  }
  {
    SelectScope s(mem.get(), full.get());
    Editor().Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem.get()), PRF_CLIENT);
  }
  ::GdiFlush();
  const auto* a = static_cast<const std::uint32_t*>(shownBits);
  const auto* b = static_cast<const std::uint32_t*>(fullBits);
  int differing = 0;
  for (int i = 0; i < w * h; ++i) differing += (a[i] & 0xFFFFFF) != (b[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
}

TEST_F(NotebookTest, PicturesGoToTheDrawerAndFallBackToThePlaceholder) {
  TRVPictureItemInfo pic;
  pic.Kind = TRVPictureKind::Gif;
  pic.Data = SharedBytes("GIF89a-not-really", 17);
  pic.Width = 40;
  pic.Height = 30;
  ASSERT_TRUE(Editor().InsertPicture(pic));
  int calls = 0;
  RECT seen{};
  Editor().PictureDrawer = [&](HDC, TRVPictureKind kind, const SharedBytes& bytes, const RECT& r) -> bool {
    ++calls;
    EXPECT_EQ(kind, TRVPictureKind::Gif);
    EXPECT_EQ(bytes.size(), 17u);
    seen = r;
    throw std::runtime_error("cannot decode");  // the placeholder is painted instead
  };
  ::InvalidateRect(Editor().Handle(), nullptr, FALSE);
  ::UpdateWindow(Editor().Handle());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen.right - seen.left, 40);
  EXPECT_EQ(seen.bottom - seen.top, 30);
}

// -------------------------------------------------------------- clipboard

TEST_F(NotebookTest, CopyOffersThreeFormatsAndPasteTakesTextOfOtherPrograms) {
  Styled({{"Head", 1}, {" plain", 0}});
  Notebook().SelectAll1Click();
  Notebook().Copy1Click();
  ASSERT_TRUE(::OpenClipboard(nullptr));
  EXPECT_TRUE(::IsClipboardFormatAvailable(TRichViewEdit::RVFClipboardFormat()));
  EXPECT_TRUE(::IsClipboardFormatAvailable(TRichViewEdit::RTFClipboardFormat()));
  EXPECT_TRUE(::IsClipboardFormatAvailable(CF_UNICODETEXT));
  ::CloseClipboard();
  Notebook().Cut1Click();
  EXPECT_EQ(Text(), "");
  Notebook().Paste1Click();
  EXPECT_EQ(Text(), "Head plain");
  EXPECT_EQ(Editor().Document().Paragraph(0).Item(0).AsText()->StyleNo, 1);

  // Text put there by another program: RTF wins over plain text.
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  const char rtf[] = "{\\rtf1\\ansi {\\b bold} rest}";
  HGLOBAL h = ::GlobalAlloc(GMEM_MOVEABLE, sizeof rtf);
  std::memcpy(::GlobalLock(h), rtf, sizeof rtf);
  ::GlobalUnlock(h);
  ::SetClipboardData(TRichViewEdit::RTFClipboardFormat(), h);
  const wchar_t text[] = L"plain only";
  HGLOBAL t = ::GlobalAlloc(GMEM_MOVEABLE, sizeof text);
  std::memcpy(::GlobalLock(t), text, sizeof text);
  ::GlobalUnlock(t);
  ::SetClipboardData(CF_UNICODETEXT, t);
  ::CloseClipboard();
  Editor().SelectAll();
  Notebook().Paste1Click();
  EXPECT_EQ(Text(), "bold rest");
  const TRVItem& first = Editor().Document().Paragraph(0).Item(0);
  EXPECT_TRUE(Notebook().rvs().TextStyle(first.AsText()->StyleNo).HasStyle(fsBold));
}

TEST_F(NotebookTest, ClipboardRoundTripWithAnotherProgram) {
  const std::string title = UniqueTitle("clipboard");
  {
    HelperProcess putter("--title \"" + title + "\" --clip-put \"{\\rtf1\\ansi {\\b From} helper}\" \"From helper\"");
    ASSERT_NE(putter.WaitForWindow(title, 10000), nullptr);
    Notebook().Paste1Click();
  }
  EXPECT_EQ(Text(), "From helper");
  const TRVItem& first = Editor().Document().Paragraph(0).Item(0);
  EXPECT_EQ(first.AsText()->Text, "From");
  EXPECT_TRUE(Notebook().rvs().TextStyle(first.AsText()->StyleNo).HasStyle(fsBold));

  Notebook().SelectAll1Click();
  Notebook().Copy1Click();
  HelperProcess dumper("--clip-dump \"" + dir.File("dump") + "\"");
  ASSERT_TRUE(dumper.WaitExit(10000));
  EXPECT_EQ(dumper.ExitCode(), 0u);
  EXPECT_EQ(ReadWholeFile(dir.File("dump")), "rvf=1");
  EXPECT_EQ(ReadWholeFile(dir.File("dump.txt")), "From helper");
  TRVDocument fromRtf;
  ASSERT_TRUE(LoadRTF(ReadWholeFile(dir.File("dump.rtf")), fromRtf));
  ASSERT_GE(fromRtf.ParagraphCount(), 1);
  const TRVItem& bold = fromRtf.Paragraph(0).Item(0);
  EXPECT_EQ(bold.AsText()->Text, "From");
  EXPECT_TRUE(fromRtf.Style.TextStyle(bold.AsText()->StyleNo).HasStyle(fsBold));
}

// ------------------------------------------------------------------- Open

TEST_F(NotebookTest, OpenAsksFirstOnlyWhenModifiedAndUsesItsFilterTable) {
  Write("a.txt", "caf\xE9 line\r\nsecond");
  prompter.AnswerFile(dir.File("a.txt"), 3);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(Call(0).kind, PromptCall::Open);
  EXPECT_EQ(Call(0).file.title, "Loading & Import");
  EXPECT_EQ(Call(0).file.filter,
            "RTF Files (*.rtf)|*.rtf|Text Files - autodetect (*.txt)|*.txt|ANSI Text Files (*.txt)|*.txt|"
            "Unicode Text Files (*.txt)|*.txt|RichView Format Files (*.rvf)|*.rvf|"
            "Nookvale encrypted notebook (*.nvx)|*.nvx|");
  EXPECT_EQ(Call(0).file.options, fdo::kHideReadOnly | fdo::kFileMustExist | fdo::kEnableSizing);
  const std::string ansi = Text();
  EXPECT_EQ(ansi.substr(ansi.size() - 8), "\r\nsecond");
  EXPECT_TRUE(FormattedEditor());

  // The same file through autodetect gives the same text.
  Chars(L"!");
  prompter.ClearCalls();
  prompter.AnswerBox(IDNO).AnswerFile(dir.File("a.txt"), 2);
  Notebook().Open1Click();
  EXPECT_EQ(Call(0).text, "Save file now?");
  EXPECT_EQ(Call(0).caption, "File was modified");
  EXPECT_EQ(Call(0).flags, kQuestion35);
  EXPECT_EQ(Call(0).owner, BoxOwner::Application);
  EXPECT_EQ(Call(1).kind, PromptCall::Open);
  EXPECT_EQ(Text(), ansi);

  // UTF-16 through autodetect warns first, the starting sheet having no
  // Unicode style, and reads on.
  Write("u.txt", std::string("\xFF\xFE" "h\0i\0", 6));
  prompter.ClearCalls();
  prompter.AnswerFile(dir.File("u.txt"), 2);
  Editor().SetModified(false);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Call(1).text,
            "Loading/Inserting Unicode data using non-Unicode text style.\rText will be converted.\r"
            "Choose \"Unicode\" style in combo to use Unicode text style");
  EXPECT_EQ(Call(1).caption, "Warning");
  EXPECT_EQ(Call(1).flags, static_cast<unsigned>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(Text(), "hi");
}

TEST_F(NotebookTest, BrokenRtfReportsTheWarningFlagsAndLeavesAFormattedEditor) {
  // The editor holds other paragraphs first, laid out, so a layout left
  // over from them cannot pass for one of what the read leaves.
  Chars(L"three");
  Key(VK_RETURN);
  Chars(L"earlier");
  Key(VK_RETURN);
  Chars(L"lines");
  Editor().SetModified(false);
  ASSERT_TRUE(FormattedEditor());
  // The reader keeps what comes before a \bin that runs past the end of the
  // file, and then fails.
  Write("bad.rtf", "{\\rtf1 Kept before the break\\par {\\b bold} and plain{\\pict\\pngblip\\bin99 xyz}}");
  Editor().RVFWarnings = rvfwUnknownPicFmt | rvfwInvalidImageIndex;
  prompter.AnswerFile(dir.File("bad.rtf"), 1);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Call(1).kind, PromptCall::Box);
  EXPECT_EQ(Call(1).text, "Error during loading\r(unknown picture format;invalid image-list index;)");
  EXPECT_EQ(Call(1).caption, "Error");
  EXPECT_EQ(Call(1).flags, static_cast<unsigned>(MB_OK));
  EXPECT_EQ(Text(), "Kept before the break\r\nbold and plain");
  EXPECT_TRUE(FormattedEditor());

  // Other filters report the error alone; an unknown index is a failure
  // that leaves an empty document, laid out as such.
  prompter.ClearCalls();
  prompter.AnswerFile(dir.File("bad.rtf"), 7);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Call(1).text, "Error during loading");
  EXPECT_EQ(Call(1).caption, "Error");
  EXPECT_EQ(Call(1).flags, static_cast<unsigned>(MB_OK));
  EXPECT_EQ(Text(), "");
  EXPECT_TRUE(FormattedEditor());
}

TEST_F(NotebookTest, OpenAbandonedByCancelKeepsTheDocument) {
  Chars(L"precious");
  prompter.AnswerBox(IDYES).AnswerFile(std::nullopt);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(Call(1).kind, PromptCall::Save);
  EXPECT_EQ(Text(), "precious");
  prompter.ClearCalls();
  prompter.AnswerBox(IDCANCEL);
  Notebook().Open1Click();
  EXPECT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(Text(), "precious");
}

// ------------------------------------------------------------------- Save

TEST_F(NotebookTest, SaveWritesEachOfTheSixFormatsAndLeavesTheDocumentModified) {
  Styled({{"Heading", 1}, {" and ", 0}, {"key", 3}});
  Editor().InsertText("\r\n");
  ASSERT_TRUE(InsertSmallPicture());
  const TRVDocument before = Editor().Document();
  const char* names[] = {"d.rvf", "d.rtf", "d.txt", "u.txt", "css.htm", "simple.htm"};
  for (int i = 0; i < 6; ++i) {
    prompter.ClearCalls();
    prompter.AnswerFile(dir.File(names[i]), i + 1);
    Notebook().Save1Click();
    ASSERT_EQ(prompter.Calls().size(), 1u) << names[i];
    EXPECT_EQ(Call(0).file.title, "Save & Export");
    EXPECT_EQ(Call(0).file.defaultExt, "rvf");
    EXPECT_EQ(Call(0).file.options, fdo::kOverwritePrompt | fdo::kHideReadOnly | fdo::kEnableSizing);
    EXPECT_EQ(Call(0).file.filter,
              "RichView Format files(*.rvf)|*.rvf|RTF Files (*.rtf)|*.rtf|Text (*.txt)|*.txt|Unicode Text "
              "(*.txt)|*.txt|HTML - with CSS (*.htm;*.html)|*.htm;*.html|HTML - Simplified "
              "(*.htm;*.html)|*.htm;*.html|Nookvale encrypted notebook (*.nvx)|*.nvx");
    EXPECT_TRUE(FileExists(dir.File(names[i]))) << names[i];
  }
  EXPECT_TRUE(Editor().Modified());
  // Round trips: the engine's format exactly, RTF and text by their text.
  TRVDocument rvf;
  unsigned warnings = 0;
  ASSERT_TRUE(LoadRVFFromFile(dir.File("d.rvf"), rvf, warnings));
  EXPECT_EQ(rvf, before);
  TRVDocument rtf;
  ASSERT_TRUE(LoadRTF(ReadWholeFile(dir.File("d.rtf")), rtf));
  EXPECT_EQ(rtf.Paragraph(0).ItemCount(), 3);
  EXPECT_EQ(ReadWholeFile(dir.File("d.txt")), "Heading and key\r\n");
  EXPECT_EQ(ReadWholeFile(dir.File("u.txt")).substr(0, 4), std::string("\xFF\xFEH\0", 4));
  EXPECT_NE(ReadWholeFile(dir.File("css.htm")).find("Heading"), std::string::npos);
  EXPECT_TRUE(FileExists(dir.File("img1.png")));
  for (const std::string& n : DirNames()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
  // What the dialog was left with stays for the next command.
  EXPECT_EQ(Notebook().SaveDialog.filterIndex, 6);
}

TEST_F(NotebookTest, FailedSavesKeepTheOldFileByteForByte) {
  const std::string old = "old content \x01\x02 that must survive";
  Chars(L"new text");
  // Read-only.
  Write("ro.rvf", old);
  ::SetFileAttributesW(Widen(dir.File("ro.rvf")).c_str(), FILE_ATTRIBUTE_READONLY);
  prompter.AnswerFile(dir.File("ro.rvf"), 1);
  Notebook().Save1Click();
  EXPECT_EQ(Call(1).text, "Error during saving");
  EXPECT_EQ(Call(1).caption, "Error");
  EXPECT_EQ(Call(1).flags, static_cast<unsigned>(MB_OK));
  EXPECT_EQ(ReadWholeFile(dir.File("ro.rvf")), old);
  ::SetFileAttributesW(Widen(dir.File("ro.rvf")).c_str(), FILE_ATTRIBUTE_NORMAL);
  // Locked by another program that shares nothing.
  Write("locked.rtf", old);
  {
    UniqueKernelHandle lock(::CreateFileW(Widen(dir.File("locked.rtf")).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    prompter.ClearCalls();
    prompter.AnswerFile(dir.File("locked.rtf"), 2);
    Notebook().Save1Click();
    EXPECT_EQ(Call(1).text, "Error during saving");
  }
  EXPECT_EQ(ReadWholeFile(dir.File("locked.rtf")), old);
  // A folder that cannot take the file.
  prompter.ClearCalls();
  prompter.AnswerFile(dir.File("missing\\x.txt"), 3);
  Notebook().Save1Click();
  EXPECT_EQ(Call(1).text, "Error during saving");
  // HTML over a locked page.
  Write("page.htm", old);
  {
    UniqueKernelHandle lock(::CreateFileW(Widen(dir.File("page.htm")).c_str(), GENERIC_READ, 0, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
    prompter.ClearCalls();
    prompter.AnswerFile(dir.File("page.htm"), 5);
    Notebook().Save1Click();
    EXPECT_EQ(Call(1).text, "Error during saving");
  }
  EXPECT_EQ(ReadWholeFile(dir.File("page.htm")), old);
  for (const std::string& n : DirNames()) EXPECT_EQ(n.find(".tmp"), std::string::npos) << n;
  EXPECT_EQ(Text(), "new text");
}

TEST_F(NotebookTest, FailedQuickSaveAbandonsOpenAndKeepsDocumentAndFlag) {
  const std::string old = "the stored notebook";
  Write("note.rvf", old);
  ::SetFileAttributesW(Widen(dir.File("note.rvf")).c_str(), FILE_ATTRIBUTE_READONLY);
  Notebook().DocumentFileName = dir.File("note.rvf");
  Chars(L"unsaved work");
  prompter.AnswerBox(IDYES);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 2u);  // no Open dialog
  EXPECT_EQ(Call(1).text, "Error during saving");
  EXPECT_EQ(Text(), "unsaved work");
  EXPECT_TRUE(Editor().Modified());
  EXPECT_EQ(ReadWholeFile(dir.File("note.rvf")), old);
  ::SetFileAttributesW(Widen(dir.File("note.rvf")).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(NotebookTest, QuickSaveAsNamesTheDocumentAndTheCaption) {
  Chars(L"draft");
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("mine.rvf"), 4).AnswerFile(std::nullopt);
  Notebook().Open1Click();
  EXPECT_EQ(Notebook().DocumentFileName, dir.File("mine.rvf"));
  EXPECT_FALSE(Editor().Modified());
  wchar_t caption[MAX_PATH] = {};
  ::GetWindowTextW(host->Handle(), caption, MAX_PATH);
  EXPECT_EQ(Narrow(caption), "mine.rvf");
  TRVDocument saved;
  unsigned w = 0;
  ASSERT_TRUE(LoadRVFFromFile(dir.File("mine.rvf"), saved, w));  // RVF whatever the filter
  EXPECT_EQ(saved.Paragraph(0).Item(0).AsText()->Text, "draft");
}

// -------------------------------------------------------------------- New

TEST_F(NotebookTest, NewAnsweredYesSavesAndNoLeavesTheDateLine) {
  Chars(L"text");
  prompter.AnswerBox(IDYES).AnswerFile(std::nullopt);
  Notebook().New1Click();
  EXPECT_EQ(Call(0).text, "Save changes made?");
  EXPECT_EQ(Call(0).caption, "Confirm");
  EXPECT_EQ(Call(0).flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(Call(0).owner, BoxOwner::MainWindow);
  EXPECT_EQ(Call(1).kind, PromptCall::Save);
  EXPECT_EQ(Text(), "text");

  prompter.AnswerBox(IDNO);
  Notebook().New1Click();
  SYSTEMTIME now;
  ::GetLocalTime(&now);
  const std::string text = Text();
  ASSERT_EQ(Editor().Document().ParagraphCount(), 2);
  EXPECT_TRUE(Editor().Document().Paragraph(1).IsEmptyLine());
  const std::string dateOnly = [&] {
    SYSTEMTIME midnight = now;
    midnight.wHour = midnight.wMinute = midnight.wSecond = 0;
    return TNotebookFrame::DateLine(midnight);
  }();
  EXPECT_EQ(text.substr(0, dateOnly.size() + 1), dateOnly + " ");
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
}

// ------------------------------------------- the quick save name, Base64

TEST_F(NotebookTest, TheQuickSaveNameFollowsTheDocument) {
  TRVDocument doc;
  doc.AddParagraph(0).AddItem(TRVItem::MakeText("stored", 0));
  ASSERT_TRUE(WriteFileSafely(dir.File("a.rvf"), SaveRVF(doc)));
  ASSERT_TRUE(WriteFileSafely(dir.File("a.rtf"), "{\\rtf1 rich}"));

  // Opened from RichView Format: the quick save may go back there.
  OpenFile(dir.File("a.rvf"), 5);
  EXPECT_EQ(Notebook().DocumentFileName, dir.File("a.rvf"));
  // Opened from RTF: a quick save must not write RichView Format into the
  // RTF file, nor into the RVF file of the document before.
  OpenFile(dir.File("a.rtf"), 1);
  EXPECT_EQ(Notebook().DocumentFileName, "");

  OpenFile(dir.File("a.rvf"), 5);
  prompter.AnswerBox(IDNO);
  Notebook().New1Click();
  EXPECT_EQ(Notebook().DocumentFileName, "");

  // The Base64 export replaces the document too.
  OpenFile(dir.File("a.rvf"), 5);
  prompter.AnswerFile(dir.File("b64.txt"));
  Notebook().EncryptBtnClick();
  EXPECT_EQ(Notebook().DocumentFileName, "");
  OpenFile(dir.File("a.rvf"), 5);
  prompter.AnswerFile(dir.File("b64.txt"));
  Notebook().DecryptBtnClick();
  EXPECT_EQ(Notebook().DocumentFileName, "");
  EXPECT_EQ(ReadWholeFile(dir.File("a.rvf")), SaveRVF(doc)) << "no quick save wrote over it";
}

TEST_F(NotebookTest, AQuickSaveWithoutANameAsksWithTheSaveDialogsOwnSettings) {
  ASSERT_TRUE(Notebook().RichViewEdit1.InsertText("draft"));
  // As the Base64 export leaves the shared dialog.
  Notebook().SaveDialog.title = "SAVE YOUR ENCRYPTED FILE";
  Notebook().SaveDialog.filter = "Text file|*.txt";
  Notebook().SaveDialog.defaultExt = "eml";
  prompter.AnswerBox(IDYES).AnswerFile(dir.File("d.rvf"), 3).AnswerFile(std::nullopt);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 3u);
  const PromptCall& save = prompter.Calls()[1];
  ASSERT_EQ(save.kind, PromptCall::Save);
  EXPECT_EQ(save.file.title, "Save & Export");
  EXPECT_EQ(save.file.filter.rfind("RichView Format files(*.rvf)|*.rvf|", 0), 0u) << save.file.filter;
  EXPECT_EQ(save.file.defaultExt, "rvf");
  EXPECT_EQ(testing::RvfText(ReadWholeFile(dir.File("d.rvf"))), "draft");
}

TEST_F(NotebookTest, ExportAndImportAskFirstWhenModifiedAndShowTheNewTextAtOnce) {
  TRichViewEdit& ed = Editor();
  ASSERT_TRUE(ed.InsertText("plain words"));
  // Modified: the New command's question first; Yes saves and stops there.
  prompter.AnswerBox(IDYES).AnswerFile(std::nullopt);
  Notebook().EncryptBtnClick();
  ASSERT_EQ(prompter.Calls().size(), 2u);
  EXPECT_EQ(prompter.Calls()[0].text, "Save changes made?");
  EXPECT_EQ(prompter.Calls()[0].caption, "Confirm");
  EXPECT_EQ(prompter.Calls()[0].flags, static_cast<unsigned>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(prompter.Calls()[1].file.title, "Save & Export");
  EXPECT_EQ(ed.PlainText(), "plain words");

  // No goes on with the export, and what the editor shows is the Base64
  // text laid out anew, not the old lines.
  prompter.ClearCalls();
  prompter.AnswerBox(IDNO).AnswerFile(dir.File("e.txt"));
  Notebook().EncryptBtnClick();
  EXPECT_EQ(ed.PlainText(), "cGxhaW4gd29yZHM=");
  auto render = [&] { return RenderClient(ed.Handle()); };
  const std::vector<std::uint32_t> shown = render();
  ed.Format();
  EXPECT_TRUE(shown == render()) << "the view showed a layout of the old document";
  EXPECT_TRUE(FormattedEditor());

  // Import: asked again (still modified), then the decoded text is shown.
  prompter.ClearCalls();
  prompter.AnswerBox(IDNO).AnswerFile(dir.File("e.txt"));
  Notebook().DecryptBtnClick();
  EXPECT_EQ(ed.PlainText(), "plain words");
  const std::vector<std::uint32_t> imported = render();
  ed.Format();
  EXPECT_TRUE(imported == render());
}

// ------------------------------------------------------------ hyperlinks

TEST_F(NotebookTest, SpaceAtTheEndOfAHyperlinkLeavesItAndInsideKeepsIt) {
  Styled({{"link", 4}});
  Key(VK_SPACE);
  const TRVParagraph& p = Editor().Document().Paragraph(0);
  ASSERT_EQ(p.ItemCount(), 2);
  EXPECT_EQ(p.Item(1).AsText()->Text, " ");
  EXPECT_EQ(p.Item(1).AsText()->StyleNo, 0);

  Editor().Clear();
  Editor().Format();
  Styled({{"link", 4}});
  Key(VK_LEFT);
  Key(VK_SPACE);
  EXPECT_EQ(Text(), "lin k");
  EXPECT_EQ(Editor().Document().Paragraph(0).ItemCount(), 1);

  // With a selection the style stays too.
  Key(VK_END);
  Key(VK_LEFT, {VK_SHIFT});
  Key(VK_SPACE);
  EXPECT_EQ(Text(), "lin  ");
  EXPECT_EQ(Editor().Document().Paragraph(0).ItemCount(), 1);
  // Enter at the end continues in plain text too.
  Key(VK_RETURN);
  EXPECT_EQ(Editor().CurTextStyleNo(), 0);
}

// ----------------------------------------------------------------- styles

TEST_F(NotebookTest, CaretMovesUpdateButtonsAndSelectorsWithoutAddingStyles) {
  // Bold and italic text in two faces the font list offers, then text in a
  // face this machine lacks (as a document from elsewhere may bring).
  TComboBox& faces = Notebook().FontList;
  ASSERT_GE(faces.Count(), 2);
  const std::string first = faces.Item(0), last = faces.Item(faces.Count() - 1);
  ASSERT_FALSE(SameFontName(first, last));
  auto inFace = [&](int base, const std::string& face) {
    TFontInfo f = Notebook().rvs().TextStyle(base);
    f.FontName = face;
    return Notebook().rvs().FindOrAddTextStyle(f, base);
  };
  Styled({{"Head", inFace(1, first)}, {"Key", inFace(3, last)}, {"Far", inFace(0, "Face Not Installed Here")}});
  auto shownFace = [&] { return faces.ItemIndex() == -1 ? std::string("<none>") : faces.Item(faces.ItemIndex()); };
  const int count = Notebook().rvs().TextStyleCount();
  TRVEditCore& core = Editor().Core();
  core.SetCaret({0, 0, 2});
  EXPECT_TRUE(Notebook().BoldBtn.Down());
  EXPECT_FALSE(Notebook().ItalicBtn.Down());
  EXPECT_EQ(Notebook().SizeList.Text(), "10");
  EXPECT_EQ(shownFace(), first);
  core.SetCaret({0, 1, 2});
  EXPECT_FALSE(Notebook().BoldBtn.Down());
  EXPECT_TRUE(Notebook().ItalicBtn.Down());
  EXPECT_EQ(shownFace(), last);
  core.SetCaret({0, 2, 2});
  EXPECT_EQ(shownFace(), "<none>") << "no face is shown rather than the last one";
  core.SetCaret({0, 0, 1});
  EXPECT_EQ(shownFace(), first);
  EXPECT_FALSE(Notebook().StyleSelectorUpdating());
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), count);
}

TEST_F(NotebookTest, BoldOnAndOffGivesTheOldStylesBackAndAddsEachCombinationOnce) {
  Styled({{"normal ", 0}, {"key", 3}});
  const int count = Notebook().rvs().TextStyleCount();
  Editor().SelectAll();
  Notebook().BoldBtn.Click();  // down: bold
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), count + 2);
  const int boldNormal = Editor().Document().Paragraph(0).Item(0).AsText()->StyleNo;
  EXPECT_EQ(Notebook().rvs().TextStyle(boldNormal).StyleName, "Normal text");
  EXPECT_FALSE(Notebook().rvs().TextStyle(boldNormal).Standard);
  Notebook().BoldBtn.Click();  // up again
  EXPECT_EQ(Editor().Document().Paragraph(0).Item(0).AsText()->StyleNo, 0);
  EXPECT_EQ(Editor().Document().Paragraph(0).Item(1).AsText()->StyleNo, 3);
  Notebook().BoldBtn.Click();
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), count + 2);
}

TEST_F(NotebookTest, SizeListFontListAndFontDialogConvertTheCurrentStyle) {
  Notebook().SizeList.SetText("abc");
  Notebook().SizeListChange();
  EXPECT_EQ(Notebook().FontSizeRequest, 10);
  EXPECT_EQ(Editor().CurTextStyleNo(), 0);  // size 10 is style 0 itself
  Notebook().SizeList.SetText("14");
  Notebook().SizeListChange();
  EXPECT_EQ(Notebook().rvs().TextStyle(Editor().CurTextStyleNo()).Size, 14);
  EXPECT_EQ(Notebook().RecentSizes().front(), 14);
  EXPECT_EQ(Notebook().SizeList.Item(0), "14");
  EXPECT_EQ(Notebook().SizeList.Text(), "14");

  const int face = Notebook().FontList.Count() - 1;
  Notebook().FontList.SetItemIndex(face);
  Notebook().FontListChange();
  EXPECT_TRUE(SameFontName(Notebook().rvs().TextStyle(Editor().CurTextStyleNo()).FontName,
                           Notebook().FontList.Item(face)));

  FontSpec f;
  f.face = "Courier New";
  f.size = 20;
  f.color = 0x0000FF;
  f.style = 1 | 8;
  prompter.AnswerFont(f);
  Notebook().FontbtnClick();
  const TFontInfo& s = Notebook().rvs().TextStyle(Editor().CurTextStyleNo());
  EXPECT_EQ(s.FontName, "Courier New");
  EXPECT_EQ(s.Size, 20);
  EXPECT_EQ(s.Color, 0x0000FFu);
  EXPECT_EQ(s.Style, fsBold | fsStrikeOut);
  EXPECT_TRUE(Notebook().BoldBtn.Down());
  // An unchanged dialog gives back the style it started from.
  Editor().SetCurTextStyleNo(3);
  FontSpec same;
  same.face = "Arial";
  same.size = 10;
  same.color = 0x000080;
  same.style = 2;
  prompter.AnswerFont(same);
  const int styles = Notebook().rvs().TextStyleCount();
  Notebook().FontbtnClick();
  EXPECT_EQ(Editor().CurTextStyleNo(), 3);
  Editor().SetCurTextStyleNo(0);
  same.color = ::GetSysColor(COLOR_WINDOWTEXT);
  same.style = 0;
  prompter.AnswerFont(same);
  Notebook().FontbtnClick();
  EXPECT_EQ(Editor().CurTextStyleNo(), 0);
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), styles);

  prompter.AnswerFont(std::nullopt);
  const int before = Editor().CurTextStyleNo();
  Notebook().FontbtnClick();
  EXPECT_EQ(Editor().CurTextStyleNo(), before);
}

// ---------------------------------------------------------- other commands

TEST_F(NotebookTest, BackgroundLineDateLineAndEditCommands) {
  prompter.AnswerColor(0x00C0FFEE);
  Notebook().Background1Click();
  EXPECT_EQ(Editor().Color(), 0x00C0FFEEu);
  prompter.AnswerColor(std::nullopt);
  Notebook().Background1Click();
  EXPECT_EQ(Editor().Color(), 0x00C0FFEEu);

  Notebook().FormShow();
  ASSERT_EQ(Editor().Document().ParagraphCount(), 2);
  Notebook().LineBtnClick();
  const TRVBreakItemInfo* line = nullptr;
  for (const TRVParagraph& p : Editor().Document().Paragraphs)
    for (const TRVItem& i : p.Items())
      if (i.AsBreak()) line = i.AsBreak();
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->Width, 1);
  EXPECT_EQ(line->Color, clNone);

  Editor().SelectAll();
  Notebook().ClickMenuItem("Delete1");
  EXPECT_EQ(Text(), "");
  Notebook().ClickMenuItem("Undo1");
  EXPECT_NE(Text(), "");
  Notebook().ClickMenuItem("Redo1");
  EXPECT_EQ(Text(), "");
}

}  // namespace
}  // namespace nv
