// Font faces compared as Windows compares them for the user: without
// regard to letter case, by the rules of the user's locale.
#pragma once

#include <string_view>

namespace nv {

// True when the two UTF-8 faces are equal ignoring case in the user's
// locale (symbols such as '-' count, unlike in word sorting).
bool LocaleSameFontName(std::string_view a, std::string_view b);

// Makes LocaleSameFontName the style sheet's rule (SetFontNameComparer).
void UseLocaleFontNameRule();

}  // namespace nv
