// The pictures of the toolbar, the file menus and the reader's button: each
// item shows its own picture and still carries its caption as window text
// (what screen readers read) and as its tooltip.
#include <windows.h>

#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "main_form_fixture.h"
#include "ui/win32/icons.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

// The colours of a bitmap or of an icon drawn on white, to tell a picture
// from a plain patch.
int DistinctColours(HBITMAP bitmap) {
  BITMAP bm{};
  if (!bitmap || !::GetObjectW(bitmap, sizeof bm, &bm)) return 0;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  std::vector<DWORD> px(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!::GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(bm.bmHeight), px.data(), &bi, DIB_RGB_COLORS)) return 0;
  std::set<DWORD> colours;
  for (DWORD p : px) colours.insert(p);
  return static_cast<int>(colours.size());
}

int DistinctColours(HICON icon, int size) {
  WindowDcScope screen(nullptr);
  UniqueGdiObject bmp(::CreateCompatibleBitmap(screen.dc(), size, size));
  UniqueHdc dc(::CreateCompatibleDC(screen.dc()));
  {
    SelectScope selected(dc.get(), bmp.get());
    RECT all{0, 0, size, size};
    ::FillRect(dc.get(), &all, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::DrawIconEx(dc.get(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  }
  return DistinctColours(static_cast<HBITMAP>(bmp.get()));
}

void ExpectPictureButton(const TGlowButton& b, const std::string& caption, const std::string& hint, int size) {
  SCOPED_TRACE(b.Name);
  ASSERT_NE(b.Picture(), nullptr);
  EXPECT_EQ(b.PictureSize(), ui::ScaledIconSize(size, ui::DpiFor(b.Handle())));
  EXPECT_GT(DistinctColours(b.Picture(), b.PictureSize()), 4) << "a picture, not a blank";
  EXPECT_EQ(b.Caption(), caption);
  EXPECT_EQ(b.Hint(), hint);
  // The whole picture fits inside the button.
  EXPECT_GE(b.Width(), b.PictureSize());
  EXPECT_GE(b.Height(), b.PictureSize());
}

TEST_F(MainFormTest, ToolbarButtonsShowTheirPicturesAndKeepTheirCaptions) {
  TfrmMain& f = Start();
  TNotebookFrame& n = f.Notebook;
  struct Expected {
    const TGlowButton* button;
    const char* caption;
    const char* hint;
  };
  const Expected expected[] = {
      {&n.OpenBtn, "Open", "Open"},
      {&n.SaveBtn, "Save", "Save"},
      {&n.InsertImageBtn, "Image", "Insert Image"},
      {&n.ItalicBtn, "I", "I"},
      {&n.BoldBtn, "B", "B"},
      {&n.UnderlineBtn, "U", "U"},
      {&n.LineBtn, "Line", "Insert a line break"},
      {&n.FontBtn, "Font", "Font"},
      {&n.EncryptBtn, "Encrypt", "Encrypt current text to a file"},
      {&n.DecryptBtn, "Decrypt", "Decrypt from an encrypted text file"},
      {&f.RSSbtn, "RSS", "RSS"},
  };
  std::set<HICON> pictures;
  for (const Expected& e : expected) {
    ExpectPictureButton(*e.button, e.caption, e.hint, 16);
    pictures.insert(e.button->Picture());
  }
  EXPECT_EQ(pictures.size(), std::size(expected)) << "every button owns its own picture";
  // A picture button still works as one.
  n.InnerPageChanged(true);
  n.BoldBtn.Click();
  EXPECT_TRUE(n.BoldBtn.Down());
}

TEST_F(MainFormTest, EveryFileMenuCommandHasItsOwnPicture) {
  TfrmMain& f = Start();
  for (TAdvPopupMenu* menu : {&f.Files.AdvPopupMenu1, &f.Files.AdvPopupMenu2}) {
    SCOPED_TRACE(menu->Name);
    HMENU h = menu->Handle();
    const std::vector<TMenuItem>& items = menu->Items();
    ASSERT_EQ(::GetMenuItemCount(h), static_cast<int>(items.size()));
    std::set<HBITMAP> pictures;
    int commands = 0;
    for (size_t i = 0; i < items.size(); ++i) {
      if (items[i].Separator()) continue;
      SCOPED_TRACE(items[i].Name);
      ++commands;
      MENUITEMINFOW mi{};
      mi.cbSize = sizeof mi;
      mi.fMask = MIIM_BITMAP | MIIM_STRING;
      wchar_t text[64] = {};
      mi.dwTypeData = text;
      mi.cch = 64;
      ASSERT_TRUE(::GetMenuItemInfoW(h, static_cast<UINT>(i), TRUE, &mi));
      EXPECT_EQ(Narrow(text), items[i].Caption);
      ASSERT_NE(mi.hbmpItem, nullptr);
      EXPECT_GT(DistinctColours(mi.hbmpItem), 4);
      pictures.insert(mi.hbmpItem);
    }
    EXPECT_EQ(static_cast<int>(pictures.size()), commands);
  }
}

TEST_F(MainFormTest, ReaderGetFeedButtonShowsItsPictureAboveItsCaption) {
  TfrmMain& f = Start();
  f.RSSbtn.Click();
  ASSERT_NE(f.ReaderTab.Reader(), nullptr);
  const TGlowButton& b = f.ReaderTab.Reader()->bRefresh;
  ExpectPictureButton(b, "Get Feed", "Get Feed", 32);
  EXPECT_TRUE(b.CaptionUnderPicture);
}

}  // namespace
}  // namespace nv
