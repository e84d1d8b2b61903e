// When unsaved notebook text is written to the recovery file.
#include <gtest/gtest.h>

#include "notebook/autosave.h"

namespace nv {
namespace {

TEST(AutosaveScheduleTest, WritesOnceTypingPausesAndAtLeastEveryLongestWait) {
  AutosaveSchedule s({3000, 30000});
  EXPECT_FALSE(s.Pending());
  EXPECT_FALSE(s.Due(100000));

  s.Changed(1000);
  EXPECT_TRUE(s.Pending());
  EXPECT_FALSE(s.Due(3999));  // still typing
  EXPECT_TRUE(s.Due(4000));   // a pause of 3 s

  // Typing every second without a pause: due when the first unwritten
  // change has waited 30 s, not before.
  AutosaveSchedule busy({3000, 30000});
  for (std::uint64_t t = 0; t < 30000; t += 1000) {
    busy.Changed(t);
    EXPECT_FALSE(busy.Due(t + 500)) << t;
  }
  busy.Changed(30000);
  EXPECT_TRUE(busy.Due(30000));

  // Once written, the wait starts again with the next change.
  busy.Done();
  EXPECT_FALSE(busy.Due(60000));
  busy.Changed(61000);
  EXPECT_FALSE(busy.Due(62000));
  EXPECT_TRUE(busy.Due(64000));
}

TEST(AutosaveScheduleTest, AClockGoingBackwardsNeverMakesAWriteDueEarly) {
  AutosaveSchedule s({3000, 30000});
  s.Changed(50000);
  EXPECT_FALSE(s.Due(10));
  EXPECT_TRUE(s.Due(53000));
}

TEST(AutosaveScheduleTest, AnUnreadableFileIsKeptUnderATimeStampedName) {
  EXPECT_EQ(KeptAsideName("C:\\N\\Notebook.recovery", 2026, 12, 9, 8, 5, 3),
            "C:\\N\\Notebook.recovery.unreadable-20261209-080503");
}

}  // namespace
}  // namespace nv
