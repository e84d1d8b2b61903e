// The "Windows Uptime?" sentence.
#pragma once

#include <cstdint>
#include <string>

namespace nv {

// "Windows was up for:   D Days H Hours M Minutes S Seconds" for a tick
// count in milliseconds (the 32-bit count wraps after about 49.7 days, and
// the sentence with it); leftover milliseconds are dropped.
std::string UptimeText(std::uint32_t ticks);

}  // namespace nv
