// Global hotkeys, Main.ini, and the taskbar, desktop-icon and mute switches,
// on real windows and real keystrokes.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <memory>

#include "helper_process.h"
#include "main_form_fixture.h"
#include "privacy/win32/master_mute.h"
#include "privacy/win32/mixer.h"
#include "ui/paths.h"
#include "ui/win32/win_prompter.h"
#include "ui/win32/win_text.h"

namespace nv {
namespace {

// A window of our own to hold hotkeys "for another program".
class HotKeyHolder {
 public:
  HotKeyHolder() {
    hwnd_ = ::CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  }
  ~HotKeyHolder() {
    for (int id = 1; id <= next_; ++id) ::UnregisterHotKey(hwnd_, id);
    ::DestroyWindow(hwnd_);
  }
  bool Take(UINT mods, UINT vk) { return ::RegisterHotKey(hwnd_, ++next_, mods, vk) != FALSE; }

 private:
  HWND hwnd_;
  int next_ = 0;
};

// Records whether the main window was on screen when each message came.
class WitnessPrompter : public ScriptedPrompter {
 public:
  std::vector<bool> visibleAtMessage;
  void ShowMessage(const std::string& text) override {
    visibleAtMessage.push_back(Application().MainWindow && ::IsWindowVisible(Application().MainWindow));
    ScriptedPrompter::ShowMessage(text);
  }
};

// What the mute reports where Core Audio is present but offers no default
// playback endpoint (Wine without a sound device answers E_NOTFOUND).
constexpr char kNoEndpointBoxText[] = "SetMasterMuteValue failure, audio endpoint error 0x80070490.";

// The endpoint's identity, as the system names it ("" when unknown).
std::wstring EndpointId(IMMDevice& device) {
  LPWSTR id = nullptr;
  if (FAILED(device.GetId(&id)) || !id) return L"";
  std::wstring r(id);
  ::CoTaskMemFree(id);
  return r;
}

// Hands SetMasterMuteValue one real volume object of the default playback
// endpoint for as long as it lives, once it has checked that the mute asked
// for that endpoint, and reads the mute back from it. Wine keeps an
// endpoint's mute in the object that set it: a second object would not see
// the change.
class HeldEndpointVolume {
 public:
  HeldEndpointVolume() {
    UniqueCom<IMMDeviceEnumerator> devices;
    UniqueCom<IMMDevice> speakers;
    if (FAILED(::CoCreateInstance(__uuidof(MMDeviceEnumerator), nullptr, CLSCTX_ALL, __uuidof(IMMDeviceEnumerator),
                                  reinterpret_cast<void**>(devices.put()))) ||
        FAILED(devices.get()->GetDefaultAudioEndpoint(eRender, eConsole, speakers.put())) ||
        FAILED(speakers.get()->Activate(__uuidof(IAudioEndpointVolume), CLSCTX_ALL, nullptr,
                                        reinterpret_cast<void**>(volume_.put()))))
      return;
    IAudioEndpointVolume* held = volume_.get();
    SetEndpointVolumeActivator([held, speakersId = EndpointId(*speakers.get())](IMMDevice& asked,
                                                                                 IAudioEndpointVolume** out) {
      *out = nullptr;
      if (EndpointId(asked) != speakersId) return E_FAIL;  // not the default playback endpoint
      held->AddRef();
      *out = held;
      return S_OK;
    });
  }
  ~HeldEndpointVolume() { SetEndpointVolumeActivator({}); }
  HeldEndpointVolume(const HeldEndpointVolume&) = delete;
  HeldEndpointVolume& operator=(const HeldEndpointVolume&) = delete;
  explicit operator bool() const { return static_cast<bool>(volume_); }
  bool Muted() const {
    BOOL m = FALSE;
    EXPECT_EQ(volume_.get()->GetMute(&m), S_OK);
    return m != FALSE;
  }
  // Another program changes the mute behind our back.
  void SetMuted(bool mute) { EXPECT_TRUE(SUCCEEDED(volume_.get()->SetMute(mute ? TRUE : FALSE, nullptr))); }

