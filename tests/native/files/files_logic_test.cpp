#include <gtest/gtest.h>

#include "files/dos_time.h"
#include "files/file_paths.h"

namespace nv {
namespace {

TEST(FilesPaths, RootsAndDirectories) {
  EXPECT_EQ(RootOf("C:\\Users\\x"), "C:\\");
  EXPECT_EQ(RootOf("d:"), "d:\\");
  EXPECT_EQ(RootOf("\\\\srv\\share\\dir"), "\\\\srv\\share\\");
  EXPECT_EQ(RootOf("\\\\srv"), "");
  EXPECT_EQ(RootOf("dir\\x"), "");
  EXPECT_TRUE(IsRootPath("C:\\"));
  EXPECT_TRUE(IsRootPath("c:"));
  EXPECT_FALSE(IsRootPath("C:\\a"));
  EXPECT_EQ(NormalizeDirectory("C:/a/b\\\\"), "C:\\a\\b");
  EXPECT_EQ(NormalizeDirectory("C:\\\\"), "C:\\");
  EXPECT_EQ(NormalizeDirectory("C:"), "C:\\");
}

TEST(FilesPaths, JoinParentAndTargets) {
  EXPECT_EQ(JoinPath("C:\\a", "f.txt"), "C:\\a\\f.txt");
  EXPECT_EQ(JoinPath("C:\\", "f.txt"), "C:\\f.txt");
  EXPECT_EQ(ParentWithBackslash("C:\\a\\b"), "C:\\a\\");
  EXPECT_EQ(ParentWithBackslash("C:\\"), "C:\\");
  EXPECT_EQ(ParentWithBackslash("name"), "");
  EXPECT_EQ(FileTargetPath("D:\\dest", "f.txt"), "D:\\dest\\f.txt");
  EXPECT_EQ(FileTargetPath("D:\\dest\\", "f.txt"), "D:\\dest\\f.txt");
  // An empty typed directory names the drive's root, as the bare join does.
  EXPECT_EQ(FileTargetPath("", "f.txt"), "\\f.txt");
}

TEST(FilesPaths, TypedNamesResolveAgainstTheListedDirectory) {
  EXPECT_EQ(ResolveAgainst("C:\\a", "new.txt"), "C:\\a\\new.txt");
  EXPECT_EQ(ResolveAgainst("C:\\a", "sub\\new.txt"), "C:\\a\\sub\\new.txt");
  EXPECT_EQ(ResolveAgainst("C:\\a", "D:\\x\\y"), "D:\\x\\y");
  EXPECT_EQ(ResolveAgainst("C:\\a", "\\top"), "C:\\top");
  EXPECT_EQ(ResolveAgainst("C:\\a", "c:rel"), "C:\\a\\rel");
  EXPECT_EQ(ResolveAgainst("C:\\a", "D:rel"), "D:rel");
  EXPECT_EQ(ResolveAgainst("C:\\", "x"), "C:\\x");
  EXPECT_EQ(ResolveAgainst("C:\\a", "\\\\srv\\s\\f"), "\\\\srv\\s\\f");
  EXPECT_EQ(ResolveAgainst("C:\\a", ""), "");
  // Names outside ASCII pass through byte for byte.
  EXPECT_EQ(ResolveAgainst("C:\\\xc3\xa9t\xc3\xa9", "\xef\xbd\x86ile.txt"), "C:\\\xc3\xa9t\xc3\xa9\\\xef\xbd\x86ile.txt");
}

TEST(FilesPaths, DirectoryEntriesRootPathAndSubdirectories) {
  auto e = BuildDirectoryEntries("C:\\Users\\me", {"zeta", "Alpha", "beta"});
  ASSERT_EQ(e.size(), 6u);
  EXPECT_EQ(e[0].text, "C:\\");
  EXPECT_EQ(e[0].path, "C:\\");
  EXPECT_EQ(e[0].kind, DirEntry::Root);
  EXPECT_EQ(e[1].path, "C:\\Users");
  EXPECT_EQ(e[1].kind, DirEntry::Ancestor);
  EXPECT_EQ(e[2].text, "me");
  EXPECT_EQ(e[2].path, "C:\\Users\\me");
  EXPECT_EQ(e[2].kind, DirEntry::Open);
  EXPECT_EQ(e[2].level, 2);
  EXPECT_EQ(e[3].text, "Alpha");
  EXPECT_EQ(e[4].text, "beta");
  EXPECT_EQ(e[5].path, "C:\\Users\\me\\zeta");
  EXPECT_EQ(e[5].level, 3);

  auto r = BuildDirectoryEntries("C:\\", {"b", "a"});
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[1].path, "C:\\a") << "no doubled backslash below a root";
  EXPECT_EQ(r[1].level, 1);

