#include "settings/ado.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "support/temp_dir.h"
#include "ui/paths.h"

namespace nv {
namespace {

class SettingsDatabase : public ::testing::Test {
 protected:
  TempDir dir;
  std::string path = dir.File("Nookvale.mdb");

  std::string OpenError(const std::string& connection) {
    TADOConnection c;
    c.ConnectionString = connection;
    try {
      c.Open();
    } catch (const EDatabaseError& e) {
      EXPECT_FALSE(c.Connected());
      return e.what();
    }
    return "";
  }
};

TEST(ConnectionString, ParsesTheProgramsOwnString) {
  const auto cs = ParseConnectionString(SettingsConnectionString("C:\\App\\Nookvale.mdb"));
  EXPECT_EQ(cs.provider, "Microsoft.Jet.OLEDB.4.0");
  EXPECT_EQ(cs.userId, "Admin");
  EXPECT_EQ(cs.password, "abc.d-efgh.ij");
  EXPECT_EQ(cs.dataSource, "C:\\App\\Nookvale.mdb");
  EXPECT_EQ(cs.mode, "Share Deny None");
  EXPECT_FALSE(cs.persistSecurityInfo);
  EXPECT_EQ(SettingsConnectionString("X"),
            "Provider=Microsoft.Jet.OLEDB.4.0;User ID=Admin;Jet OLEDB:Database Password="
            "abc.d-efgh.ij;Data Source=X;Mode=Share Deny None;Persist Security Info=False;");
}

TEST(ConnectionString, QuotedValuesAndCaseOfKeys) {
  const auto cs = ParseConnectionString(
      "provider = 'a;b' ; DATA SOURCE=\"c:\\x y\\z.mdb\";Jet OLEDB:Database Password=p=q");
  EXPECT_EQ(cs.provider, "a;b");
  EXPECT_EQ(cs.dataSource, "c:\\x y\\z.mdb");
  EXPECT_EQ(cs.password, "p=q");
}

TEST_F(SettingsDatabase, MadeByTheToolOpensWithTableAndColumns) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  TADOConnection c;
  c.ConnectionString = SettingsConnectionString(path);
  c.Open();
  ASSERT_TRUE(c.Connected());
  TADOTable t(&c);
  t.TableName = "HotKeys";
  t.SetActive(true);
  EXPECT_TRUE(t.Active());
  ASSERT_EQ(t.Fields().size(), 6u);
  EXPECT_EQ(t.FieldByName("homepage").FieldName, "HomePage");
  t.SetActive(false);
  EXPECT_FALSE(t.Active());
  t.SetActive(false);  // closing twice is harmless
}

TEST_F(SettingsDatabase, PasswordIsStoredOnlyAsHash) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  const std::string bytes = ReadWholeFile(path);
  EXPECT_EQ(bytes.find(kSettingsDatabasePassword), std::string::npos);
}

TEST_F(SettingsDatabase, ToolRefusesToOverwriteWithoutForce) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  EXPECT_THROW(CreateSettingsDatabase(path, kSettingsDatabasePassword, false), EDatabaseError);
  EXPECT_NO_THROW(CreateSettingsDatabase(path, kSettingsDatabasePassword, true));
}

TEST_F(SettingsDatabase, FailureTexts) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  EXPECT_EQ(OpenError("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=" + path),
            "Provider cannot be found. It may not be properly installed.");
  EXPECT_EQ(OpenError(SettingsConnectionString(dir.File("missing.mdb"))),
            "Could not find file '" + dir.File("missing.mdb") + "'.");
  std::string wrong = "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=abc;Data Source=" + path;
  EXPECT_EQ(OpenError(wrong), "Not a valid password.");
  EXPECT_EQ(OpenError("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + path), "Not a valid password.");
}

// The hash derived ahead, on another thread, counts only for the password
// and file it was derived from.
TEST_F(SettingsDatabase, AHashDerivedAheadServesOnlyTheSamePasswordAndFile) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  const std::string right = SettingsConnectionString(path);
  const std::string wrong = "Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=x;Data Source=" + path;

  TADOConnection ahead;
  ahead.ConnectionString = right;
  ahead.PrepareOpen();
  ahead.Open();
  EXPECT_TRUE(ahead.Connected());

  // Prepared for the right password, opened with a wrong one, and back.
  TADOConnection changed;
  changed.ConnectionString = right;
  changed.PrepareOpen();
  changed.ConnectionString = wrong;
  try {
    changed.Open();
    ADD_FAILURE() << "a wrong password was let in";
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Not a valid password.");
  }
  TADOConnection back;
  back.ConnectionString = wrong;
  back.PrepareOpen();
  back.ConnectionString = right;
  EXPECT_NO_THROW(back.Open());

  // Nothing there to prepare for: Open still reports the missing file.
  TADOConnection missing;
  missing.ConnectionString = SettingsConnectionString(dir.File("none.mdb"));
  missing.PrepareOpen();
  EXPECT_THROW(missing.Open(), EDatabaseError);
}

TEST_F(SettingsDatabase, MissingTableAndMissingColumn) {
  CreateSettingsDatabase(path, kSettingsDatabasePassword, false);
  TADOConnection c;
  c.ConnectionString = SettingsConnectionString(path);
  c.Open();
  TADOTable t(&c);
  t.TableName = "Tasks";
  try {
    t.SetActive(true);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "The Microsoft Jet database engine cannot find the input table or query 'Tasks'.");
  }
  EXPECT_FALSE(t.Active());
  ASSERT_EQ(sqlite3_exec(c.Handle(), "ALTER TABLE HotKeys RENAME COLUMN HotKey3 TO Other", nullptr, nullptr, nullptr), 0);
  t.TableName = "HotKeys";
  try {
    t.SetActive(true);
    FAIL();
  } catch (const EDatabaseError& e) {
    EXPECT_STREQ(e.what(), "Field 'HotKey3' not found");
  }
}

TEST_F(SettingsDatabase, NotADatabaseIsReportedAndLeftUntouched) {
  const std::string junk = "This is the user's shopping list, not a database.\r\n" + std::string(5000, 'x');
  {
    std::ofstream f(PathFromUtf8(path), std::ios::binary);
    f << junk;
  }
  EXPECT_EQ(OpenError(SettingsConnectionString(path)), "Unrecognized database format '" + path + "'.");
  EXPECT_EQ(ReadWholeFile(path), junk);
  EXPECT_FALSE(FileExists(path + "-journal"));
}

TEST_F(SettingsDatabase, EmptyFileIsNotOurs) {
  { std::ofstream f(PathFromUtf8(path), std::ios::binary); }
  EXPECT_EQ(OpenError(SettingsConnectionString(path)), "Unrecognized database format '" + path + "'.");
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST_F(SettingsDatabase, NonAsciiPath) {
  const std::string p = dir.File("Einstellungen \xC3\xBC\xE2\x82\xAC.mdb");
  CreateSettingsDatabase(p, kSettingsDatabasePassword, false);
  TADOConnection c;
  c.ConnectionString = SettingsConnectionString(p);
  EXPECT_NO_THROW(c.Open());
}

}  // namespace
}  // namespace nv
