// Find and Replace through the system's dialogs, paragraph alignment and
// zoom, driven through the real notebook frame and editor.
#include <windows.h>

#include <commdlg.h>
#include <dlgs.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>

#include "richview/rtf.h"
#include "richview/paginate.h"
#include "richview/rvf.h"
#include "notebook_frame_fixture.h"
#include "support/picture_samples.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

class NotebookFindTest : public NotebookFrameFixture {
 protected:
  void SetUp() override {
    NotebookFrameFixture::SetUp();
    frame->InnerPageChanged(true);
    Editor().Clear();
    Editor().Format();
    Editor().InsertText("The cat sat.\r\nA Cathedral cat\r\nCAT and cat");
  }
  void TearDown() override {
    if (HWND d = Notebook().FindDialog()) ::DestroyWindow(d);
    NotebookFrameFixture::TearDown();
  }

  const TRVDocument& Doc() { return Editor().Document(); }

  // A key as the message loop delivers it, with modifiers held.
  void Press(WORD vk, std::initializer_list<int> held = {}) {
    BYTE old[256], now[256];
    ::GetKeyboardState(old);
    std::memcpy(now, old, sizeof now);
    for (int m : held) now[m] |= 0x80;
    ::SetKeyboardState(now);
    ::SendMessageW(Editor().Handle(), WM_KEYDOWN, vk, 1);
    ::SendMessageW(Editor().Handle(), WM_KEYUP, vk, 0xC0000001);
    ::SetKeyboardState(old);
  }
  // The selection as (paragraph, from, to) character offsets.
  std::string Selection() {
    const TRVEditCore& core = Editor().Core();
    const TRVParaOffset a = ToParaOffset(Doc(), core.SelectionStart()), b = ToParaOffset(Doc(), core.SelectionEnd());
    return std::to_string(a.Para) + ":" + std::to_string(a.Offset) + "-" + std::to_string(b.Para) + ":" +
           std::to_string(b.Offset);
  }
  void CaretTo(int para, int offset) { Editor().SelectRange({para, offset}, {para, offset}); }
  // The dialog's own controls, as a user sets them.
  void SetDialogText(int id, const std::wstring& text) {
    ::SetDlgItemTextW(Notebook().FindDialog(), id, text.c_str());
  }
  void Check(int id, bool on) {
    ::CheckDlgButton(Notebook().FindDialog(), id, on ? BST_CHECKED : BST_UNCHECKED);
  }
  void ClickDialog(int id) {
    HWND dlg = Notebook().FindDialog();
    ::SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(dlg, id)));
  }
  static WPARAM Wheel(WORD keys, int delta) { return MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))); }
  std::string Boxes() {
    std::string s;
    for (const PromptCall& c : prompter.Calls())
      if (c.kind == PromptCall::Box) s += c.text + "|";
    return s;
  }
};

TEST_F(NotebookFindTest, FindDialogSearchesWithEachOption) {
  // Ctrl+F opens the system's find dialog with the selected word in it.
  Editor().SelectRange({0, 4}, {0, 7});
  Press('F', {VK_CONTROL});
  HWND dlg = Notebook().FindDialog();
  ASSERT_TRUE(dlg && ::IsWindow(dlg));
  wchar_t buf[64] = {};
  ::GetDlgItemTextW(dlg, edt1, buf, 64);
  EXPECT_STREQ(buf, L"cat");
  EXPECT_EQ(::GetAncestor(dlg, GA_ROOT), dlg);

  // Down, any case: inside "Cathedral" too, then on across paragraphs.
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "1:2-1:5");
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "1:12-1:15");
  // Whole word: "Cathedral" is passed over, "CAT" is not.
  CaretTo(1, 0);
  Check(chx1, true);
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "1:12-1:15");
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "2:0-2:3");
  // Match case: "CAT" is passed over.
  Check(chx2, true);
  CaretTo(2, 0);
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "2:8-2:11");
  // Up, the dialog's own direction, then F3 keeps it and Shift+F3 turns it.
  ::CheckRadioButton(dlg, rad1, rad2, rad1);
  ClickDialog(IDOK);
  EXPECT_EQ(Selection(), "1:12-1:15");
  Press(VK_F3);
  EXPECT_EQ(Selection(), "0:4-0:7");
  Press(VK_F3, {VK_SHIFT});
  EXPECT_EQ(Selection(), "1:12-1:15");
  // Nothing found: a message, the selection unchanged.
  SetDialogText(edt1, L"zebra");
  ClickDialog(IDOK);
  EXPECT_EQ(Boxes(), "Cannot find \"zebra\"|");
  EXPECT_EQ(Selection(), "1:12-1:15");
  // Closing the dialog takes it out of the message loop's hands.
  ClickDialog(IDCANCEL);
  EXPECT_TRUE(PumpUntil([&] { return Notebook().FindDialog() == nullptr; }));
  MSG msg{dlg, WM_KEYDOWN, VK_TAB, 1, 0, {}};
  EXPECT_FALSE(Application().DialogMessage(msg));
}

