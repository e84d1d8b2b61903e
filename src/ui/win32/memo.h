// A multi-line edit holding lines of text, with scroll bars.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/win32/control.h"

namespace nv {

class TMemo : public TControl {
 public:
  // wordWrap: long lines wrap at the edge instead of scrolling sideways.
  void Create(TControl* parent, const std::string& name, bool wordWrap = false);
  // Lines as shown (the control's text split at its line breaks).
  std::vector<std::string> Lines() const;
  void SetLines(const std::vector<std::string>& lines);
};

}  // namespace nv
