// Plain ANSI text on Windows is in the system's ANSI code page, whatever
// that is on the user's machine.
#pragma once

#include "richview/text_format.h"

namespace nv {

class SystemAnsiCodec : public AnsiCodec {
 public:
  std::string ToUtf8(std::string_view ansi) const override;
  std::string FromUtf8(std::string_view utf8) const override;
};

}  // namespace nv