  EXPECT_TRUE(BuildDirectoryEntries("relative\\dir", {}).empty());
  auto unc = BuildDirectoryEntries("\\\\srv\\share\\d", {});
  ASSERT_EQ(unc.size(), 2u);
  EXPECT_EQ(unc[1].path, "\\\\srv\\share\\d");
}

TEST(FilesPaths, TickedEntriesFromTheLastUpAndNameLists) {
  EXPECT_EQ(TickedFromLast({true, false, true, true}), (std::vector<int>{3, 2, 0}));
  EXPECT_TRUE(TickedFromLast({false, false}).empty());
  auto list = OneEntryList(u"C:\\d");
  ASSERT_TRUE(list);
  EXPECT_EQ(*list, std::u16string(u"C:\\d\0\0", 6));
  EXPECT_FALSE(OneEntryList(u""));
  EXPECT_FALSE(OneEntryList(std::u16string(u"C:\\a\0C:\\b", 9))) << "a NUL would make it a two-entry list";
}

TEST(FilesPaths, FullPathsKeepTrailingDotsAndSpaces) {
  EXPECT_EQ(NormalizeFullPath("C:/a//b\\.\\c\\..\\d\\"), "C:\\a\\b\\d");
  EXPECT_EQ(NormalizeFullPath("C:\\a\\..\\..\\.."), "C:\\") << "never above the root";
  EXPECT_EQ(NormalizeFullPath("C:"), "C:\\");
  EXPECT_EQ(NormalizeFullPath("C:\\."), "C:\\");
  EXPECT_EQ(NormalizeFullPath("C:\\a\\name."), "C:\\a\\name.");
  EXPECT_EQ(NormalizeFullPath("C:\\a. \\name \\"), "C:\\a. \\name ");
  EXPECT_EQ(NormalizeFullPath("C:\\a\\.. "), "C:\\a\\.. ") << "a name, not the parent";
  EXPECT_EQ(NormalizeFullPath("\\\\srv\\share\\x\\..\\.."), "\\\\srv\\share\\");
  EXPECT_EQ(NormalizeFullPath("C:rel"), "C:rel") << "relative to the drive's own directory";
  EXPECT_EQ(NormalizeFullPath("rel\\x"), "rel\\x");
  EXPECT_EQ(WithoutLiteralPrefix("\\\\?\\C:\\x"), "C:\\x");
  EXPECT_EQ(WithoutLiteralPrefix("\\\\?\\unc\\srv\\s\\x"), "\\\\srv\\s\\x");
  EXPECT_EQ(WithoutLiteralPrefix("\\\\.\\C:\\"), "C:\\");
  EXPECT_TRUE(PlainFormAltersName("C:\\a\\name."));
  EXPECT_TRUE(PlainFormAltersName("C:\\a \\name"));
  EXPECT_TRUE(PlainFormAltersName("\\\\?\\C:\\a\\name "));
  EXPECT_FALSE(PlainFormAltersName("C:\\a.b\\name.txt"));
  EXPECT_FALSE(PlainFormAltersName("C:\\"));
}

TEST(FilesPaths, RootsWildcardsAndProtectedFoldersAreRefused) {
  const ProtectedFolders none;
  auto why = [&](const std::string& p, PathAction a = PathAction::Delete) {
    return RefusalReason(p, none, a).value_or("<allowed>");
  };
  EXPECT_EQ(why("C:\\"), "The drive root C:\\ cannot be deleted.");
  EXPECT_EQ(why("c:", PathAction::Move), "The drive root c:\\ cannot be moved.");
  EXPECT_EQ(why("\\\\?\\C:\\", PathAction::Rename), "The drive root C:\\ cannot be renamed.");
  EXPECT_EQ(why("\\\\.\\D:"), "The drive root D:\\ cannot be deleted.");
  EXPECT_EQ(why("\\\\server\\share"), "The network share root \\\\server\\share\\ cannot be deleted.");
  EXPECT_EQ(why("\\\\?\\UNC\\server\\share\\"), "The network share root \\\\server\\share\\ cannot be deleted.");
  EXPECT_EQ(why(""), "No path was given, so nothing was deleted.");
  EXPECT_EQ(why("   ", PathAction::Move), "No path was given, so nothing was moved.");
  for (const char* p : {"C:\\*", "C:\\a\\*.txt", "C:\\a?", "\\\\?\\C:\\.", "\\\\?\\C:\\a\\..", "relative", "\\\\server"})
    EXPECT_EQ(why(p), "The path " + std::string(p) + " does not name one single item, so nothing was deleted.");
  EXPECT_EQ(why("C:\\a"), "<allowed>");
  EXPECT_EQ(why("\\\\server\\share\\dir"), "<allowed>");
  EXPECT_EQ(why("\\\\?\\C:\\a\\name."), "<allowed>");

  const ProtectedFolders folders{"C:\\Windows", "C:\\Users\\me\\", "D:\\Tools\\Nookvale"};
  auto guard = [&](const std::string& p, PathAction a = PathAction::Delete) {
    return RefusalReason(p, folders, a).value_or("<allowed>");
  };
  EXPECT_EQ(guard("c:\\windows"), "The Windows folder C:\\Windows cannot be deleted.");
  EXPECT_EQ(guard("C:\\Users\\ME", PathAction::Rename), "The user profile folder C:\\Users\\me cannot be renamed.");
  EXPECT_EQ(guard("\\\\?\\D:\\Tools\\Nookvale\\", PathAction::Move),
            "The folder that holds Nookvale, D:\\Tools\\Nookvale, cannot be moved.");
  // A folder that holds one of them would take it along.
  EXPECT_EQ(guard("C:\\Users"), "C:\\Users cannot be deleted: it holds the user profile folder C:\\Users\\me.");
  EXPECT_EQ(guard("D:\\Tools", PathAction::Move),
            "D:\\Tools cannot be moved: it holds the folder that holds Nookvale, D:\\Tools\\Nookvale.");
  // What lies inside them, or only looks alike, is the user's own.
  EXPECT_EQ(guard("C:\\Users\\me\\Documents\\old"), "<allowed>");
  EXPECT_EQ(guard("C:\\Windows\\Temp\\junk"), "<allowed>");
  EXPECT_EQ(guard("C:\\Users\\meadow"), "<allowed>");
  EXPECT_EQ(guard("C:\\Win"), "<allowed>");
}

TEST(FilesPaths, DeletionQuestionListsWhatGoes) {
  EXPECT_EQ(DeletionQuestion("Are you sure?", {}), "Are you sure?");
  EXPECT_EQ(DeletionQuestion("Are you sure?", {"C:\\a", "C:\\b"}), "Are you sure?\n\nC:\\a\nC:\\b");
  std::vector<std::string> many;
  for (int i = 0; i < 23; ++i) many.push_back("C:\\f" + std::to_string(i));
  const std::string q = DeletionQuestion("Q", many);
  EXPECT_EQ(q.substr(0, 9), "Q\n\nC:\\f0\n");
  EXPECT_NE(q.find("\nC:\\f19\nand 3 more"), std::string::npos) << q;
  EXPECT_EQ(q.find("C:\\f20"), std::string::npos);
  EXPECT_EQ(DeletionQuestion("Q", many, 23).find("more"), std::string::npos);
}

TEST(FilesDosTime, RoundTripAndInvalidValues) {
  DosDateTime t{2026, 12, 9, 23, 59, 58};
  auto packed = EncodeDosDateTime(t);
  ASSERT_TRUE(packed);
  auto back = DecodeDosDateTime(*packed);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->year, 2026);
  EXPECT_EQ(back->day, 9);
  EXPECT_EQ(back->hour, 23);
  EXPECT_EQ(back->second, 58);
  EXPECT_EQ(*packed >> 16, static_cast<std::uint32_t>((46 << 9) | (12 << 5) | 9)) << "date in the high half";
  EXPECT_FALSE(EncodeDosDateTime({1979, 12, 31, 0, 0, 0}));
  EXPECT_FALSE(EncodeDosDateTime({2108, 1, 1, 0, 0, 0}));
  EXPECT_FALSE(DecodeDosDateTime(0)) << "day 0, month 0";
  EXPECT_FALSE(DecodeDosDateTime(((44u << 9) | (2u << 5) | 30u) << 16)) << "30 February";
  EXPECT_TRUE(DecodeDosDateTime(((44u << 9) | (2u << 5) | 29u) << 16)) << "29 February 2024";
  EXPECT_FALSE(DecodeDosDateTime((((44u << 9) | (2u << 5) | 1u) << 16) | (24u << 11))) << "hour 24";
  EXPECT_FALSE(DecodeDosDateTime(0xFFFFFFFFu));
}

