// The application object: its title, the hidden top-level window that owns
// the main window (and so carries the program's taskbar button until the main
// window hides it), the message loop and the standard error box.
#pragma once

#include <windows.h>

#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "ui/prompter.h"
#include "ui/win32/window.h"

namespace nv {

class TApplication : public Window {
 public:
  static TApplication& Instance();

  // Creates the application window. Safe to call more than once.
  void Initialize();

  std::string Title = "Nookvale";

  // The main window, owner of application-level message boxes once shown.
  HWND MainWindow = nullptr;

  // Every modal interaction goes through this prompter (Win32 by default;
  // tests install a scripted one).
  Prompter& prompter();
  void SetPrompter(Prompter* p);  // nullptr restores the Win32 prompter

  // The standard error box: the text (with the full-stop rule), caption the
  // application title, stop icon, OK.
  void ShowException(const std::exception& e);
  void ShowException(const std::string& message);
  void HandleException(std::exception_ptr e);
  // While the program is hidden, no error box may put a window of ours on
  // the screen: errors are kept and shown, in order, when it is back.
  void HoldErrors();
  void ShowHeldErrors();

  // Runs the message loop until Terminate.
  void Run();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Handles every message waiting now, then returns.
  void ProcessMessages();
  // A modeless dialog open now (the find and replace dialogs): the message
  // loop hands it its keys (Tab, Enter, Esc) through IsDialogMessage.
  // Removed when it is destroyed.
  void AddModelessDialog(HWND dialog);
  void RemoveModelessDialog(HWND dialog);
  bool DialogMessage(MSG& msg) const;
  // Forgets an earlier Terminate (and its pending quit message) and any
  // held errors, so one process can run several main windows in turn, as
  // the tests do.
  void ResetTerminated();

 private:
  TApplication();
  std::unique_ptr<Prompter> winPrompter_;
  Prompter* prompter_ = nullptr;
  bool terminated_ = false;
  bool holdErrors_ = false;
  std::vector<std::string> heldErrors_;
  std::vector<HWND> modeless_;
};

inline TApplication& Application() { return TApplication::Instance(); }

}  // namespace nv
