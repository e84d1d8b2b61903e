// A frame is one subsystem's part of the main window: a panel that owns the
// subsystem's named components and their handlers. It reaches the rest of
// the program only through its host, so the main window stays a shell that
// builds the frames, lays them out and runs the lifecycle.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/prompter.h"
#include "ui/win32/containers.h"

namespace nv {

// What a frame may ask of the window that holds it.
class TFrameHost {
 public:
  virtual ~TFrameHost() = default;
  // Every message box, input box and common dialog goes through it.
  virtual Prompter& FramePrompter() = 0;
  // The outer tab control: host tabs and the reader's tab live there.
  virtual TPageControl& OuterPages() = 0;
  // The toolbar band; frames append their items in the order they are made.
  virtual TToolBar& Toolbar() = 0;
  // Folder of Main.ini, Nookvale.mdb and the temporary files, with a
  // trailing backslash.
  virtual const std::string& SettingsFolder() const = 0;
  // The top-level window (owner of dialogs, target of hotkeys).
  virtual HWND HostHandle() const = 0;
  // Hides or shows the whole program, captured windows included.
  virtual void HideAll() = 0;
  virtual void ShowAll() = 0;
};

class TFrame : public TPanel {
 public:
  // Makes the frame's panel inside parent, then its components. With a
  // place step, the panel is given its place first and the components are
  // laid out once, at the frame's real size: laid out at the size the panel
  // is made in and again when it is placed, each would move twice.
  void CreateFrame(TFrameHost& host, TControl* parent, const std::string& name,
                   const std::function<void(TFrame&)>& place = nullptr) {
    host_ = &host;
    TPanel::Create(parent, name);
    if (place) place(*this);
    OnResize = [this] { LayoutComponents(); };
    CreateComponents();
    if (place) LayoutComponents();
  }
  TFrameHost& Host() const { return *host_; }

 protected:
  virtual void CreateComponents() = 0;
  // Places the components whenever the frame changes size.
  virtual void LayoutComponents() {}

 private:
  TFrameHost* host_ = nullptr;
};

}  // namespace nv