 private:
  ComScope com_;  // outlives the objects it holds
  UniqueCom<IAudioEndpointVolume> volume_;
};

// A run that set up a sound device for these tests fails where it is
// missing; elsewhere they are skipped.
#define NV_REQUIRE_SOUND_DEVICE(present, what)                                                        \
  if (!(present)) {                                                                                  \
    if (::GetEnvironmentVariableA("NOOKVALE_EXPECT_SOUND_DEVICE", nullptr, 0))                       \
      FAIL() << "the sound device set up for this run offers no " what;                              \
    GTEST_SKIP() << "no " what " here: Wine offers one only with a sound device, as the "           \
                    "privacy_real_sound test entry gives it (a null ALSA device)";                    \
  }

class PrivacyTest : public MainFormTest {
 protected:
  std::string Ini() { return FileExists(dir.File("Main.ini")) ? ReadWholeFile(dir.File("Main.ini")) : "<none>"; }
  static WORD Control(BYTE flags, BYTE vk) { return static_cast<WORD>(flags << 8 | vk); }
  // Types one key into a hotkey editor, as the user does.
  static void Type(THotKey& editor, UINT vk) {
    editor.SetFocus();
    editor.Perform(WM_KEYDOWN, vk, 1);
    editor.Perform(WM_KEYUP, vk, 0xC0000001);
  }
  // A helper program started with these options under a title of its own,
  // its window captured into a main window whose capture scan is off.
  struct CapturedHelper {
    std::unique_ptr<HelperProcess> process;
    HWND window = nullptr;
  };
  CapturedHelper StartCaptured(TfrmMain& f, const std::string& stem, const std::string& options = "") {
    f.Capture.Timer1.SetEnabled(false);
    const std::string title = UniqueTitle(stem);
    CapturedHelper h;
    h.process = std::make_unique<HelperProcess>(options + " --title \"" + title + "\"");
    h.window = h.process->WaitForWindow(title);
    CaptureApp(f, title);
    return h;
  }
  bool WaitVisible(HWND w, bool visible, DWORD ms) {
    const DWORD start = ::GetTickCount();
    while (::GetTickCount() - start < ms) {
      Pump(20);
      if ((::IsWindowVisible(w) != FALSE) == visible) return true;
    }
    return false;
  }
};

TEST_F(PrivacyTest, StartRegistersTheThreeDefaultsAndWritesNothing) {
  TfrmMain& f = Start();
  for (int n = 1; n <= 3; ++n) EXPECT_NE(f.Privacy.HotKeyId(n), 0) << n;
  char name[32];
  ::GlobalGetAtomNameA(f.Privacy.HotKeyId(2), name, sizeof name);
  EXPECT_STREQ(name, "MyHotKey_2");
  HotKeyHolder other;
  EXPECT_FALSE(other.Take(MOD_CONTROL, 'S'));
  EXPECT_FALSE(other.Take(MOD_CONTROL | MOD_ALT, 'O'));
  EXPECT_FALSE(other.Take(MOD_CONTROL | MOD_ALT, 'H'));
  EXPECT_EQ(Ini(), "<none>");
  EXPECT_TRUE(prompter.Calls().empty());
}

TEST_F(PrivacyTest, TypingJAloneIntoEditorThreeGivesCtrlAltJ) {
  TfrmMain& f = Start();
  Type(f.Privacy.HotKey3, 'J');
  EXPECT_EQ(f.Privacy.HotKey3.Value(), Control(HOTKEYF_CONTROL | HOTKEYF_ALT, 'J'));
  f.Privacy.Change3.Click();
  EXPECT_EQ(f.Privacy.StoredHotKey(3), 49226);
  EXPECT_EQ(f.Privacy.edHotKey3.Text(), "49226");
  EXPECT_EQ(Ini(), "[HotKeys]\r\nKey3=49226\r\n");
  Type(f.Privacy.HotKey1, 'Q');
  EXPECT_EQ(f.Privacy.HotKey1.Value(), Control(HOTKEYF_CONTROL, 'Q')) << "editor 1's default is Ctrl";
}

TEST_F(PrivacyTest, ApplyingWritesOnlyTheChangedKeyAndWithdrawsTheOldOne) {
  TfrmMain& f = Start();
  f.Privacy.Change2.Click();
  EXPECT_EQ(Ini(), "<none>") << "an unchanged value writes nothing";
  f.Privacy.HotKey2.SetValue(Control(HOTKEYF_CONTROL | HOTKEYF_ALT, 'K'));
  f.Privacy.Change2.Click();
  EXPECT_EQ(Ini(), "[HotKeys]\r\nKey2=49227\r\n");
  HotKeyHolder other;
  EXPECT_TRUE(other.Take(MOD_CONTROL | MOD_ALT, 'O')) << "the old combination is free again";
  EXPECT_FALSE(other.Take(MOD_CONTROL | MOD_ALT, 'K'));
  f.Privacy.Change2.Click();
  EXPECT_EQ(Ini(), "[HotKeys]\r\nKey2=49227\r\n");
}

TEST_F(PrivacyTest, CombinationInUseAtStartIsReportedOnceTheWindowShows) {
  WitnessPrompter witness;
  Application().SetPrompter(&witness);
  HotKeyHolder other;
  ASSERT_TRUE(other.Take(MOD_CONTROL | MOD_ALT, 'H'));
  TfrmMain& f = Start();
  ASSERT_EQ(witness.Messages().size(), 1u);
  EXPECT_EQ(witness.Messages()[0], "The key combination for hotkey 3 is in use by another program.");
  EXPECT_TRUE(witness.visibleAtMessage[0]);
  EXPECT_EQ(f.Privacy.StoredHotKey(3), 49224) << "the value is kept all the same";
  Application().SetPrompter(&prompter);
}

TEST_F(PrivacyTest, CombinationInUseWhenApplyingIsStoredAndReported) {
  TfrmMain& f = Start();
  HotKeyHolder other;
  ASSERT_TRUE(other.Take(MOD_CONTROL | MOD_ALT, 'M'));
  f.Privacy.HotKey1.SetValue(Control(HOTKEYF_CONTROL | HOTKEYF_ALT, 'M'));
  f.Privacy.Change1.Click();
  ASSERT_EQ(prompter.Messages().size(), 1u);
  EXPECT_EQ(prompter.Messages()[0], "The key combination for hotkey 1 is in use by another program.");
  EXPECT_EQ(Ini(), "[HotKeys]\r\nKey1=49229\r\n");
}

TEST_F(PrivacyTest, FailedWriteAfterRegistering) {
  TfrmMain& f = Start();
  UniqueKernelHandle lock(::CreateFileW(Widen(dir.File("Main.ini")).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(lock);
  f.Privacy.HotKey2.SetValue(Control(HOTKEYF_CONTROL | HOTKEYF_ALT, 'P'));
  f.Privacy.Change2.Perform(BM_CLICK);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, "Unable to write to " + dir.File("Main.ini") + ".");
  EXPECT_EQ(prompter.Calls()[0].caption, "Nookvale");
  EXPECT_EQ(f.Privacy.StoredHotKey(2), 49232) << "registered and stored before the write failed";
  HotKeyHolder other;
  EXPECT_FALSE(other.Take(MOD_CONTROL | MOD_ALT, 'P'));
}

TEST_F(PrivacyTest, CloseReleasesTheHotkeys) {
  TfrmMain& f = Start();
  prompter.AnswerBox(IDYES);
  f.Close();
  for (int n = 1; n <= 3; ++n) EXPECT_EQ(f.Privacy.HotKeyId(n), 0);
  HotKeyHolder other;
  EXPECT_TRUE(other.Take(MOD_CONTROL | MOD_ALT, 'H'));
  EXPECT_TRUE(other.Take(MOD_CONTROL, 'S'));
}

TEST_F(PrivacyTest, RealKeystrokesHideAndBringBackWithACapturedProgram) {
  TfrmMain& f = Start();
  const CapturedHelper h = StartCaptured(f, "keys");
  HWND w = h.window;
  ASSERT_TRUE(::IsWindowVisible(w));
  prompter.ClearCalls();
  {
    HelperProcess keys("--keys ctrl+alt+h");
    keys.WaitExit(5000);
  }
  ASSERT_TRUE(WaitVisible(f.Handle(), false, 5000)) << "Ctrl+Alt+H hides the main window";
  EXPECT_FALSE(::IsWindowVisible(w)) << "and the captured window with it";
  // Without a sound device the mute that follows fails; its report waits,
  // as nothing of ours may appear while hidden.
  EXPECT_TRUE(prompter.Calls().empty()) << "an error box came up while hidden";
  {
    HelperProcess keys("--keys ctrl+alt+o");
    keys.WaitExit(5000);
  }
  ASSERT_TRUE(WaitVisible(f.Handle(), true, 5000)) << "Ctrl+Alt+O brings it back";
  EXPECT_TRUE(::IsWindowVisible(w));
  EXPECT_FALSE(f.Privacy.CheckBox1.Checked());
  ASSERT_EQ(prompter.Calls().size(), 1u) << "the held report is shown once we are back";
  EXPECT_EQ(prompter.Calls()[0].text, kNoEndpointBoxText);
}

TEST_F(PrivacyTest, HideAndBringBackAreImmediateWhileACapturedProgramHangs) {
  TfrmMain& f = Start();
  const CapturedHelper h = StartCaptured(f, "hangs later", "--hang-after 1500");
  HWND w = h.window;
  ASSERT_EQ(::GetAncestor(w, GA_PARENT), f.PageControl.ActivePage()->Handle());
  ASSERT_TRUE(WaitUntilHung(w));
  // Were hiding or bringing back to wait on the hung program, these would
  // never return.
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  EXPECT_FALSE(::IsWindowVisible(f.Handle()));
  EXPECT_FALSE(::IsWindowVisible(w));
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_TRUE(::IsWindowVisible(w));
}

// Our process's visible top-level windows, top first.
std::vector<HWND> OwnVisibleWindows() {
  std::vector<HWND> own;
  ::EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        DWORD pid = 0;
        ::GetWindowThreadProcessId(w, &pid);
        if (pid == ::GetCurrentProcessId() && ::IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&own));
  return own;
}

// Hotkey 3 takes every window of ours off the screen, not only the main
// window; hotkey 2 gives exactly those back, stacked as they were, with
// the keyboard focus where it was.
TEST_F(PrivacyTest, HidingTakesEveryWindowOfOursAndBringingBackRestoresThemAsTheyWere) {
  TfrmMain& f = Start();
  // Stand-ins for a dialog owned by the main window and a window of ours
  // that is not.
  UniqueHWnd dialog(::CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP | WS_VISIBLE | WS_CAPTION, 10, 10, 200, 100,
                                      f.Handle(), nullptr, nullptr, nullptr));
  UniqueHWnd other(::CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 40, 40, 200, 100,
                                     nullptr, nullptr, nullptr, nullptr));
  ::SetActiveWindow(f.Handle());
  f.Capture.ProgramPath.SetFocus();
  const HWND focused = ::GetFocus();
  ASSERT_NE(focused, nullptr);
  const std::vector<HWND> before = OwnVisibleWindows();
  ASSERT_GE(before.size(), 3u);

  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  EXPECT_TRUE(OwnVisibleWindows().empty()) << "a window of ours stayed on screen";
  // A second press hides nothing more and forgets nothing.
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  ::SetFocus(nullptr);

  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  EXPECT_EQ(OwnVisibleWindows(), before) << "not the same windows in the same stacking order";
  EXPECT_EQ(::GetFocus(), focused);
}

