#include "sysinfo/uptime.h"

#include "ui/text.h"

namespace nv {

std::string UptimeText(std::uint32_t t) {
  const std::uint32_t days = t / 86400000u;
  t -= days * 86400000u;
  const std::uint32_t hours = t / 3600000u;
  t -= hours * 3600000u;
  const std::uint32_t minutes = t / 60000u;
  t -= minutes * 60000u;
  const std::uint32_t seconds = t / 1000u;
  return "Windows was up for:   " + UnsignedText(days) + " Days " + UnsignedText(hours) + " Hours " +
         UnsignedText(minutes) + " Minutes " + UnsignedText(seconds) + " Seconds";
}

}  // namespace nv