TEST_F(NotebookFindTest, ReplaceAndReplaceAllWithOneUndo) {
  Press('H', {VK_CONTROL});
  HWND dlg = Notebook().FindDialog();
  ASSERT_TRUE(dlg && ::IsWindow(dlg));
  ASSERT_TRUE(::GetDlgItem(dlg, edt2)) << "the replace dialog, not the find dialog";
  // The message loop hands the dialog its keys while it is open.
  MSG tab{::GetDlgItem(dlg, edt1), WM_KEYDOWN, VK_TAB, 1, 0, {}};
  EXPECT_TRUE(Application().DialogMessage(tab));
  SetDialogText(edt1, L"cat");
  SetDialogText(edt2, L"dog");
  Check(chx1, true);
  // Replace: the first press only finds; the next replaces it and finds on.
  CaretTo(0, 0);
  ClickDialog(psh1);
  EXPECT_EQ(Selection(), "0:4-0:7");
  ClickDialog(psh1);
  EXPECT_EQ(Editor().PlainText(), "The dog sat.\r\nA Cathedral cat\r\nCAT and cat");
  EXPECT_EQ(Selection(), "1:12-1:15");
  Press('Z', {VK_CONTROL});
  EXPECT_EQ(Editor().PlainText(), "The cat sat.\r\nA Cathedral cat\r\nCAT and cat");

  ClickDialog(psh2);
  EXPECT_EQ(Editor().PlainText(), "The dog sat.\r\nA Cathedral dog\r\ndog and dog");
  EXPECT_TRUE(Editor().Modified());
  // One Ctrl+Z takes all of it back, one Ctrl+Y brings it again.
  Press('Z', {VK_CONTROL});
  EXPECT_EQ(Editor().PlainText(), "The cat sat.\r\nA Cathedral cat\r\nCAT and cat");
  Press('Y', {VK_CONTROL});
  EXPECT_EQ(Editor().PlainText(), "The dog sat.\r\nA Cathedral dog\r\ndog and dog");
  EXPECT_EQ(Editor().Layout().ParagraphCount(), Doc().ParagraphCount());
  EXPECT_EQ(prompter.Calls().size(), 0u);
}

TEST_F(NotebookFindTest, AlignmentKeysSurviveRtfAndRvfRoundTrips) {
  Editor().SelectRange({0, 2}, {1, 1});
  Press('R', {VK_CONTROL});
  CaretTo(2, 1);
  Press('J', {VK_CONTROL});
  auto alignments = [&](const TRVDocument& d) {
    std::string s;
    for (const TRVParagraph& p : d.Paragraphs)
      s += std::to_string(static_cast<int>(d.Style.ParaStyle(p.ParaNo()).Alignment));
    return s;
  };
  const std::string wanted = {char('0' + int(TParaAlignment::Right)), char('0' + int(TParaAlignment::Right)),
                              char('0' + int(TParaAlignment::Justify))};
  ASSERT_EQ(alignments(Doc()), wanted);
  // Ctrl+E reuses "Centered", Ctrl+L gives the plain paragraph style back.
  Press('E', {VK_CONTROL});
  EXPECT_EQ(Doc().Paragraph(2).ParaNo(), 1);
  Press('L', {VK_CONTROL});
  EXPECT_EQ(Doc().Paragraph(2).ParaNo(), 0);
  Press('Z', {VK_CONTROL});
  Press('Z', {VK_CONTROL});
  ASSERT_EQ(alignments(Doc()), wanted);
  Press('Z', {VK_CONTROL});
  EXPECT_EQ(Doc().Paragraph(2).ParaNo(), 0);
  Press('Y', {VK_CONTROL});

  // Saved and opened again through the notebook's own commands.
  for (int format : {1, 2}) {
    const std::string name = dir.File(format == 1 ? "aligned.rvf" : "aligned.rtf");
    prompter.AnswerFile(name, format);
    Notebook().Save1Click();
    Editor().SetModified(false);
    Editor().Clear();
    Editor().Format();
    prompter.AnswerFile(name, format == 1 ? 5 : 1);
    Notebook().Open1Click();
    EXPECT_EQ(alignments(Doc()), wanted) << name;
  }
  EXPECT_EQ(Boxes(), "");
}

