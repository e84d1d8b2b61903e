// The notebook's editing under real messages: style numbers after a file
// brings its own smaller sheet, pictures RTF has no form for, the
// background colour as a change, the size and font boxes, and the keys.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

#include "notebook/pictures/decode.h"
#include "richview/rtf.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"
#include "richview/win32/locale_font_names.h"
#include "notebook_frame_fixture.h"
#include "support/document_items.h"
#include "support/picture_samples.h"
#include "ui/win32/safe_write.h"

namespace nv {
namespace {

class NotebookEditingTest : public NotebookFrameFixture {
 protected:
  void SetUp() override {
    NotebookFrameFixture::SetUp();
    frame->InnerPageChanged(true);
  }

  const TRVDocument& Doc() { return Editor().Document(); }
  const TFontInfo& CurrentStyle() { return Notebook().rvs().TextStyle(Editor().CurTextStyleNo()); }

  // Gives a window the keyboard focus, the host being the active window.
  bool FocusOn(HWND h) {
    return PumpUntil([&] {
      ::SetForegroundWindow(host->Handle());
      ::SetFocus(h);
      return ::GetFocus() == h;
    });
  }

  // A keystroke as the message loop delivers it to a window: the key with
  // the modifiers held in the thread's key state, then the character
  // TranslateMessage makes of it (none for 0).
  static void Press(HWND to, WORD vk, wchar_t ch, std::initializer_list<int> held = {}) {
    BYTE old[256], now[256];
    ::GetKeyboardState(old);
    std::memcpy(now, old, sizeof now);
    for (int m : held) now[m] |= 0x80;
    ::SetKeyboardState(now);
    ::SendMessageW(to, WM_KEYDOWN, vk, 1);
    if (ch) ::SendMessageW(to, WM_CHAR, ch, 1);
    ::SendMessageW(to, WM_KEYUP, vk, 0xC0000001);
    ::SetKeyboardState(old);
  }
  void Chars(HWND to, const std::wstring& s) {
    for (wchar_t c : s) ::SendMessageW(to, WM_CHAR, c, 1);
  }
  std::string FirstParagraphText() {
    std::string s;
    for (const TRVItem& item : Doc().Paragraph(0).Items())
      if (const TRVTextItemInfo* t = item.AsText()) s += t->Text;
    return s;
  }
};

// ------------------------------------------------------------ style numbers

TEST_F(NotebookEditingTest, OpeningAFileWithASmallerSheetAfterBoldKeepsTypingInsideTheSheet) {
  TRVDocument file;  // saved by a session that never appended a style
  file.AddParagraph(0).AddItem(TRVItem::MakeText("saved", 3));
  ASSERT_EQ(file.Style.TextStyleCount(), 6);
  ASSERT_TRUE(WriteFileSafely(dir.File("six.rvf"), SaveRVF(file)));

  Notebook().BoldBtn.Click();  // bold Normal text is appended as style 6
  ASSERT_EQ(Editor().CurTextStyleNo(), 6);
  ASSERT_TRUE(Notebook().BoldBtn.Down());
  Editor().SetModified(false);
  prompter.AnswerFile(dir.File("six.rvf"), 5);
  Notebook().Open1Click();
  ASSERT_EQ(Notebook().rvs().TextStyleCount(), 6);
  EXPECT_LT(Editor().CurTextStyleNo(), 6);
  EXPECT_FALSE(Notebook().BoldBtn.Down()) << "the toolbar follows the style typing now uses";

  // Typed where Open left the caret, in the current style.
  Chars(Editor().Handle(), L"typed ");
  ::RedrawWindow(Editor().Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(FirstParagraphText(), "typed saved");
  EXPECT_EQ(ValidateDocument(Doc()), "");
  EXPECT_EQ(Editor().Layout().ParagraphCount(), Doc().ParagraphCount());
}

// ------------------------------------------------------------ style lookup

TEST_F(NotebookEditingTest, FontFacesCompareWithoutCaseInTheUsersLocale) {
  EXPECT_TRUE(LocaleSameFontName("\xC3\x84rial \xD0\x96", "\xC3\xA4RIAL \xD0\xB6"));
  EXPECT_FALSE(LocaleSameFontName("Arial-Narrow", "ArialNarrow"));
  EXPECT_FALSE(LocaleSameFontName("Arial", "Arial "));
  // The editor puts the locale's rule behind the sheet's lookup.
  EXPECT_TRUE(SameFontName("\xC3\xA9tude", "\xC3\x89TUDE"));
  EXPECT_TRUE(SameFontName("\xD4\xB1", "\xD5\xA1")) << "Armenian, beyond the portable rule";
  TFontInfo shouted = Notebook().rvs().TextStyle(0);
  shouted.FontName = "ARIAL";
  EXPECT_EQ(Notebook().rvs().FindOrAddTextStyle(shouted, -1), 0);
}

// ------------------------------------------------------------ RTF pictures

TEST_F(NotebookEditingTest, GifAndIcoPicturesReachRtfFilesAndTheClipboardAsPng) {
  using samples::Rgba;
  const std::vector<Rgba> colors = {{220, 0, 0}, {0, 200, 0}};
  samples::GifFrame frame;
  frame.width = frame.height = 4;
  frame.indices.assign(16, 0);
  TRVPictureItemInfo gif;
  gif.Kind = TRVPictureKind::Gif;
  gif.Data = SharedBytes(samples::MakeGif(4, 4, colors, {frame}));
  gif.Width = gif.Height = 4;
  TRVPictureItemInfo ico;
  ico.Kind = TRVPictureKind::Ico;
  ico.Data = SharedBytes(samples::MakeIco(16, 16, [](int x, int y) { return samples::Quadrants(x, y, 16, 16); }));
  ico.Width = ico.Height = 16;
  Editor().InsertText("pictures ");
  ASSERT_TRUE(Editor().InsertPicture(gif));
  ASSERT_TRUE(Editor().InsertPicture(ico));

  auto check = [&](const std::string& rtf, const char* where) {
    TRVDocument back;
    ASSERT_TRUE(LoadRTF(rtf, back)) << where;
    const auto pics = testing::PictureItems(back);
    ASSERT_EQ(pics.size(), 2u) << where;
    const TBgraImage g = DecodePng(pics[0]->Data.span());
    EXPECT_EQ(g.Width, 4) << where;
    EXPECT_EQ(g.Pixel(0, 0)[2], 220) << where;
    const TBgraImage i = DecodePng(pics[1]->Data.span());
    ASSERT_EQ(i.Width, 16) << where;
    EXPECT_GT(i.Pixel(2, 2)[2], 150) << where << ": the icon's red quarter, drawn";
    EXPECT_LT(i.Pixel(2, 2)[0], 60) << where;
  };

  prompter.AnswerFile(dir.File("pictures.rtf"), 2);
  Notebook().Save1Click();
  const std::optional<std::string> file = ReadFileBytes(dir.File("pictures.rtf"));
  ASSERT_TRUE(file);
  check(*file, "file");

  Notebook().SelectAll1Click();
  Notebook().Copy1Click();
  ASSERT_TRUE(::OpenClipboard(nullptr));
  std::string clip;
  if (HANDLE h = ::GetClipboardData(TRichViewEdit::RTFClipboardFormat())) {
    const char* p = static_cast<const char*>(::GlobalLock(h));
    if (p) clip.assign(p, strnlen(p, ::GlobalSize(h)));
    ::GlobalUnlock(h);
  }
  ::CloseClipboard();
  check(clip, "clipboard");
}

// --------------------------------------------------------- background colour

TEST_F(NotebookEditingTest, ANewBackgroundColourIsAChangeToSave) {
  Editor().SetModified(false);
  prompter.AnswerColor(std::nullopt);
  Notebook().Background1Click();
  EXPECT_FALSE(Editor().Modified());
  prompter.AnswerColor(Editor().Color());
  Notebook().Background1Click();
  EXPECT_FALSE(Editor().Modified()) << "the same colour again";
  prompter.AnswerColor(0x00C0FFEE);
  Notebook().Background1Click();
  EXPECT_TRUE(Editor().Modified());

  // So Open asks before the colour is lost.
  prompter.ClearCalls();
  prompter.AnswerBox(IDCANCEL);
  Notebook().Open1Click();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Save file now?");
}

// ------------------------------------------------------------ the selectors

TEST_F(NotebookEditingTest, SizeBoxAppliesTypedSizesOnEnterOrFocusLossAndChoicesAtOnce) {
  TComboBox& box = Notebook().SizeList;
  const HWND edit = box.EditHandle();
  ASSERT_NE(edit, nullptr);
  ASSERT_TRUE(FocusOn(edit));
  const int styles = Notebook().rvs().TextStyleCount();

  // Typing applies nothing and keeps the focus in the box.
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  Chars(edit, L"1");
  EXPECT_EQ(box.Text(), "1");
  Chars(edit, L"4");
  EXPECT_EQ(box.Text(), "14");
  EXPECT_EQ(CurrentStyle().Size, 10);
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), styles) << "no style for the sizes on the way";
  EXPECT_EQ(::GetFocus(), edit);
  // Enter applies it and goes back to the text.
  Press(edit, VK_RETURN, L'\r');
  EXPECT_EQ(CurrentStyle().Size, 14);
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), styles + 1);
  EXPECT_EQ(::GetFocus(), Editor().Handle());

  // Leaving the box applies what was typed; the focus goes where the user
  // moved it.
  ASSERT_TRUE(FocusOn(edit));
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  Chars(edit, L"20");
  EXPECT_EQ(CurrentStyle().Size, 14);
  ASSERT_TRUE(FocusOn(Notebook().BoldBtn.Handle()));
  EXPECT_EQ(CurrentStyle().Size, 20);
  EXPECT_EQ(::GetFocus(), Notebook().BoldBtn.Handle());

  // A size that is not a number counts as 10.
  ASSERT_TRUE(FocusOn(edit));
  ::SendMessageW(edit, EM_SETSEL, 0, -1);
  Chars(edit, L"ab");
  Press(edit, VK_RETURN, L'\r');
  EXPECT_EQ(CurrentStyle().Size, 10);

  // A click on an entry of the open list applies it at once.
  ASSERT_TRUE(FocusOn(edit));
  int entry = -1;
  for (int i = 0; i < box.Count() && entry < 0; ++i)
    if (box.Item(i) == "36") entry = i;
  ASSERT_GE(entry, 0);
  box.Perform(CB_SHOWDROPDOWN, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return box.DroppedDown(); }));
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  ASSERT_TRUE(::GetComboBoxInfo(box.Handle(), &info));
  box.Perform(CB_SETTOPINDEX, static_cast<WPARAM>(entry));
  RECT r{};
  ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(&r));
  const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::SendMessageW(info.hwndList, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(info.hwndList, WM_LBUTTONUP, 0, at);
  ASSERT_TRUE(PumpUntil([&] { return CurrentStyle().Size == 36; }));
  EXPECT_FALSE(box.DroppedDown());
  EXPECT_TRUE(PumpUntil([&] { return ::GetFocus() == Editor().Handle(); }));
}

