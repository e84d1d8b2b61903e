// The Prompter that shows real Win32 dialogs.
#pragma once

#include "ui/prompter.h"

namespace nv {

class Win32Prompter : public Prompter {
 public:
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
};

// "Text|*.txt|All|*.*" as the double-NUL-terminated list the common
// dialogs take.
std::wstring CommonDialogFilter(const std::string& filter);

}  // namespace nv
