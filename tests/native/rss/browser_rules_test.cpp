// The reader's browser control: the document mode asked for, and which
// navigations it may make.
#include <gtest/gtest.h>

#include "rss/browser_rules.h"

namespace nv::rss {
namespace {

TEST(BrowserEmulation, TheInstalledBrowsersCurrentModeWrittenOnlyWhenMissingOrDifferent) {
  EXPECT_EQ(BrowserEmulationToWrite("11.0.9600.18376", "9.11.9600.18376", std::nullopt), 11001u);
  EXPECT_EQ(BrowserEmulationToWrite("", "9.11.9600.18376", std::nullopt), 11001u) << "only the older text kept";
  EXPECT_EQ(BrowserEmulationToWrite("10.0.9200.16384", "9.10.9200.16384", std::nullopt), 10001u);
  EXPECT_EQ(BrowserEmulationToWrite("", "9.10.9200.16384", std::nullopt), 10001u);
  EXPECT_EQ(BrowserEmulationToWrite("", "9.0.8112.16421", std::nullopt), 9999u);
  EXPECT_EQ(BrowserEmulationToWrite("", "8.0.7601.17514", std::nullopt), 8888u);
  EXPECT_EQ(BrowserEmulationToWrite("", "7.0.6000.16386", std::nullopt), 7000u);
  EXPECT_EQ(BrowserEmulationToWrite("", "", std::nullopt), 11001u) << "no version known: the last one made";
  EXPECT_EQ(BrowserEmulationToWrite("junk", "x.y", std::nullopt), 11001u);

  EXPECT_EQ(BrowserEmulationToWrite("11.0.9600.1", "", 11001u), std::nullopt) << "already right: not written";
  EXPECT_EQ(BrowserEmulationToWrite("11.0.9600.1", "", 7000u), 11001u) << "a different mode is replaced";
  EXPECT_EQ(BrowserEmulationToWrite("", "9.0.8112.1", 11001u), 9999u) << "the installed browser's, not the newest";
  EXPECT_EQ(BrowserEmulationToWrite("", "9.0.8112.1", 9999u), std::nullopt);
}

TEST(BrowserNavigation, WebAddressesOnlyOnEveryNavigationButTheControlsOwnBlankPageOnce) {
  NavigationFilter f;
  for (const char* ok : {"http://a.test/", "https://a.test/x?y#z", "HTTPS://A.TEST/"}) EXPECT_TRUE(f.Allow(ok)) << ok;
  for (const char* bad : {"about:blank", "javascript:alert(1)", "file:///c:/windows/win.ini", "res://ieframe.dll/x",
                          "mailto:a@b.test", "ftp://a.test/", "vbscript:x", "", "//a.test/"})
    EXPECT_FALSE(f.Allow(bad)) << bad;
  // The control's own blank page, once; its second load is a page's.
  f.ExpectBlank();
  EXPECT_FALSE(f.Allow("javascript:x")) << "the exception is the blank page alone";
  EXPECT_TRUE(f.Allow("about:blank"));
  EXPECT_FALSE(f.Allow("about:blank"));
  f.ExpectBlank();
  f.ForgetBlank();
  EXPECT_FALSE(f.Allow("about:blank"));
  // Navigations after the first are filtered the same way.
  EXPECT_TRUE(f.Allow("http://a.test/2"));
  EXPECT_FALSE(f.Allow("file:///etc/passwd"));
}

}  // namespace
}  // namespace nv::rss
