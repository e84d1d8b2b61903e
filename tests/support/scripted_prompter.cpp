#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

namespace nv {

ScriptedPrompter::~ScriptedPrompter() {
  if (!answers_.empty()) ADD_FAILURE() << answers_.size() << " scripted answer(s) never asked for";
}

ScriptedPrompter& ScriptedPrompter::AnswerBox(int id) { answers_.emplace_back(id); return *this; }
ScriptedPrompter& ScriptedPrompter::AnswerInput(std::optional<std::string> t) { answers_.emplace_back(std::move(t)); return *this; }
ScriptedPrompter& ScriptedPrompter::AnswerFile(std::optional<FileDialogResult> r) { answers_.emplace_back(std::move(r)); return *this; }
ScriptedPrompter& ScriptedPrompter::AnswerFile(const std::string& name, int filterIndex) {
  return AnswerFile(FileDialogResult{name, filterIndex});
}
ScriptedPrompter& ScriptedPrompter::AnswerColor(std::optional<std::uint32_t> c) { answers_.emplace_back(c); return *this; }
ScriptedPrompter& ScriptedPrompter::AnswerFont(std::optional<FontSpec> f) { answers_.emplace_back(std::move(f)); return *this; }

std::vector<std::string> ScriptedPrompter::Messages() const {
  std::vector<std::string> r;
  for (const auto& c : calls_)
    if (c.kind == PromptCall::Message) r.push_back(c.text);
  return r;
}

template <class T>
std::optional<T> ScriptedPrompter::Take(const char* what) {
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted " << what << ": \"" << (calls_.empty() ? "" : calls_.back().text) << "\"";
    return std::nullopt;
  }
  Answer a = std::move(answers_.front());
  answers_.pop_front();
  if (auto* v = std::get_if<T>(&a)) return std::move(*v);
  ADD_FAILURE() << "scripted answer of the wrong kind for " << what;
  return std::nullopt;
}

void ScriptedPrompter::ShowMessage(const std::string& text) {
  calls_.push_back({PromptCall::Message, BoxOwner::Application, text, "", 0, "", {}});
}

int ScriptedPrompter::ShowBox(BoxOwner owner, const std::string& text, const std::string& caption,
                                 unsigned flags) {
  calls_.push_back({PromptCall::Box, owner, text, caption, flags, "", {}});
  // A box with only an OK button needs no script.
  if ((flags & 0xF) == mb::kOk) return mb::kIdOk;
  return Take<int>("message box").value_or(mb::kIdCancel);
}

// Both text boxes take at most kInputBoxMaxLength characters.
std::optional<std::string> ScriptedPrompter::TakeText(const char* what) {
  auto a = Take<std::optional<std::string>>(what);
  if (!a || !*a) return std::nullopt;
  std::string s = **a;
  if (s.size() > static_cast<size_t>(kInputBoxMaxLength)) s.resize(kInputBoxMaxLength);
  return s;
}

std::optional<std::string> ScriptedPrompter::InputBox(const std::string& caption, const std::string& prompt,
                                                      const std::string& initial) {
  calls_.push_back({PromptCall::Input, BoxOwner::Application, prompt, caption, 0, initial, {}});
  return TakeText("input box");
}

std::optional<std::string> ScriptedPrompter::PasswordBox(const std::string& caption, const std::string& prompt) {
  calls_.push_back({PromptCall::Password, BoxOwner::Application, prompt, caption, 0, "", {}});
  return TakeText("password box");
}

std::optional<FileDialogResult> ScriptedPrompter::OpenDialog(const FileDialogRequest& r) {
  calls_.push_back({PromptCall::Open, BoxOwner::MainWindow, "", r.title, r.options, "", r});
  auto a = Take<std::optional<FileDialogResult>>("open dialog");
  return a ? *a : std::nullopt;
}

std::optional<FileDialogResult> ScriptedPrompter::SaveDialog(const FileDialogRequest& r) {
  calls_.push_back({PromptCall::Save, BoxOwner::MainWindow, "", r.title, r.options, "", r});
  auto a = Take<std::optional<FileDialogResult>>("save dialog");
  return a ? *a : std::nullopt;
}

std::optional<std::uint32_t> ScriptedPrompter::ColorDialog(std::uint32_t initial) {
  calls_.push_back({PromptCall::Color, BoxOwner::MainWindow, std::to_string(initial), "", 0, "", {}});
  auto a = Take<std::optional<std::uint32_t>>("colour dialog");
  return a ? *a : std::nullopt;
}

std::optional<FontSpec> ScriptedPrompter::FontDialog(const FontSpec& initial) {
  calls_.push_back({PromptCall::Font, BoxOwner::MainWindow, initial.face, "", 0, "", {}});
  auto a = Take<std::optional<FontSpec>>("font dialog");
  return a ? *a : std::nullopt;
}

}  // namespace nv
