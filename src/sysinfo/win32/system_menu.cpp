#include "sysinfo/win32/system_menu.h"

#include "sysinfo/addresses.h"
#include "sysinfo/os_info.h"
#include "sysinfo/uptime.h"
#include "ui/win32/application.h"

namespace nv {

const TSystemMenuCommands::Entry TSystemMenuCommands::kEntries[10] = {
    {0, ""},
    {kMagnifier, "Windows Magnifier"},
    {kFarglass, "Farglass"},
    {kFeedback, "Feedback"},
    {0, ""},
    {kAbout, "About"},
    {0, ""},
    {kWindowsVersion, "Windows version"},
    {kUptime, "Windows Uptime?"},
    {kWindowsUpdate, "Windows Update"},
};

TSystemMenuCommands::TSystemMenuCommands(HWND mainWindow, ShellLauncher launcher)
    : TickCount([] { return static_cast<std::uint32_t>(::GetTickCount()); }),
      mainWindow_(mainWindow),
      launcher_(launcher ? std::move(launcher) : ShellLauncher(SystemShellLaunch)) {}

TSystemMenuCommands::~TSystemMenuCommands() = default;

void TSystemMenuCommands::AppendEntries(HWND window) const {
  HMENU menu = ::GetSystemMenu(window, FALSE);
  if (!menu) return;
  for (UINT cmd : {SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) ::DeleteMenu(menu, cmd, MF_BYCOMMAND);
  for (const Entry& e : kEntries) {
    if (e.id == 0)
      ::AppendMenuA(menu, MF_SEPARATOR, 0, "");
    else
      ::AppendMenuA(menu, MF_STRING, e.id, e.text);
  }
}

TAbout& TSystemMenuCommands::About() {
  if (!about_) {
    auto about = std::make_unique<TAbout>(launcher_);
    about->Create(mainWindow_);
    about_ = std::move(about);
  }
  return *about_;
}

bool TSystemMenuCommands::Handle(WPARAM id) {
  ShellRequest r;
  r.owner = mainWindow_;
  r.verb = "open";
  switch (id) {
    case kMagnifier:
      r.kind = ShellRequest::WinExec;
      r.owner = nullptr;
      r.verb.clear();
      r.file = "magnify";
      r.show = SW_SHOWNORMAL;
      launcher_(r);
      return true;
    case kFarglass:
      if (Application().prompter().ShowBox(
              BoxOwner::MainWindow,
              "Farglass is a tool that allows you to secretly navigate over the web. Do you want to try?",
              "Confirm", mb::kYesNo | mb::kIconQuestion) == mb::kIdYes) {
        r.file = addresses::kCompanionDownload;
        r.show = SW_SHOWNORMAL;
        launcher_(r);
      }
      return true;
    case kFeedback:
      r.file = std::string("mailto:") + addresses::kFeedbackMail + "?subject=Nookvale's Feedback!";
      r.show = SW_SHOW;
      launcher_(r);
      return true;
    case kAbout:
      About().ShowModal();
      return true;
    case kWindowsVersion:
      // Owned by the application's window, not the main window.
      r.owner = Application().Handle();
      r.file = "winver.exe";
      r.show = SW_SHOW;
      launcher_(r);
      return true;
    case kUptime:
      Application().prompter().ShowMessage(UptimeText(TickCount()));
      return true;
    case kWindowsUpdate:
      r.file = osinfo::WindowsUpdateTarget(
          CurrentOSValues(), std::string("https://") + addresses::kWindowsUpdateHost + addresses::kWindowsUpdatePath);
      r.show = SW_SHOW;
      launcher_(r);
      return true;
    default:
      return false;
  }
}

}  // namespace nv