TEST_F(NotebookFindTest, ZoomKeysAndWheelKeepTheCaretInView) {
  std::string text;
  for (int i = 0; i < 60; ++i) text += "line " + std::to_string(i) + "\r\n";
  Editor().InsertText(text);
  ::SetWindowPos(host->Handle(), nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
  Pump();
  auto caretInView = [&] {
    const TRVRect r = Editor().Layout().CaretRect(Doc(), Editor().Core().Caret());
    RECT client{};
    ::GetClientRect(Editor().Handle(), &client);
    return r.Top >= Editor().ScrollPos() && r.Bottom <= Editor().ScrollPos() + client.bottom;
  };
  CaretTo(30, 2);
  ASSERT_TRUE(caretInView());
  const int height = Editor().Layout().DocumentHeight();
  Press(VK_OEM_PLUS, {VK_CONTROL});
  Press(VK_ADD, {VK_CONTROL});
  EXPECT_EQ(Editor().Zoom(), 120);
  EXPECT_GT(Editor().Layout().DocumentHeight(), height);
  EXPECT_TRUE(caretInView());
  for (int i = 0; i < 40; ++i) Press(VK_OEM_PLUS, {VK_CONTROL});
  EXPECT_EQ(Editor().Zoom(), TRichViewEdit::kMaxZoom);
  EXPECT_TRUE(caretInView());
  Press('0', {VK_CONTROL});
  EXPECT_EQ(Editor().Zoom(), 100);
  EXPECT_EQ(Editor().Layout().DocumentHeight(), height);
  for (int i = 0; i < 10; ++i) Press(VK_OEM_MINUS, {VK_CONTROL});
  EXPECT_EQ(Editor().Zoom(), TRichViewEdit::kMinZoom);
  EXPECT_TRUE(caretInView());
  Press('0', {VK_CONTROL});
  // Ctrl+wheel zooms a step per notch; the plain wheel scrolls by the
  // system's lines per notch.
  ::SendMessageW(Editor().Handle(), WM_MOUSEWHEEL, Wheel(MK_CONTROL, 2 * WHEEL_DELTA), 0);
  EXPECT_EQ(Editor().Zoom(), 120);
  ::SendMessageW(Editor().Handle(), WM_MOUSEWHEEL, Wheel(MK_CONTROL, -2 * WHEEL_DELTA), 0);
  EXPECT_EQ(Editor().Zoom(), 100);
  UINT lines = 0;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0));
  ASSERT_TRUE(::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 1, nullptr, 0));
  Editor().ScrollTo(0);
  ::SendMessageW(Editor().Handle(), WM_MOUSEWHEEL, Wheel(0, -WHEEL_DELTA), 0);
  const int oneLine = Editor().ScrollPos();
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 4, nullptr, 0);
  Editor().ScrollTo(0);
  ::SendMessageW(Editor().Handle(), WM_MOUSEWHEEL, Wheel(0, -WHEEL_DELTA), 0);
  const int fourLines = Editor().ScrollPos();
  ::SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0);
  EXPECT_GT(oneLine, 0);
  EXPECT_EQ(fourLines, 4 * oneLine);
}

}  // namespace
}  // namespace nv

namespace nv {
namespace {

// Pages drawn into white bitmaps of a page's size at 150 DPI, kept for
// checking; a page can be made to fail.
class BitmapTarget : public TPrintTarget {
 public:
  static constexpr int kDpi = 150;
  static constexpr SIZE kPage{1240, 1754};  // A4 at 150 DPI
  struct Page {
    UniqueHdc dc;
    UniqueGdiObject bitmap;
    std::uint32_t* bits = nullptr;
  };
  std::vector<Page> pages;
  int failAt = -1;
  int finished = -1;  // 1 ok, 0 dropped