// What the hotkeys did while a modal dialog of ours was open.
struct ModalWitness {
  bool found = false;
  std::vector<HWND> before, whileHidden, after;
  HWND focusBefore = nullptr, focusAfter = nullptr;
};

// Steps run by a thread timer, which every modal loop dispatches: the test
// acts while the message box or dialog it opened is on screen.
std::function<bool()> g_modalStep;
VOID CALLBACK RunModalStep(HWND, UINT, UINT_PTR id, DWORD) {
  if (g_modalStep && g_modalStep()) {
    ::KillTimer(nullptr, id);
    g_modalStep = nullptr;
  }
}

// The top dialog of ours on screen, if any.
HWND OwnDialog() {
  for (HWND w : OwnVisibleWindows()) {
    wchar_t cls[16] = {};
    ::GetClassNameW(w, cls, 16);
    if (std::wstring(cls) == L"#32770") return w;
  }
  return nullptr;
}

// Opens a real modal dialog with open(); once it is up, presses hotkey 3
// and then hotkey 2 inside its modal loop, and closes it.
ModalWitness HideAndShowDuringModal(TfrmMain& f, const std::function<void()>& open) {
  ModalWitness seen;
  g_modalStep = [&] {
    HWND dlg = OwnDialog();
    if (!dlg) return false;
    seen.found = true;
    seen.before = OwnVisibleWindows();
    seen.focusBefore = ::GetFocus();
    f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
    seen.whileHidden = OwnVisibleWindows();
    ::SetFocus(nullptr);
    f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
    seen.after = OwnVisibleWindows();
    seen.focusAfter = ::GetFocus();
    ::PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    return true;
  };
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 20, RunModalStep);
  open();
  ::KillTimer(nullptr, timer);
  g_modalStep = nullptr;
  return seen;
}

