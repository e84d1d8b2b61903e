// The Base64 passes behind TclEncoder, on buffers. Both work in place, so a
// conversion needs one buffer the size of the larger side and no copy
// between input and output.
#pragma once

#include <cstddef>
#include <cstdint>

namespace nv::base64 {

// Characters for n bytes written in lines of bytesPerLine bytes (a multiple
// of 3) separated by CR LF, with no break after the last line. Valid for n up
// to 2^62; larger counts give UINT64_MAX.
std::uint64_t EncodedSize(std::uint64_t n, std::uint64_t bytesPerLine);

// buf holds EncodedSize(n, bytesPerLine) bytes with the n source bytes at its
// end; on return it holds the text. bytesPerLine must be a positive multiple
// of 3.
void EncodeInPlace(std::uint8_t* buf, std::size_t n, std::size_t bytesPerLine, bool simd = true);

// Decodes the n characters in buf into its start and returns the byte count.
// CR and LF close a run of letters (each line is decoded on its own), the
// first "=" ends the text. Any other character raises EclEncoderError
// "Wrong symbols in source stream.".
std::size_t DecodeInPlace(std::uint8_t* buf, std::size_t n, bool simd = true);

// Whether this processor runs the vector passes (simd = true falls back to
// the scalar ones when it does not).
bool SimdAvailable();

}  // namespace nv::base64
