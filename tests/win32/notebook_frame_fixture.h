// The notebook frame on a test host, with the scripted prompter in place
// and a temporary folder for its files.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "frame_test_host.h"
#include "notebook/win32/notebook_frame.h"
#include "support/scripted_prompter.h"
#include "support/temp_dir.h"
#include "ui/win32/application.h"

namespace nv {

class NotebookFrameFixture : public ::testing::Test {
 protected:
  TempDir dir;
  ScriptedPrompter prompter;
  std::unique_ptr<TestFrameHost> host;
  TNotebookFrame* frame = nullptr;

  void SetUp() override {
    Application().SetPrompter(&prompter);
    host = std::make_unique<TestFrameHost>(dir.Path());
    frame = &host->Make<TNotebookFrame>("NotebookFrame");
  }
  void TearDown() override {
    host.reset();
    Application().SetPrompter(nullptr);
    EXPECT_EQ(prompter.PendingAnswers(), 0u) << "a scripted answer was never asked for";
  }

  // The one way tests reach the frame (the main window's fixture can stand
  // in for the test host here).
  TNotebookFrame& Notebook() { return *frame; }
  TRichViewEdit& Editor() { return Notebook().RichViewEdit1; }
  // An 8 x 8 PNG picture item at the caret.
  bool InsertSmallPicture() {
    TRVPictureItemInfo pic;
    pic.Kind = TRVPictureKind::Png;
    pic.Data = SharedBytes("\x89PNG-bytes", 10);
    pic.Width = pic.Height = 8;
    return Editor().InsertPicture(pic);
  }
  // The i-th prompt the frame showed.
  const PromptCall& Call(size_t i) {
    static PromptCall none{};
    if (i >= prompter.Calls().size()) {
      ADD_FAILURE() << "no prompt call " << i;
      return none;
    }
    return prompter.Calls()[i];
  }

  // Handles what waits, as the application's loop does (modeless dialogs
  // included); PumpUntil goes on until the condition holds, with a limit.
  static void Pump() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (Application().DialogMessage(msg)) continue;
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
  static bool PumpUntil(const std::function<bool()>& condition) {
    const DWORD start = ::GetTickCount();
    while (!condition()) {
      if (::GetTickCount() - start > 10000) return false;
      Pump();
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
  }
};

}  // namespace nv
