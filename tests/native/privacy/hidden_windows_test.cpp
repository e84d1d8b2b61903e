// Which of our windows hiding takes and the order they come back in.
#include <gtest/gtest.h>

#include "privacy/hidden_windows.h"

namespace nv {
namespace {

using Ids = std::vector<std::uintptr_t>;

TEST(HiddenWindows, VisibleWindowsGoAndComeBackBottomFirst) {
  // 1 a message box over 2 the main window; 3 is hidden already (the
  // application's own window) and stays out of it.
  const Ids hide = WindowsToHide({}, {{1, true}, {3, false}, {2, true}});
  EXPECT_EQ(hide, (Ids{1, 2}));
  EXPECT_EQ(ShowOrder(hide), (Ids{2, 1})) << "the main window first, the box then lands above it";
}

TEST(HiddenWindows, ASecondHideKeepsWhatTheFirstTook) {
  // After a hide, a window that came up meanwhile (4) is hidden too and the
  // first hide's windows are not forgotten.
  const Ids hide = WindowsToHide({1, 2}, {{4, true}, {1, false}, {2, false}});
  EXPECT_EQ(hide, (Ids{4, 1, 2}));
  EXPECT_EQ(WindowsToHide({1, 2}, {{1, false}, {2, false}}), (Ids{1, 2}));
}

}  // namespace
}  // namespace nv
