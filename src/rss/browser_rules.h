// What the reader asks of the system's browser control, decided apart from
// the control itself: the document mode it runs in, and which addresses it
// may go to.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace nv::rss {

// The browser control shows pages as the oldest browser it can stand in for
// unless a program asks otherwise, per user, under
// HKCU\...\FeatureControl\FEATURE_BROWSER_EMULATION, by the value named
// after the program's exe file. The mode asked for is the installed
// browser's own current one (11001 for its version 11, 10001, 9999, 8888
// for 10, 9 and 8, 7000 below that). svcVersion and version are the
// installed browser's version texts as the system keeps them ("11.0.9600.x";
// "9.11.9600.x" for version 11 where only the older text is kept).
// present: the value already there, when there is one as a number. Answers
// the value to write, or nothing when the one there is already right.
std::optional<std::uint32_t> BrowserEmulationToWrite(std::string_view svcVersion, std::string_view version,
                                                     std::optional<std::uint32_t> present);

// Which addresses the browser control may go to: every navigation, the
// first one and every one a page starts (a link, a frame, a script, a form,
// a new window), goes to web addresses only (IsWebAddress). The one
// exception is the control's own blank page, loaded once to find out
// whether it can show pages at all.
class NavigationFilter {
 public:
  // The next navigation to the blank page is the control's own.
  void ExpectBlank() { blankExpected_ = true; }
  // No navigation of the control's own is awaited any more.
  void ForgetBlank() { blankExpected_ = false; }
  // Whether the control may go to url.
  bool Allow(std::string_view url);

 private:
  bool blankExpected_ = false;
};

}  // namespace nv::rss