// A message box, an input box and a common dialog are hidden with
// everything else and come back, stacked as before, with their focus.
TEST_F(PrivacyTest, OpenDialogsAreHiddenAndBroughtBackWithTheirFocus) {
  TfrmMain& f = Start();
  Win32Prompter real;
  const std::vector<std::pair<const char*, std::function<void()>>> dialogs = {
      {"message box", [&] { real.ShowBox(BoxOwner::MainWindow, "Hidden too?", "Nookvale", mb::kOkCancel); }},
      {"input box", [&] { real.InputBox("Nookvale", "Hidden too?", "yes"); }},
      {"open dialog",
       [&] {
         FileDialogRequest r;
         r.title = "Open";
         r.filter = "Text|*.txt";
         r.initialDir = dir.Path();
         real.OpenDialog(r);
       }},
  };
  for (const auto& [what, open] : dialogs) {
    SCOPED_TRACE(what);
    const ModalWitness seen = HideAndShowDuringModal(f, open);
    ASSERT_TRUE(seen.found) << "the dialog never came up";
    EXPECT_GE(seen.before.size(), 2u);
    EXPECT_TRUE(seen.whileHidden.empty()) << "a window of ours stayed on screen";
    EXPECT_EQ(seen.after, seen.before) << "not the same windows in the same stacking order";
    EXPECT_NE(seen.focusBefore, nullptr);
    EXPECT_EQ(seen.focusAfter, seen.focusBefore);
  }
}

