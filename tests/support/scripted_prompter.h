// A Prompter for tests: records every call with its texts, caption and flags
// and answers from a script. A call with no scripted answer fails the test
// and answers Cancel, so a test can never hang on a dialog.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "ui/prompter.h"

namespace nv {

struct PromptCall {
  enum Kind { Message, Box, Input, Open, Save, Color, Font, Password } kind;
  BoxOwner owner = BoxOwner::None;
  std::string text;     // message text, input prompt
  std::string caption;  // box caption, input caption, dialog title
  unsigned flags = 0;
  std::string initial;  // input box initial text
  FileDialogRequest file;
};

class ScriptedPrompter : public Prompter {
 public:
  using Answer = std::variant<int, std::optional<std::string>, std::optional<FileDialogResult>,
                              std::optional<std::uint32_t>, std::optional<FontSpec>>;

  ScriptedPrompter() = default;
  // An answer scripted but never asked for fails the test too: the dialog
  // the test expected did not come.
  ~ScriptedPrompter() override;
  ScriptedPrompter(const ScriptedPrompter&) = delete;
  ScriptedPrompter& operator=(const ScriptedPrompter&) = delete;

  // Queue answers, consumed in order by the calls that need one.
  ScriptedPrompter& AnswerBox(int id);
  ScriptedPrompter& AnswerInput(std::optional<std::string> text);
  // Password boxes take their answers from the same queue as input boxes.
  ScriptedPrompter& AnswerPassword(std::optional<std::string> text) { return AnswerInput(std::move(text)); }
  ScriptedPrompter& AnswerFile(std::optional<FileDialogResult> r);
  ScriptedPrompter& AnswerFile(const std::string& name, int filterIndex = 1);
  ScriptedPrompter& AnswerColor(std::optional<std::uint32_t> c);
  ScriptedPrompter& AnswerFont(std::optional<FontSpec> f);

  const std::vector<PromptCall>& Calls() const { return calls_; }
  void ClearCalls() { calls_.clear(); }
  size_t PendingAnswers() const { return answers_.size(); }
  // Texts of the ShowMessage calls, in order.
  std::vector<std::string> Messages() const;

  void ShowMessage(const std::string& text) override;
  int ShowBox(BoxOwner owner, const std::string& text, const std::string& caption,
                 unsigned flags) override;
  std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                      const std::string& initial) override;
  std::optional<std::string> PasswordBox(const std::string& caption, const std::string& prompt) override;
  std::optional<FileDialogResult> OpenDialog(const FileDialogRequest& request) override;
  std::optional<FileDialogResult> SaveDialog(const FileDialogRequest& request) override;
  std::optional<std::uint32_t> ColorDialog(std::uint32_t initial) override;
  std::optional<FontSpec> FontDialog(const FontSpec& initial) override;

 private:
  template <class T>
  std::optional<T> Take(const char* what);
  std::optional<std::string> TakeText(const char* what);

  std::vector<PromptCall> calls_;
  std::deque<Answer> answers_;
};

}  // namespace nv
