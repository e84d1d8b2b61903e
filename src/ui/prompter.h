// Every modal interaction with the user goes through a Prompter: message
// boxes, input boxes and the common dialogs. The program uses the Win32
// implementation; tests install a scripted one that records each call and
// plays back prepared answers.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace nv {

// Message box flags and answers, with the values of the Win32 API.
namespace mb {
constexpr unsigned kOk = 0x0;
constexpr unsigned kOkCancel = 0x1;
constexpr unsigned kYesNoCancel = 0x3;
constexpr unsigned kYesNo = 0x4;
constexpr unsigned kIconStop = 0x10;  // also "error"
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kIconExclamation = 0x30;
constexpr unsigned kIconInformation = 0x40;
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;
}  // namespace mb

// Who owns a message box: the main window, or the application's hidden
// window (the framework's "application message box").
enum class BoxOwner { Application, MainWindow, None };

struct FileDialogRequest {
  std::string title;
  std::string filter;  // "Text|*.txt|All|*.*"
  int filterIndex = 1;
  std::string initialDir;
  std::string defaultExt;
  std::string fileName;
  unsigned options = 0;  // FileDialogOption bits
};

namespace fdo {
constexpr unsigned kOverwritePrompt = 1;
constexpr unsigned kHideReadOnly = 2;
constexpr unsigned kFileMustExist = 4;
constexpr unsigned kEnableSizing = 8;
}  // namespace fdo

struct FileDialogResult {
  std::string fileName;
  int filterIndex = 1;
};

struct FontSpec {
  std::string face = "Arial";
  int size = 10;                  // points
  std::uint32_t color = 0;        // 0x00BBGGRR
  unsigned style = 0;             // bold 1, italic 2, underline 4, strike-out 8
  int charset = 1;
};

class Prompter {
 public:
  virtual ~Prompter() = default;

  // Informational box: caption is the application title, OK button, no icon.
  virtual void ShowMessage(const std::string& text) = 0;
  // Returns the button pressed (mb::kIdYes, ...).
  virtual int ShowBox(BoxOwner owner, const std::string& text, const std::string& caption,
                         unsigned flags) = 0;
  // One-line input of at most 255 characters; nullopt on Cancel.
  virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                              const std::string& initial) = 0;
  // The same with the typed characters hidden, for passwords; starts empty.
  virtual std::optional<std::string> PasswordBox(const std::string& caption, const std::string& prompt) = 0;
  virtual std::optional<FileDialogResult> OpenDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<FileDialogResult> SaveDialog(const FileDialogRequest& request) = 0;
  virtual std::optional<std::uint32_t> ColorDialog(std::uint32_t initial) = 0;
  virtual std::optional<FontSpec> FontDialog(const FontSpec& initial) = 0;
};

// Input boxes accept at most this many characters.
constexpr int kInputBoxMaxLength = 255;

}  // namespace nv