// The keyboard focus of another program's thread.
HWND FocusOfThread(HWND w) {
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  return ::GetGUIThreadInfo(::GetWindowThreadProcessId(w, nullptr), &gui) ? gui.hwndFocus : nullptr;
}

// The user was typing into a captured program: after hiding and bringing
// back, the keys go there again.
TEST_F(PrivacyTest, BringingBackGivesTheFocusBackToTheCapturedProgram) {
  TfrmMain& f = Start();
  const CapturedHelper h = StartCaptured(f, "typing", "--edit \"some text\"");
  HWND w = h.window;
  HWND edit = ::FindWindowExW(w, nullptr, L"EDIT", nullptr);
  ASSERT_NE(edit, nullptr);
  // The user clicks into the captured program's text.
  ::SetForegroundWindow(f.Handle());
  const DWORD ours = ::GetCurrentThreadId(), theirs = ::GetWindowThreadProcessId(w, nullptr);
  ::AttachThreadInput(ours, theirs, TRUE);
  ::SetFocus(edit);
  ::AttachThreadInput(ours, theirs, FALSE);
  ASSERT_TRUE(PumpUntil([&] { return FocusOfThread(w) == edit; })) << "could not put the focus there";

  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  ASSERT_FALSE(::IsWindowVisible(f.Handle()));
  f.Capture.ProgramPath.SetFocus();  // the focus moves meanwhile
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  ASSERT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_TRUE(PumpUntil([&] { return FocusOfThread(w) == edit; })) << "the focus is not back in the captured program";
  EXPECT_NE(::GetFocus(), f.Capture.ProgramPath.Handle());
}

