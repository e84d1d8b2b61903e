#include "richview/win32/locale_font_names.h"

#include <windows.h>

#include <string>

#include "richview/styles.h"
#include "ui/win32/win_text.h"

namespace nv {

bool LocaleSameFontName(std::string_view a, std::string_view b) {
  const std::wstring wa = Widen(a), wb = Widen(b);
  return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE | SORT_STRINGSORT, wa.c_str(),
                          static_cast<int>(wa.size()), wb.c_str(), static_cast<int>(wb.size())) == CSTR_EQUAL;
}

void UseLocaleFontNameRule() { SetFontNameComparer(LocaleSameFontName); }

}  // namespace nv
