// The small markup the program's panels use for their captions and texts:
// <B>, <I>, <U>, <BR>, <P> and <FONT color="#RRGGBB" size="N" face="...">,
// case-insensitive, with &amp; &lt; &gt; &quot; &nbsp; entities. Anything
// else is shown as text, so a stray "<" never swallows what follows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nv {

struct MiniHtmlRun {
  std::string text;  // UTF-8; "\n" for a line break
  bool bold = false, italic = false, underline = false;
  std::optional<std::uint32_t> color;  // 0x00BBGGRR
  int size = 0;                         // points, 0 = the control's size
  std::string face;                     // empty = the control's face
  bool operator==(const MiniHtmlRun&) const = default;
};

std::vector<MiniHtmlRun> ParseMiniHtml(std::string_view markup);

// The text without markup (line breaks as "\n").
std::string MiniHtmlPlainText(std::string_view markup);

}  // namespace nv