// Each hotkey's own action: 2 shows the window and unticks the mute box,
// 1 (the screen saver) leaves window and box as they are.
TEST_F(PrivacyTest, HotkeyTwoShowsAndClearsTheMuteBoxAndHotkeyOneChangesNeither) {
  TfrmMain& f = Start();
  f.Privacy.CheckBox1.Perform(BM_CLICK);  // ticked: mutes, or reports that it cannot
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(1), 0);
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_TRUE(f.Privacy.CheckBox1.Checked());
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  ASSERT_FALSE(::IsWindowVisible(f.Handle()));
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(1), 0);
  EXPECT_FALSE(::IsWindowVisible(f.Handle())) << "the screen saver hotkey brings nothing back";
  EXPECT_TRUE(f.Privacy.CheckBox1.Checked());

  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_FALSE(f.Privacy.CheckBox1.Checked());
  // Again, now shown with the box unticked: nothing is left to do.
  prompter.ClearCalls();
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  EXPECT_TRUE(::IsWindowVisible(f.Handle()));
  EXPECT_FALSE(f.Privacy.CheckBox1.Checked());
  EXPECT_TRUE(prompter.Calls().empty()) << "an unticked box stays unticked and nothing is muted";
}

TEST_F(PrivacyTest, MuteWithoutASoundDeviceReportsAndKeepsTheTick) {
  bool muted;
  if (GetEndpointMuteValue(muted)) GTEST_SKIP() << "this machine has a default playback endpoint";
  TfrmMain& f = Start();
  f.Privacy.CheckBox1.Perform(BM_CLICK);
  ASSERT_EQ(prompter.Calls().size(), 1u);
  EXPECT_EQ(prompter.Calls()[0].text, kNoEndpointBoxText)
      << "Core Audio is there: no falling back to the mixer, which would mute Nookvale alone";
  EXPECT_EQ(prompter.Calls()[0].caption, "Nookvale");
  EXPECT_EQ(prompter.Calls()[0].flags, static_cast<unsigned>(MB_OK | MB_ICONSTOP));
  EXPECT_TRUE(f.Privacy.CheckBox1.Checked());
  // Where Core Audio is absent the mixer takes the mute, with its own report.
  if (GetMixerMuteValue(0, muted)) GTEST_SKIP() << "this machine has a mixer";
  try {
    SetMixerMuteValue(0, true);
    ADD_FAILURE() << "no mixer, yet no error";
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "SetMasterMuteValue failure, multimedia system error #5");
  }
}

// Run with a sound device (the privacy_real_sound test entry): the default
// playback endpoint's mute really changes.
TEST_F(PrivacyTest, RealSoundEndpointMuteFollowsTheBoxAndTheHotkeys) {
  bool muted = false;
  NV_REQUIRE_SOUND_DEVICE(GetEndpointMuteValue(muted), "default playback endpoint");
  TfrmMain& f = Start();
  // As the program runs, opening the default endpoint afresh each time.
  f.Privacy.CheckBox1.SetChecked(true);
  f.Privacy.CheckBox1.SetChecked(false);
  EXPECT_TRUE(prompter.Calls().empty());

  HeldEndpointVolume endpoint;
  ASSERT_TRUE(endpoint);
  f.Privacy.CheckBox1.SetChecked(true);
  EXPECT_TRUE(endpoint.Muted());
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(2), 0);
  EXPECT_FALSE(f.Privacy.CheckBox1.Checked());
  EXPECT_FALSE(endpoint.Muted()) << "hotkey 2 unticks and unmutes";
  f.Privacy.CheckBox1.SetChecked(true);
  endpoint.SetMuted(false);  // someone else unmuted
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  EXPECT_TRUE(endpoint.Muted()) << "hotkey 3 applies the box";
  EXPECT_FALSE(::IsWindowVisible(f.Handle()));
  f.Privacy.CheckBox1.Perform(BM_CLICK);  // unticked by the user: unmuted
  EXPECT_FALSE(endpoint.Muted());
  endpoint.SetMuted(true);  // someone else muted
  f.Perform(WM_HOTKEY, f.Privacy.HotKeyId(3), 0);
  EXPECT_FALSE(endpoint.Muted()) << "hotkey 3 with the box unticked unmutes";
  EXPECT_TRUE(prompter.Calls().empty());
}

// The mixer, used where Core Audio is absent, sets and reads its mute.
TEST_F(PrivacyTest, RealSoundMixerMuteRoundTrips) {
  bool muted = false;
  NV_REQUIRE_SOUND_DEVICE(GetMixerMuteValue(0, muted), "mixer");
  for (bool mute : {true, false, true, false}) {
    SetMixerMuteValue(0, mute);
    ASSERT_TRUE(GetMixerMuteValue(0, muted));
    EXPECT_EQ(muted, mute);
  }
}

