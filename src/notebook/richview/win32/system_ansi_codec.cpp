#include "notebook/richview/win32/system_ansi_codec.h"

#include "ui/win32/win_text.h"

namespace nv {

std::string SystemAnsiCodec::ToUtf8(std::string_view ansi) const { return AnsiToUtf8(ansi); }
std::string SystemAnsiCodec::FromUtf8(std::string_view utf8) const { return Utf8ToAnsi(utf8); }

}  // namespace nv
