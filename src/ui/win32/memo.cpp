#include "ui/win32/memo.h"

namespace nv {

void TMemo::Create(TControl* parent, const std::string& name, bool wordWrap) {
  Name = name;
  // Without a horizontal scroll bar the edit wraps long lines at its edge.
  const DWORD scroll = wordWrap ? WS_VSCROLL : WS_VSCROLL | WS_HSCROLL | ES_AUTOHSCROLL;
  CreateChildControl(parent, L"EDIT", "",
                     WS_VISIBLE | WS_TABSTOP | scroll | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | ES_NOHIDESEL,
                     WS_EX_CLIENTEDGE);
  // The default limit (32K characters) is too small for long texts.
  Perform(EM_SETLIMITTEXT, 0x7FFFFFFE);
}

std::vector<std::string> TMemo::Lines() const {
  std::vector<std::string> lines;
  const std::string text = Caption();
  if (text.empty()) return lines;
  size_t start = 0;
  for (;;) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      // Text after the last break is a line; a final break ends the lines.
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& l : lines) text += l + "\r\n";
  SetCaption(text);
}

}  // namespace nv