  int Dpi() override { return kDpi; }
  SIZE PageSize() override { return kPage; }
  HDC BeginPage(int n) override {
    if (n == failAt) return nullptr;
    Page& p = pages.emplace_back();
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = kPage.cx;
    bi.bmiHeader.biHeight = -kPage.cy;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    p.bitmap.reset(::CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    p.dc.reset(::CreateCompatibleDC(nullptr));
    p.bits = static_cast<std::uint32_t*>(bits);
    ::SelectObject(p.dc.get(), p.bitmap.get());
    std::fill(p.bits, p.bits + kPage.cx * kPage.cy, 0xFFFFFFu);
    return p.dc.get();
  }
  bool EndPage(int) override {
    ::GdiFlush();
    return true;
  }
  void Finish(bool ok) override { finished = ok ? 1 : 0; }

  // The rows holding anything but white, and the columns likewise.
  static std::pair<int, int> InkRows(const Page& p) {
    int first = -1, last = -1;
    for (int y = 0; y < kPage.cy; ++y)
      for (int x = 0; x < kPage.cx; ++x)
        if ((p.bits[y * kPage.cx + x] & 0xFFFFFFu) != 0xFFFFFFu) {
          if (first < 0) first = y;
          last = y;
          break;
        }
    return {first, last};
  }
  static std::pair<int, int> InkColumns(const Page& p) {
    int first = kPage.cx, last = -1;
    for (int y = 0; y < kPage.cy; ++y)
      for (int x = 0; x < kPage.cx; ++x)
        if ((p.bits[y * kPage.cx + x] & 0xFFFFFFu) != 0xFFFFFFu) {
          first = std::min(first, x);
          last = std::max(last, x);
        }
    return {first, last};
  }
};

class NotebookPrintTest : public NotebookFrameFixture {};

TEST_F(NotebookPrintTest, CtrlPPrintsPagesWithinTheMarginsNeverSplittingALine) {
  Editor().Clear();
  Editor().Format();
  std::string text;
  for (int i = 0; i < 120; ++i)
    text += "Line " + std::to_string(i) + " of the printed notebook, long enough to be seen.\r\n";
  Editor().InsertText(text);
  // Ctrl+P, as the user presses it.
  BYTE old[256], now[256];
  ::GetKeyboardState(old);
  std::memcpy(now, old, sizeof now);
  now[VK_CONTROL] |= 0x80;
  ::SetKeyboardState(now);
  // The frame owns the target only while it prints; copy what is checked.
  std::vector<std::pair<int, int>> rows, columns;
  int finished = -1;
  Notebook().ChoosePrinter = [&]() -> std::unique_ptr<TPrintTarget> {
    struct Keep : BitmapTarget {
      std::vector<std::pair<int, int>>* rows;
      std::vector<std::pair<int, int>>* columns;
      int* finished;
      void Finish(bool ok) override {
        *finished = ok ? 1 : 0;
        for (const Page& p : pages) {
          rows->push_back(InkRows(p));
          columns->push_back(InkColumns(p));
        }
      }
    };
    auto keep = std::make_unique<Keep>();
    keep->rows = &rows;
    keep->columns = &columns;
    keep->finished = &finished;
    return keep;
  };
  ::SendMessageW(Editor().Handle(), WM_KEYDOWN, 'P', 1);
  ::SetKeyboardState(old);
  ASSERT_EQ(finished, 1);
  ASSERT_GE(rows.size(), 2u) << "120 lines fill more than one page";
  const int margin = PrintMarginPixels(BitmapTarget::kDpi);  // 2 cm
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE(i);
    ASSERT_GE(rows[i].first, margin) << "nothing above the top margin";
    EXPECT_LT(rows[i].first, margin + 10) << "the page starts at the top margin";
    EXPECT_LT(rows[i].second, BitmapTarget::kPage.cy - margin) << "nothing below the bottom margin";
    EXPECT_GE(columns[i].first, margin);
    EXPECT_LT(columns[i].second, BitmapTarget::kPage.cx - margin);
  }
  // The pages together hold every line once: as many lines as the screen's
  // layout code makes of the document at that resolution and width.
  TGdiFontMetrics metrics;
  metrics.SetDpi(BitmapTarget::kDpi);
  TRVLayout layout(metrics);
  layout.SetDpi(BitmapTarget::kDpi);
  layout.SetMargins(margin, 0, margin, 0);
  layout.SetWidth(BitmapTarget::kPage.cx);
  layout.Format(Editor().Document());
  EXPECT_EQ(rows.size(), Paginate(layout, BitmapTarget::kPage.cy - 2 * margin).size());
  EXPECT_EQ(prompter.Calls().size(), 0u);
}

TEST_F(NotebookPrintTest, APictureWiderThanThePageIsPrintedShrunkToTheMarginsKeepingItsShape) {
  Editor().Clear();
  Editor().Format();
  // 1500 x 60 at 96 DPI: over 2300 printer pixels wide at 150 DPI, on a
  // page with about 1000 between the margins.
  const samples::Bytes bmp = samples::MakeBmp(1500, 60, [](int, int) { return samples::Rgba{255, 0, 0}; });
  TRVPictureItemInfo pic;
  pic.Kind = TRVPictureKind::Bmp;
  pic.Data = SharedBytes(bmp);
  pic.Width = 1500;
  pic.Height = 60;
  Editor().InsertText("Wide:");
  ASSERT_TRUE(Editor().InsertPicture(pic));
  const TRVDocument before = Editor().Document();
  BitmapTarget target;
  const int pages = Editor().PrintTo(BitmapTarget::kDpi, BitmapTarget::kPage.cx, BitmapTarget::kPage.cy,
                                     [&](int n) { return target.BeginPage(n); },
                                     [&](int n) { return target.EndPage(n); });
  ASSERT_EQ(pages, 1);
  // The red of the picture: where it was drawn.
  int left = INT_MAX, right = -1, top = INT_MAX, bottom = -1;
  const BitmapTarget::Page& page = target.pages[0];
  for (int y = 0; y < BitmapTarget::kPage.cy; ++y)
    for (int x = 0; x < BitmapTarget::kPage.cx; ++x)
      if ((page.bits[y * BitmapTarget::kPage.cx + x] & 0xFFFFFFu) == 0xFF0000u) {
        left = std::min(left, x), right = std::max(right, x);
        top = std::min(top, y), bottom = std::max(bottom, y);
      }
  ASSERT_GE(right, 0) << "the picture is printed";
  const int margin = PrintMarginPixels(BitmapTarget::kDpi);
  const int width = right - left + 1, height = bottom - top + 1;
  EXPECT_EQ(left, margin);
  EXPECT_NEAR(width, BitmapTarget::kPage.cx - 2 * margin, 1) << "as wide as the margins allow";
  EXPECT_NEAR(height * 1500, width * 60, 1500) << "the same shape, to a pixel";
  EXPECT_EQ(Editor().Document(), before) << "the document keeps the picture's size";
  EXPECT_EQ(Editor().Document().Paragraph(0).Item(1).AsPicture()->Width, 1500);
}

TEST_F(NotebookPrintTest, PagesGoIntoAMetafileAndAFailedPageIsReported) {
  Editor().Clear();
  Editor().Format();
  Editor().InsertText("Printed into a metafile.");
  // An enhanced metafile made for a reference DC, as a print preview would.
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
  HDC emf = ::CreateEnhMetaFileW(screen, nullptr, nullptr, nullptr);
  ::ReleaseDC(nullptr, screen);
  ASSERT_TRUE(emf);
  const int pages = Editor().PrintTo(dpi, 800, 1100, [&](int) { return emf; }, [](int) { return true; });
  HENHMETAFILE meta = ::CloseEnhMetaFile(emf);
  ASSERT_TRUE(meta);
  EXPECT_EQ(pages, 1);
  int texts = 0;
  ::EnumEnhMetaFile(
      nullptr, meta,
      [](HDC, HANDLETABLE*, const ENHMETARECORD* r, int, LPARAM p) -> int {
        if (r->iType == EMR_EXTTEXTOUTW) ++*reinterpret_cast<int*>(p);
        return 1;
      },
      &texts, nullptr);
  ::DeleteEnhMetaFile(meta);
  EXPECT_GE(texts, 1);

  // A page the printer refuses: the job is dropped and the user told.
  Notebook().ChoosePrinter = [] {
    auto t = std::make_unique<BitmapTarget>();
    t->failAt = 0;
    return std::unique_ptr<TPrintTarget>(std::move(t));
  };
  Notebook().PrintDocument();
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Error during printing");
  // Cancel in the print dialog: nothing at all.
  Notebook().ChoosePrinter = [] { return std::unique_ptr<TPrintTarget>(); };
  Notebook().PrintDocument();
  EXPECT_EQ(prompter.Calls().size(), 1u);
}

}  // namespace
}  // namespace nv
