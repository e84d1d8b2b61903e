// The vector and scalar passes must agree byte for byte, in place, on every
// line layout and wherever the input stops.
#include "codec/base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "codec/clencoder.h"

namespace nv {
namespace {

std::string Encode(const std::vector<std::uint8_t>& in, std::size_t bytesPerLine, bool simd) {
  const auto total = static_cast<std::size_t>(base64::EncodedSize(in.size(), bytesPerLine));
  std::vector<std::uint8_t> buf(total);
  std::copy(in.begin(), in.end(), buf.end() - static_cast<std::ptrdiff_t>(in.size()));
  base64::EncodeInPlace(buf.data(), in.size(), bytesPerLine, simd);
  return std::string(buf.begin(), buf.end());
}

// Decodes into a buffer of exactly the text's size, so the sanitizer sees any
// access beyond it. "!" stands for the error.
std::string Decode(const std::string& text, bool simd) {
  std::vector<std::uint8_t> buf(text.begin(), text.end());
  try {
    const std::size_t n = base64::DecodeInPlace(buf.data(), buf.size(), simd);
    return std::string(buf.begin(), buf.begin() + static_cast<std::ptrdiff_t>(n));
  } catch (const EclEncoderError&) {
    return "!";
  }
}

TEST(Base64Passes, VectorAndScalarEncodeAlike) {
  std::mt19937 rng(11);
  for (std::size_t bytesPerLine : {3u, 12u, 15u, 57u, 60u, 63u, 75u, 300u, 1u << 20}) {
    for (std::size_t n = 0; n < 400; n += 1 + n / 40) {
      std::vector<std::uint8_t> in(n);
      for (auto& b : in) b = static_cast<std::uint8_t>(rng());
      const std::string scalar = Encode(in, bytesPerLine, false);
      ASSERT_EQ(Encode(in, bytesPerLine, true), scalar) << bytesPerLine << " " << n;
      ASSERT_EQ(Decode(scalar, false), std::string(in.begin(), in.end()));
    }
  }
}

TEST(Base64Passes, VectorAndScalarDecodeAlike) {
  // Valid text, then text with breaks, "=" and bad bytes sprinkled in at
  // random places, so every position of a 16-character block gets a
  // character the vector pass must refuse.
  std::mt19937 rng(12);
  const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const std::string specials = std::string("\r\n=@[`{/+09AZaz \x80\xFF:") + '\0';
  for (int round = 0; round < 3000; ++round) {
    std::string text(rng() % 200, 'A');
    for (auto& c : text) c = alphabet[rng() % 64];
    const int edits = static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !text.empty(); ++e) text[rng() % text.size()] = specials[rng() % specials.size()];
    ASSERT_EQ(Decode(text, true), Decode(text, false)) << text;
  }
  if (!base64::SimdAvailable()) GTEST_SKIP() << "no vector unit here; the scalar pass was compared with itself";
}

}  // namespace
}  // namespace nv