TEST_F(NotebookEditingTest, FontBoxBrowsedByArrowKeysAppliesOnEnterOrWhenItsListCloses) {
  TComboBox& box = Notebook().FontList;
  ASSERT_GT(box.Count(), 3);
  ASSERT_TRUE(FocusOn(box.Handle()));
  box.SetItemIndex(0);
  const std::string face = CurrentStyle().FontName;

  // Arrow keys in the closed list only browse.
  Press(box.Handle(), VK_DOWN, 0);
  Press(box.Handle(), VK_DOWN, 0);
  ASSERT_EQ(box.ItemIndex(), 2);
  EXPECT_EQ(CurrentStyle().FontName, face);
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), 6);
  Press(box.Handle(), VK_RETURN, L'\r');
  EXPECT_TRUE(SameFontName(CurrentStyle().FontName, box.Item(2)));
  EXPECT_EQ(::GetFocus(), Editor().Handle());

  // In the open list too; Enter closes it and applies the entry.
  ASSERT_TRUE(FocusOn(box.Handle()));
  const int styles = Notebook().rvs().TextStyleCount();
  box.Perform(CB_SHOWDROPDOWN, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return box.DroppedDown(); }));
  Press(box.Handle(), VK_DOWN, 0);
  EXPECT_TRUE(SameFontName(CurrentStyle().FontName, box.Item(2)));
  Press(box.Handle(), VK_RETURN, L'\r');
  ASSERT_TRUE(PumpUntil([&] { return !box.DroppedDown(); }));
  EXPECT_TRUE(SameFontName(CurrentStyle().FontName, box.Item(3)));
  EXPECT_EQ(Notebook().rvs().TextStyleCount(), styles + 1);

  // Escape closes it without a change.
  ASSERT_TRUE(FocusOn(box.Handle()));
  box.Perform(CB_SHOWDROPDOWN, TRUE);
  ASSERT_TRUE(PumpUntil([&] { return box.DroppedDown(); }));
  Press(box.Handle(), VK_DOWN, 0);
  Press(box.Handle(), VK_ESCAPE, 0x1B);
  ASSERT_TRUE(PumpUntil([&] { return !box.DroppedDown(); }));
  Pump();
  EXPECT_TRUE(SameFontName(CurrentStyle().FontName, box.Item(3)));
}

