// Links in the notebook: which jump targets a Ctrl+click opens.
#pragma once

#include <string>
#include <string_view>

namespace nv {

// The addresses the reader opens (http, https) and mail addresses; nothing
// else, since a document may come from anywhere and a file: or javascript:
// target would open local files or run script.
bool IsLinkToOpen(std::string_view target);

// The message shown when a Ctrl+click meets a target that is not opened.
std::string LinkNotOpenedText(std::string_view target);

}  // namespace nv
