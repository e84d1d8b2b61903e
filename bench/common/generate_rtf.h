// The benchmark's input: a generated RTF document of about the given size,
// written the way word processors write one (font and colour tables, runs
// of bold, italic and coloured text in several fonts and sizes, paragraphs
// with alignment and spacing, a few PNG and JPEG pictures).
#pragma once

#include <cstddef>
#include <string>

namespace nv::bench {

std::string GenerateRtf(std::size_t targetBytes);

}  // namespace nv::bench
