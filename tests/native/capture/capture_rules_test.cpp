#include "capture/capture_rules.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(ApplicationList, QualifyingWindows) {
  TopLevelWindowFacts w;
  w.desktop = 0x10;
  w.visible = true;
  EXPECT_TRUE(QualifiesForApplicationList(w));
  w.visible = false;
  EXPECT_FALSE(QualifiesForApplicationList(w)) << "hidden";
  w.iconic = true;
  EXPECT_TRUE(QualifiesForApplicationList(w)) << "minimised windows are listed";
  w.owner = 0x20;
  EXPECT_FALSE(QualifiesForApplicationList(w)) << "owned dialogs are not";
  w.owner = 0x10;
  EXPECT_TRUE(QualifiesForApplicationList(w)) << "owned by the desktop counts as unowned";
  w.exStyle = 0x80 | 0x100;
  EXPECT_FALSE(QualifiesForApplicationList(w)) << "tool windows are not";
}

TEST(ApplicationList, OnlyWindowsTheUserSeesOfOtherPrograms) {
  TopLevelWindowFacts w;
  w.visible = true;
  w.className = "Notepad";
  ASSERT_TRUE(QualifiesForApplicationList(w));
  w.cloaked = true;
  EXPECT_FALSE(QualifiesForApplicationList(w)) << "cloaked: suspended or on another virtual desktop";
  w.cloaked = false;
  w.iconic = true;
  w.visible = false;
  w.ownProcess = true;
  EXPECT_FALSE(QualifiesForApplicationList(w)) << "our own windows, even minimised";
  w.ownProcess = false;
  ASSERT_TRUE(QualifiesForApplicationList(w));
  w.visible = true;
  w.iconic = false;
  for (const char* shell : {"Progman", "PROGMAN", "progman"}) {
    w.className = shell;
    EXPECT_FALSE(QualifiesForApplicationList(w)) << shell << ": the shell's desktop window";
  }
  w.className = "ProgmanHelper";
  EXPECT_TRUE(QualifiesForApplicationList(w)) << "only that class itself";
}

TEST(TitleMatch, CaseAndSubstring) {
  EXPECT_TRUE(TitleMatches("Untitled - Notepad", "notepad"));
  EXPECT_TRUE(TitleMatches("untitled - notepad", "NOTEPAD"));
  EXPECT_TRUE(TitleMatches("Notepad", "Notepad"));
  EXPECT_FALSE(TitleMatches("Note pad", "notepad"));
  // Only ASCII letters fold: other bytes must be equal.
  EXPECT_FALSE(TitleMatches("\xC4pfel", "\xE4pfel"));
  EXPECT_TRUE(TitleMatches("\xC4PFEL", "\xC4pfel"));
}

TEST(TitleMatch, EmptyNeverMatches) {
  EXPECT_FALSE(TitleMatches("anything", ""));
  EXPECT_FALSE(TitleMatches("", ""));
  EXPECT_FALSE(TitleMatches("abc", std::string("\0abc", 4))) << "the sought text ends at its first NUL";
}

TEST(TitleMatch, LengthLimits) {
  const std::string title = std::string(254, 'a') + "TAIL";
  EXPECT_TRUE(TitleMatches(title, std::string(254, 'a')));
  EXPECT_FALSE(TitleMatches(title, "tail")) << "only the first 254 characters of a title are read";
  EXPECT_FALSE(TitleMatches(std::string(400, 'a'), std::string(255, 'a')))
      << "a sought text longer than 254 characters never matches";
  EXPECT_EQ(BoundSoughtText(std::string(1000, 'x')).size(), 256u);
}

TEST(ProgramPath, CaptionDropsTheLastFourCharacters) {
  EXPECT_EQ(CaptionFromProgramPath("C:\\Windows\\System32\\notepad.exe"), "NOTEPAD ");
  EXPECT_EQ(CaptionFromProgramPath("C:\\x\\Setup.msi"), "SETUP ");
  EXPECT_EQ(CaptionFromProgramPath("C:\\x\\tool.jpeg"), "TOOL. ") << "a longer extension keeps part of itself";
  EXPECT_EQ(CaptionFromProgramPath("C:\\x\\a.ex"), " ");
  EXPECT_EQ(CaptionFromProgramPath("C:\\x\\ab.c"), " ");
  EXPECT_EQ(CaptionFromProgramPath("D:prog.com"), "PROG ");
  EXPECT_EQ(CaptionFromProgramPath("C:\\x\\\xE4pp.exe"), "\xE4PP ") << "non-ASCII bytes keep their case";
  EXPECT_EQ(FileNamePart("C:\\a\\b"), "b");
  EXPECT_EQ(FileNamePart("noslash"), "noslash");
}

TEST(Launch, OnlyLowerCaseExeGoesToWinExec) {
  EXPECT_TRUE(LaunchWithWinExec("C:\\Program Files\\App\\app.exe"));
  EXPECT_FALSE(LaunchWithWinExec("C:\\Program Files\\App\\APP.EXE"));
  EXPECT_FALSE(LaunchWithWinExec("C:\\notes\\readme.txt"));
  EXPECT_EQ(LaunchExtension("C:\\app.exe C:\\notes\\readme.txt"), ".txt");
  EXPECT_FALSE(LaunchWithWinExec("C:\\app.exe C:\\notes\\readme.txt"));
  EXPECT_EQ(LaunchExtension("C:\\dir.d\\program"), "");
  EXPECT_EQ(LaunchExtension("C:file.exe"), ".exe");
  EXPECT_EQ(LaunchExtension(""), "");
}

TEST(CaptureScan, FreesEachDeadCapturesOwnTab) {
  const std::vector<CaptureEntry> list = {{100, 1}, {0, 2}, {300, 3}, {400, 4}};
  auto alive = [](std::uintptr_t h) { return h == 300; };
  // Tab 3 is on screen; 1, 2 and 4 died: all three go in one tick.
  ScanResult r = ScanCaptures(list, alive, 3, {0});
  EXPECT_EQ(r.deadEntries, (std::vector<size_t>{0, 1, 3}));
  EXPECT_EQ(r.tabsToFree, (std::vector<std::uintptr_t>{1, 2, 4}));
  EXPECT_FALSE(r.showMainPage) << "the tab on screen belongs to a live capture";
  r = ScanCaptures(list, alive, 2, {0});
  EXPECT_TRUE(r.showMainPage);
}

TEST(CaptureScan, FixedTabsAreNeverFreed) {
  // Tab 1 is the fixed first page, 9 the reader; 0 means "no tab".
  const std::vector<CaptureEntry> list = {{0, 1}, {0, 9}, {0, 0}, {5, 6}, {7, 6}};
  ScanResult r = ScanCaptures(list, [](std::uintptr_t) { return false; }, 1, {1, 9});
  EXPECT_EQ(r.deadEntries, (std::vector<size_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(r.tabsToFree, (std::vector<std::uintptr_t>{6})) << "each tab is freed once";
  EXPECT_FALSE(r.showMainPage);
  EXPECT_TRUE(ScanCaptures({}, [](std::uintptr_t) { return true; }, 1, {1}).deadEntries.empty());
}

TEST(CaptureScan, WindowLines) {
  EXPECT_EQ(CapturedWindowLine(0), "0");
  EXPECT_EQ(CapturedWindowLine(0x2A00F2u), "2752754");
  EXPECT_EQ(CapturedWindowLine(UINTPTR_MAX), std::to_string(UINTPTR_MAX));
}

}  // namespace
}  // namespace nv