TEST(FilesDosTime, ShortDatePictures) {
  const DosDateTime t{2026, 3, 7, 23, 59, 0};
  EXPECT_EQ(FormatDatePicture("M/d/yyyy", t), "3/7/2026");
  EXPECT_EQ(FormatDatePicture("dd.MM.yy", t), "07.03.26");
  EXPECT_EQ(FormatDatePicture("yyyy-MM-dd", t), "2026-03-07");
  EXPECT_EQ(FormatDatePicture("ddd d MMM yyyy", t), "Sat 7 Mar 2026");
  EXPECT_EQ(FormatDatePicture("dddd, MMMM dd", t), "Saturday, March 07");
  EXPECT_EQ(FormatDatePicture("d 'de' MMMM 'o''clock' ''", t), "7 de March o'clock '");
  EXPECT_EQ(FormatDatePicture("gg yyyy", t), " 2026");
  EXPECT_EQ(FormatDatePicture("'unterminated", t), "unterminated");
  EXPECT_EQ(FormatDatePicture("d/M/y", DosDateTime{2005, 1, 2, 0, 0, 0}), "2/1/5");
  EXPECT_EQ(FormatDatePicture("d/M/yyyy", DosDateTime{2026, 13, 1, 0, 0, 0}), "") << "no date, no text";
  EXPECT_EQ(DayOfWeek(2000, 1, 1), 6);
  EXPECT_EQ(DayOfWeek(2024, 2, 29), 4);
}

}  // namespace
}  // namespace nv
