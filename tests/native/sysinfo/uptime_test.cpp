#include "sysinfo/uptime.h"

#include <gtest/gtest.h>

namespace nv {
namespace {

TEST(UptimeText, DaysHoursMinutesSeconds) {
  EXPECT_EQ(UptimeText(90061000u), "Windows was up for:   1 Days 1 Hours 1 Minutes 1 Seconds");
  EXPECT_EQ(UptimeText(4294967295u), "Windows was up for:   49 Days 17 Hours 2 Minutes 47 Seconds");
  EXPECT_EQ(UptimeText(59900u), "Windows was up for:   0 Days 0 Hours 0 Minutes 59 Seconds")
      << "leftover milliseconds are dropped, not rounded";
  EXPECT_EQ(UptimeText(86399999u), "Windows was up for:   0 Days 23 Hours 59 Minutes 59 Seconds");
  EXPECT_EQ(UptimeText(86400000u), "Windows was up for:   1 Days 0 Hours 0 Minutes 0 Seconds");
}

TEST(UptimeText, TickCountWrapsToZero) {
  const std::uint32_t last = 0xFFFFFFFFu;
  const std::uint32_t next = last + 1u;  // the count one millisecond later
  EXPECT_EQ(UptimeText(next), "Windows was up for:   0 Days 0 Hours 0 Minutes 0 Seconds");
  EXPECT_EQ(UptimeText(last + 61000u), "Windows was up for:   0 Days 0 Hours 1 Minutes 0 Seconds");
}

}  // namespace
}  // namespace nv
