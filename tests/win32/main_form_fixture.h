// A main window in a directory of its own (Main.ini, Nookvale.mdb), with a
// scripted prompter, created and torn down per test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "app/win32/main_form.h"
#include "settings/ado.h"
#include "settings/main_ini.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/win32/application.h"

namespace nv {

class MainFormTest : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPrompter prompter;
  std::unique_ptr<TfrmMain> frm;

  void SetUp() override {
    Application().SetPrompter(&prompter);
    Application().ResetTerminated();
  }
  void TearDown() override {
    frm.reset();
    Application().SetPrompter(nullptr);
    Application().ResetTerminated();
  }
  void MakeDatabase() { CreateSettingsDatabase(dir.File(kSettingsDatabaseName), kSettingsDatabasePassword, false); }
  void WriteIni(const std::string& content);
  // Creates the main window in the test directory (with a database unless
  // the test made its own arrangements).
  TfrmMain& Start(bool withDatabase = true);
  // Runs the window's messages for a while (timers, posted messages).
  static void Pump(int milliseconds);
  // Runs the window's messages until the condition holds; false when it
  // still does not after the (generous) limit.
  static bool PumpUntil(const std::function<bool()>& condition, int limitMs = 15000);
  // Chooses the line in the running applications list, refreshing first.
  void ChooseApp(TfrmMain& f, const std::string& title);
  // Opens the reader tab with "RSS" and shows a page in it that no browser
  // engine under Wine can show, so the reader settles on its plain view.
  // Null when it does not settle.
  rss::TfrmReader* OpenReaderOnItsPlainView(TfrmMain& f);
  // Chooses it and presses "Go Get It".
  void CaptureApp(TfrmMain& f, const std::string& title) {
    ChooseApp(f, title);
    f.Capture.AppNameBtn.Click();
  }
};

}  // namespace nv
