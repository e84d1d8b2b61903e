// The rendered pictures in the resources and their loading per DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <set>
#include <vector>

#include "ui/icon_ids.h"
#include "ui/win32/icons.h"
#include "ui/win32/unique_handle.h"

namespace nv::ui {
namespace {

struct Pixels {
  int width = 0, height = 0;
  std::vector<std::uint32_t> argb;  // top-down rows
  int Opaque() const {
    int n = 0;
    for (auto p : argb) n += (p >> 24) != 0;
    return n;
  }
};

Pixels Read(HICON icon) {
  Pixels out;
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return out;
  UniqueGdiObject colour(info.hbmColor), mask(info.hbmMask);
  BITMAP bm{};
  if (!colour || !::GetObjectW(colour.get(), sizeof(bm), &bm)) return out;
  out.width = bm.bmWidth;
  out.height = bm.bmHeight;
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = bm.bmWidth;
  bi.bmiHeader.biHeight = -bm.bmHeight;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  out.argb.resize(static_cast<size_t>(bm.bmWidth) * static_cast<size_t>(bm.bmHeight));
  UniqueHdc dc(::CreateCompatibleDC(nullptr));
  if (!::GetDIBits(dc.get(), static_cast<HBITMAP>(colour.get()), 0, static_cast<UINT>(bm.bmHeight),
                   out.argb.data(), &bi, DIB_RGB_COLORS))
    out.argb.clear();
  return out;
}

std::vector<IconId> AllIcons() {
  std::vector<IconId> all(std::begin(kToolbarIcons), std::end(kToolbarIcons));
  all.insert(all.end(), std::begin(kDirMenuIcons), std::end(kDirMenuIcons));
  all.insert(all.end(), std::begin(kFileMenuIcons), std::end(kFileMenuIcons));
  all.push_back(IconId::bRefresh);
  all.push_back(IconId::Image1);
  return all;
}

TEST(Icons, EveryPictureHasARealImageAtEachToolbarSize) {
  for (IconId id : AllIcons()) {
    for (int size : {16, 24, 32}) {
      SCOPED_TRACE(testing::Message() << "id " << static_cast<int>(id) << " at " << size);
      UniqueHIcon icon = LoadToolbarIcon(id, size, USER_DEFAULT_SCREEN_DPI);
      ASSERT_TRUE(icon);
      Pixels px = Read(icon.get());
      EXPECT_EQ(px.width, size);
      EXPECT_EQ(px.height, size);
      ASSERT_FALSE(px.argb.empty());
      // A drawn picture on a transparent ground: neither empty nor a block.
      EXPECT_GT(px.Opaque(), size * size / 20);
      EXPECT_LT(px.Opaque(), size * size);
    }
  }
}

TEST(Icons, AboutPictureIsSharpAtItsOwnSize) {
  UniqueHIcon icon = LoadToolbarIcon(IconId::Image1, 100, USER_DEFAULT_SCREEN_DPI);
  ASSERT_TRUE(icon);
  Pixels px = Read(icon.get());
  EXPECT_EQ(px.width, 100);
  EXPECT_GT(px.Opaque(), 100 * 100 / 4);
}

TEST(Icons, SizeFollowsTheDpiAndUsesTheNearestRenderedImage) {
  EXPECT_EQ(ScaledIconSize(16, 96), 16);
  EXPECT_EQ(ScaledIconSize(16, 120), 20);
  EXPECT_EQ(ScaledIconSize(16, 144), 24);
  EXPECT_EQ(ScaledIconSize(16, 192), 32);
  EXPECT_EQ(ScaledIconSize(24, 0), 24);

  for (int dpi : {120, 144, 192}) {
    UniqueHIcon icon = LoadToolbarIcon(IconId::BoldBtn, 16, dpi);
    ASSERT_TRUE(icon);
    EXPECT_EQ(Read(icon.get()).width, ScaledIconSize(16, dpi)) << dpi;
  }
  // 16 px at 144 DPI is the 24 px rendering itself, not a stretched 16.
  UniqueHIcon scaled = LoadToolbarIcon(IconId::SaveBtn, 16, 144);
  UniqueHIcon native = LoadToolbarIcon(IconId::SaveBtn, 24, 96);
  ASSERT_TRUE(scaled && native);
  EXPECT_EQ(Read(scaled.get()).argb, Read(native.get()).argb);

  // Without a DPI the screen's is taken.
  UniqueHIcon current = LoadToolbarIcon(IconId::OpenBtn, 16);
  ASSERT_TRUE(current);
  EXPECT_EQ(Read(current.get()).width, ScaledIconSize(16, DpiFor(nullptr)));
}

TEST(Icons, ItemsOfOneBarOrMenuShowDifferentPictures) {
  auto distinct = [](auto const& ids) {
    std::set<std::vector<std::uint32_t>> seen;
    for (IconId id : ids) {
      UniqueHIcon icon = LoadToolbarIcon(id, 16, USER_DEFAULT_SCREEN_DPI);
      if (!icon) return false;
      if (!seen.insert(Read(icon.get()).argb).second) return false;
    }
    return true;
  };
  EXPECT_TRUE(distinct(kToolbarIcons));
  EXPECT_TRUE(distinct(kDirMenuIcons));
  EXPECT_TRUE(distinct(kFileMenuIcons));
}

TEST(Icons, MissingResourceGivesNoIcon) {
  EXPECT_FALSE(LoadToolbarIcon(static_cast<IconId>(9999), 16, USER_DEFAULT_SCREEN_DPI));
}

}  // namespace
}  // namespace nv::ui

namespace nv {
namespace {

// The version of CMake's project() reaches the program's version resource
// (this test executable links the same resource script).
TEST(VersionResource, CarriesTheProjectVersion) {
  wchar_t self[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(self, &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> data(size);
  ASSERT_TRUE(::GetFileVersionInfoW(self, 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(std::string(numbers), NOOKVALE_VERSION);
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);

  for (const wchar_t* name : {L"\\StringFileInfo\\040904B0\\FileVersion",
                              L"\\StringFileInfo\\040904B0\\ProductVersion"}) {
    wchar_t* text = nullptr;
    ASSERT_TRUE(::VerQueryValueW(data.data(), name, reinterpret_cast<void**>(&text), &len));
    std::string narrow;
    for (const wchar_t* p = text; *p; ++p) narrow += static_cast<char>(*p);
    EXPECT_EQ(narrow, NOOKVALE_VERSION);
  }
}

}  // namespace
}  // namespace nv
