// The benchmark's input: a generated RTF document of about the given size,
// written the way word processors write one (font and colour tables, runs
// of bold, italic and coloured text in several fonts and sizes, paragraphs
// with alignment and spacing, a few PNG and JPEG pictures). The East Asian
// variant is a Japanese document (\ansicpg932) whose runs are half in
// Japanese, Simplified Chinese, Korean and Traditional Chinese fonts, their
// text written as \'hh pairs the way Word writes double-byte text.
#pragma once

#include <cstddef>
#include <string>

namespace nv::bench {

enum class RtfScript { Western, EastAsian };

std::string GenerateRtf(std::size_t targetBytes, RtfScript script = RtfScript::Western);

}  // namespace nv::bench
