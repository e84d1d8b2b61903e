#include "rss/browser_rules.h"

#include "rss/feed_text.h"

namespace nv::rss {

namespace {

// The leading numbers of a dotted version text ("9.11.9600.1" -> 9, 11);
// -1 where there is none.
void LeadingNumbers(std::string_view text, int& major, int& minor) {
  major = minor = -1;
  int* part = &major;
  size_t i = 0;
  for (int n = 0; n < 2; ++n) {
    if (i >= text.size() || text[i] < '0' || text[i] > '9') return;
    int v = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && v < 100000) v = v * 10 + (text[i++] - '0');
    *part = v;
    if (i >= text.size() || text[i] != '.') return;
    ++i;
    part = &minor;
  }
}

int InstalledMajorVersion(std::string_view svcVersion, std::string_view version) {
  int major, minor;
  LeadingNumbers(svcVersion, major, minor);
  if (major > 0) return major;
  LeadingNumbers(version, major, minor);
  // Versions 10 and 11 kept "9.10" and "9.11" here for old programs that
  // read the first number only.
  if (major == 9 && minor >= 10) return minor;
  return major;
}

}  // namespace

std::optional<std::uint32_t> BrowserEmulationToWrite(std::string_view svcVersion, std::string_view version,
                                                     std::optional<std::uint32_t> present) {
  const int major = InstalledMajorVersion(svcVersion, version);
  // No version known: the control there is the last one made.
  std::uint32_t wanted = 11001;
  if (major == 10) wanted = 10001;
  else if (major == 9) wanted = 9999;
  else if (major == 8) wanted = 8888;
  else if (major > 0 && major < 8) wanted = 7000;
  if (present && *present == wanted) return std::nullopt;
  return wanted;
}

bool NavigationFilter::Allow(std::string_view url) {
  if (IsWebAddress(url)) return true;
  if (blankExpected_ && url == "about:blank") {
    blankExpected_ = false;
    return true;
  }
  return false;
}

}  // namespace nv::rss