// ------------------------------------------------------------------ keys

TEST_F(NotebookEditingTest, CtrlBackspaceAndCtrlDeleteRemoveWordsAsOneUndoStep) {
  const HWND ed = Editor().Handle();
  Chars(ed, L"one two three");
  Press(ed, VK_BACK, 0x7F, {VK_CONTROL});
  EXPECT_EQ(FirstParagraphText(), "one two ");
  Press(ed, VK_BACK, 0x7F, {VK_CONTROL});
  EXPECT_EQ(FirstParagraphText(), "one ");
  Press(ed, 'Z', 0x1A, {VK_CONTROL});
  EXPECT_EQ(FirstParagraphText(), "one two ");
  Press(ed, VK_HOME, 0, {VK_CONTROL});
  Press(ed, VK_DELETE, 0, {VK_CONTROL});
  EXPECT_EQ(FirstParagraphText(), "two ");
  // Plain Backspace still takes one character.
  Press(ed, VK_END, 0);
  Press(ed, VK_BACK, L'\b');
  EXPECT_EQ(FirstParagraphText(), "two");
}

TEST_F(NotebookEditingTest, ControlCharactersAreNotTypedAndCtrlBIUActAsTheStyleButtons) {
  const HWND ed = Editor().Handle();
  for (wchar_t c : {L'\x01', L'\x08', L'\x0A', L'\x1B', L'\x7F', L'\x85', L'\x9F', L'\0'})
    ::SendMessageW(ed, WM_CHAR, c, 1);
  EXPECT_EQ(Doc().ParagraphCount() == 0 ? "" : FirstParagraphText(), "");
  Chars(ed, L"a\tb");
  EXPECT_EQ(FirstParagraphText(), "a\tb");

  Press(ed, 'B', 0x02, {VK_CONTROL});
  EXPECT_TRUE(Notebook().BoldBtn.Down());
  EXPECT_TRUE(CurrentStyle().HasStyle(fsBold));
  Press(ed, 'I', L'\t', {VK_CONTROL});  // Ctrl+I brings a Tab, which is not typed
  EXPECT_TRUE(Notebook().ItalicBtn.Down());
  Press(ed, 'U', 0x15, {VK_CONTROL});
  EXPECT_TRUE(Notebook().UnderlineBtn.Down());
  Chars(ed, L"c");
  EXPECT_EQ(FirstParagraphText(), "a\tbc");
  const TRVItem& typed = Doc().Paragraph(0).Items().back();
  const TFontInfo& f = Notebook().rvs().TextStyle(typed.AsText()->StyleNo);
  EXPECT_EQ(f.Style, fsBold | fsItalic | fsUnderline);

  // Pressed again, on a selection: the buttons go up and the text follows.
  Press(ed, VK_LEFT, 0);
  Press(ed, VK_RIGHT, 0, {VK_SHIFT});  // "c" selected, the caret after it
  ASSERT_TRUE(Notebook().BoldBtn.Down());
  Press(ed, 'B', 0x02, {VK_CONTROL});
  EXPECT_FALSE(Notebook().BoldBtn.Down());
  EXPECT_EQ(Notebook().rvs().TextStyle(Doc().Paragraph(0).Items().back().AsText()->StyleNo).Style,
            fsItalic | fsUnderline);
  // Ctrl with Shift or Alt is no style shortcut.
  Press(ed, 'I', 0, {VK_CONTROL, VK_SHIFT});
  EXPECT_TRUE(Notebook().ItalicBtn.Down());
}

}  // namespace
}  // namespace nv
