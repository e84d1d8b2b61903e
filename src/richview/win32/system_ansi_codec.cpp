#include "richview/win32/system_ansi_codec.h"

#include "codec/code_page.h"
#include "ui/win32/win_text.h"

namespace nv {

std::string SystemAnsiCodec::ToUtf8(std::string_view ansi) const {
  std::optional<std::string> s = CodePageToUtf8(SystemAnsiCodePage(), ansi);
  return s ? std::move(*s) : AnsiToUtf8(ansi);
}

std::string SystemAnsiCodec::FromUtf8(std::string_view utf8) const {
  std::optional<std::string> s = Utf8ToCodePage(SystemAnsiCodePage(), utf8);
  return s ? std::move(*s) : Utf8ToAnsi(utf8);
}

}  // namespace nv
