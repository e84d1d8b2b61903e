// HTML's named character references (&nbsp;, &eacute;, ...), which feeds
// use in XML without declaring them.
#pragma once

#include <optional>
#include <string_view>

namespace nv::rss {

// The character a name stands for (case-sensitive, without & and ;).
std::optional<char32_t> HtmlEntity(std::string_view name);

}  // namespace nv::rss