TEST_F(PrivacyTest, TaskbarSwitchHidesAndShowsTheTray) {
  HelperProcess tray("--class Shell_TrayWnd --title \"\"");
  HWND w = ::FindWindowA("Shell_TrayWnd", nullptr);
  for (int i = 0; !w && i < 100; ++i, ::Sleep(20)) w = ::FindWindowA("Shell_TrayWnd", nullptr);
  ASSERT_TRUE(w);
  TfrmMain& f = Start();
  f.Privacy.CheckBox3.SetChecked(true);
  EXPECT_FALSE(::IsWindowVisible(w));
  f.Privacy.CheckBox3.SetChecked(false);
  EXPECT_TRUE(::IsWindowVisible(w));
  EXPECT_FALSE(::IsIconic(w));
}

TEST_F(PrivacyTest, DesktopIconSwitchActsOnTheViewFoundAtStart) {
  HelperProcess desktop("--class ProgMan --child-chain --title \"Program Manager\"");
  HWND progman = nullptr;
  for (int i = 0; !progman && i < 100; ++i, ::Sleep(20)) progman = ::FindWindowA("ProgMan", nullptr);
  ASSERT_TRUE(progman);
  HWND view = ::GetWindow(::GetWindow(progman, GW_CHILD), GW_CHILD);
  ASSERT_TRUE(view);
  TfrmMain& f = Start();
  EXPECT_EQ(f.Privacy.DesktopIconView(), view);
  f.Privacy.CheckBox2.SetChecked(true);
  EXPECT_FALSE(::IsWindowVisible(view));
  f.Privacy.CheckBox2.SetChecked(false);
  EXPECT_TRUE(::IsWindowVisible(view));
}

TEST_F(PrivacyTest, EndOfSessionBringsBackTaskbarAndIconsButAnExitKeepsThemHidden) {
  HelperProcess tray("--class Shell_TrayWnd --title \"\"");
  HelperProcess desktop("--class ProgMan --child-chain --title \"Program Manager\"");
  HWND bar = nullptr, progman = nullptr;
  for (int i = 0; (!bar || !progman) && i < 250; ++i, ::Sleep(20)) {
    bar = ::FindWindowA("Shell_TrayWnd", nullptr);
    progman = ::FindWindowA("ProgMan", nullptr);
  }
  ASSERT_TRUE(bar && progman);
  HWND view = ::GetWindow(::GetWindow(progman, GW_CHILD), GW_CHILD);
  ASSERT_TRUE(view);
  {
    TfrmMain& f = Start();
    f.Privacy.CheckBox3.SetChecked(true);
    f.Privacy.CheckBox2.SetChecked(true);
    ASSERT_FALSE(::IsWindowVisible(bar));
    ASSERT_FALSE(::IsWindowVisible(view));
    f.Perform(WM_QUERYENDSESSION, 0, 0);
    f.Perform(WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(::IsWindowVisible(bar)) << "the session's end puts the taskbar back";
    EXPECT_TRUE(::IsWindowVisible(view)) << "and the desktop icons";
  }
  frm.reset();
  // A confirmed exit leaves the user's switches as they are.
  TfrmMain& f = Start();
  f.Privacy.CheckBox3.SetChecked(true);
  f.Privacy.CheckBox2.SetChecked(true);
  prompter.AnswerBox(IDYES);
  f.Close();
  ASSERT_TRUE(f.Closed());
  frm.reset();
  EXPECT_FALSE(::IsWindowVisible(bar));
  EXPECT_FALSE(::IsWindowVisible(view));
  ::ShowWindow(bar, SW_SHOW);
  ::ShowWindow(view, SW_SHOW);
}

TEST_F(PrivacyTest, SwitchesWithNothingToActOnDoNothing) {
  TfrmMain& f = Start();
  EXPECT_EQ(f.Privacy.DesktopIconView(), nullptr);
  f.Privacy.CheckBox2.SetChecked(true);
  f.Privacy.CheckBox3.SetChecked(true);
  EXPECT_TRUE(prompter.Calls().empty());
}

}  // namespace
}  // namespace nv
