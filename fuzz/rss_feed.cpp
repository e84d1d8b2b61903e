// Feeds from any server: every document gives a feed or a feed error with a
// text, never a crash, a hang or another exception; the item links come out
// of the base resolution unharmed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "rss/feed_error.h"
#include "rss/feed_parser.h"
#include "rss/feed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // The first byte picks the HTTP header's charset, as a server would send it.
  static const char* const kCharsets[] = {"",          "utf-8",  "windows-1252", "iso-8859-1", "windows-1251", "utf-16",
                                          "shift_jis", "euc-jp", "gb18030",      "big5",       "euc-kr",       "koi8-r",
                                          "iso-8859-2"};
  constexpr std::size_t kSets = sizeof kCharsets / sizeof kCharsets[0];
  const char* charset = size ? kCharsets[data[0] % kSets] : "";
  try {
    const nv::rss::Feed f = nv::rss::ParseFeed(bytes, charset, "http://feeds.example.test/dir/feed.xml");
    for (const auto& it : f.items) {
      if (it.title.find('\x01') != std::string::npos || it.description.find('\x01') != std::string::npos)
        __builtin_trap();
      if (it.title.size() > 8 * size + 64) __builtin_trap();
    }
  } catch (const nv::rss::EFeedError& e) {
    if (std::string(e.what()).empty()) __builtin_trap();
  }
  const size_t half = size / 2;
  (void)nv::rss::ResolveUrl(bytes.substr(0, half), bytes.substr(half));
  (void)nv::rss::HtmlToText(bytes, true);
  (void)nv::rss::MendXml(bytes);
  return 0;
}
