#include "codec/base64.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>

#include "codec/clencoder.h"

// On x86-64 the passes use SSSE3 when the processor has it (checked once at
// run time; the rest of the program is built for the plain x86-64 baseline).
// Everywhere else, and on older processors, the scalar passes run.
#if defined(__x86_64__) || defined(_M_X64)
#define NV_BASE64_SSSE3 1
#include <tmmintrin.h>
#if defined(__GNUC__)
#include <cpuid.h>
#define NV_TARGET_SSSE3 __attribute__((target("ssse3")))
#else
#include <intrin.h>
#define NV_TARGET_SSSE3
#endif
#endif

namespace nv::base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters for every 12-bit value: a 24-bit group becomes four
// characters with two look-ups.
constexpr std::array<char, 8192> kPairs = [] {
  std::array<char, 8192> t{};
  for (int v = 0; v < 4096; ++v) {
    t[2 * v] = kAlphabet[v >> 6];
    t[2 * v + 1] = kAlphabet[v & 63];
  }
  return t;
}();

// Six-bit value of each letter; the codes above 63 are the characters that
// are not letters.
constexpr std::uint8_t kBreak = 64;    // CR, LF: close the run
constexpr std::uint8_t kEnd = 65;      // "=": ends the text
constexpr std::uint8_t kInvalid = 255;
constexpr std::array<std::uint8_t, 256> kValues = [] {
  std::array<std::uint8_t, 256> t{};
  for (auto& v : t) v = kInvalid;
  for (int i = 0; i < 64; ++i) t[static_cast<unsigned char>(kAlphabet[i])] = static_cast<std::uint8_t>(i);
  t['\r'] = t['\n'] = kBreak;
  t['='] = kEnd;
  return t;
}();

inline void EncodeGroup(const std::uint8_t* src, std::uint8_t* dst) {
  const std::uint32_t v = static_cast<std::uint32_t>(src[0]) << 16 |
                          static_cast<std::uint32_t>(src[1]) << 8 | src[2];
  std::memcpy(dst, &kPairs[2 * (v >> 12)], 2);
  std::memcpy(dst + 2, &kPairs[2 * (v & 0xFFF)], 2);
}

#ifdef NV_BASE64_SSSE3

bool DetectSsse3() {
#if defined(__GNUC__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return false;
  return (c & bit_SSSE3) != 0;
#else
  int r[4];
  __cpuid(r, 1);
  return (r[2] & (1 << 9)) != 0;
#endif
}

// The hardware prefetcher alone leaves the vector loops waiting for memory
// on large inputs (measured: half the speed at 64 MiB); asking for the data
// a kilobyte ahead keeps them at their in-cache speed. A prefetch never
// faults, but the address is kept inside the input all the same.
inline void Prefetch(const std::uint8_t* base, std::size_t i, std::size_t n) {
  constexpr std::size_t kAhead = 1024;
  _mm_prefetch(reinterpret_cast<const char*>(base + (n - i > kAhead ? i + kAhead : n - 1)), _MM_HINT_T0);
}

// 12 bytes from src (16 are loaded) to 16 characters at dst.
NV_TARGET_SSSE3 inline void Encode12(const std::uint8_t* src, std::uint8_t* dst) {
  __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  // Each 32-bit lane gets the bytes b1 b0 b2 b1, so its low 16 bits hold
  // b0:b1 and its high 16 bits b1:b2, the two halves of the group.
  in = _mm_shuffle_epi8(in, _mm_set_epi8(10, 11, 9, 10, 7, 8, 6, 7, 4, 5, 3, 4, 1, 2, 0, 1));
  // Move the four six-bit fields to the four bytes of the lane.
  const __m128i ac = _mm_mulhi_epu16(_mm_and_si128(in, _mm_set1_epi32(0x0fc0fc00)),
                                     _mm_set1_epi32(0x04000040));
  const __m128i bd = _mm_mullo_epi16(_mm_and_si128(in, _mm_set1_epi32(0x003f03f0)),
                                     _mm_set1_epi32(0x01000010));
  const __m128i idx = _mm_or_si128(ac, bd);
  // Pick an offset per range: 0..25 -> 'A', 26..51 -> 'a' - 26,
  // 52..61 -> '0' - 52, 62 -> '+' - 62, 63 -> '/' - 63.
  __m128i sel = _mm_subs_epu8(idx, _mm_set1_epi8(51));
  const __m128i upper = _mm_cmpgt_epi8(_mm_set1_epi8(26), idx);
  sel = _mm_or_si128(sel, _mm_and_si128(upper, _mm_set1_epi8(13)));
  const __m128i offsets = _mm_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                        '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62,
                                        '/' - 63, 'A', 0, 0);
  const __m128i out = _mm_add_epi8(_mm_shuffle_epi8(offsets, sel), idx);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
}

// The six-bit values of 16 characters, and a mask with a bit set for every
// character that is a letter.
struct Values16 {
  __m128i values;
  int letters;
};

NV_TARGET_SSSE3 inline Values16 Classify16(const std::uint8_t* src) {
  const __m128i c = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src));
  const __m128i hi = _mm_and_si128(_mm_srli_epi32(c, 4), _mm_set1_epi8(0x0F));
  const __m128i lo = _mm_and_si128(c, _mm_set1_epi8(0x0F));
  // Validity by nibbles: each high nibble has one bit (0x10 for the rows
  // without letters, 0x80 and up included), each low nibble the bits of the
  // rows where it is not a letter; a common bit marks a non-letter.
  //   row 2: "+" and "/" (bit 0x01)   row 3: digits (0x02)
  //   rows 4, 6: "A".."O", "a".."o" (0x04)   rows 5, 7: "P".."Z", "p".."z" (0x08)
  const __m128i loBits = _mm_setr_epi8(0x15, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x13,
                                       0x1A, 0x1B, 0x1B, 0x1B, 0x1A);
  const __m128i hiBits = _mm_setr_epi8(0x10, 0x10, 0x01, 0x02, 0x04, 0x08, 0x04, 0x08, 0x10, 0x10, 0x10,
                                       0x10, 0x10, 0x10, 0x10, 0x10);
  const __m128i bad = _mm_and_si128(_mm_shuffle_epi8(loBits, lo), _mm_shuffle_epi8(hiBits, hi));
  const int nonLetters = _mm_movemask_epi8(_mm_cmpgt_epi8(bad, _mm_setzero_si128()));
  // The offset from character to value depends on the high nibble alone,
  // except that "/" shares row 2 with "+": it takes the slot of row 1.
  const __m128i offsets = _mm_setr_epi8(0, 63 - '/', 62 - '+', 52 - '0', -'A', -'A', 26 - 'a', 26 - 'a', 0, 0,
                                        0, 0, 0, 0, 0, 0);
  const __m128i row = _mm_add_epi8(hi, _mm_cmpeq_epi8(c, _mm_set1_epi8('/')));
  return {_mm_add_epi8(c, _mm_shuffle_epi8(offsets, row)), ~nonLetters & 0xFFFF};
}

// Packs four groups of four values into 12 bytes at dst (16 are stored).
NV_TARGET_SSSE3 inline void Pack16(__m128i v, std::uint8_t* dst) {
  // a b c d per lane -> (a << 6 | b) and (c << 6 | d) -> the 24-bit group,
  // then its three bytes most significant first.
  const __m128i pairs = _mm_maddubs_epi16(v, _mm_set1_epi32(0x01400140));
  const __m128i groups = _mm_madd_epi16(pairs, _mm_set1_epi32(0x00011000));
  const __m128i out =
      _mm_shuffle_epi8(groups, _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), out);
}

// Both loops keep their indexes in locals: stores through a byte pointer may
// alias anything, so indexes passed by reference would be reloaded after
// every store.
NV_TARGET_SSSE3 void EncodeLineSimd(const std::uint8_t* src, std::size_t& iRef, std::size_t lineEnd,
                                    std::size_t n, std::uint8_t* buf, std::size_t& oRef) {
  std::size_t i = iRef, o = oRef;
  const std::size_t lineStart = i;
  // The load reads 16 bytes, so stay 16 bytes clear of the end of the input.
  // In place, the 16 characters written never reach input still unread: the
  // output runs behind the input by at least a third of what is left.
  Prefetch(src, i, n);
  while (lineEnd - i >= 12 && n - i >= 16) {
    Encode12(src + i, buf + o);
    i += 12;
    o += 16;
  }
  // A line of 57 bytes leaves 9: encode the line's last 12 bytes again, which
  // rewrites 4 characters with the same values. The bytes re-read are still
  // intact as long as the output is 12 or more bytes behind, which holds with
  // 36 or more bytes of input left.
  const std::size_t rest = lineEnd - i;
  if (rest != 0 && rest < 12 && lineEnd - lineStart >= 12 && n - i >= 36) {
    Encode12(src + lineEnd - 12, buf + o - (12 - rest) / 3 * 4);
    o += rest / 3 * 4;
    i = lineEnd;
  }
  iRef = i;
  oRef = o;
}

NV_TARGET_SSSE3 void DecodeRunSimd(std::uint8_t* buf, std::size_t& iRef, std::size_t n,
                                   std::size_t& oRef) {
  std::size_t i = iRef, o = oRef;
  while (n - i >= 16) {
    Prefetch(buf, i, n);
    const Values16 v = Classify16(buf + i);
    if (v.letters == 0xFFFF) {
      // The output never passes the input, so the 16 bytes stored stay
      // within characters already read.
      Pack16(v.values, buf + o);
      i += 16;
      o += 12;
      continue;
    }
    // The letters before the first other character. When they are whole
    // groups (always so at the end of a line the encoder wrote), decode them
    // and step over a line break here; anything else goes to the scalar
    // code. The 16 bytes stored must stay clear of what is still to be read.
    const auto letters = static_cast<std::size_t>(std::countr_one(static_cast<unsigned>(v.letters)));
    if (letters % 4 != 0) break;
    if (letters != 0) {
      if (o + 16 > i + letters) break;
      Pack16(v.values, buf + o);
      i += letters;
      o += letters / 4 * 3;
    }
    if (buf[i] == '\r') {
      ++i;
      if (buf[i] == '\n') ++i;  // within the 16 loaded, so in bounds
    } else if (buf[i] == '\n') {
      ++i;
    } else {
      break;
    }
  }
  iRef = i;
  oRef = o;
}

#endif  // NV_BASE64_SSSE3

}  // namespace

bool SimdAvailable() {
#ifdef NV_BASE64_SSSE3
  static const bool available = DetectSsse3();
  return available;
#else
  return false;
#endif
}

namespace {

bool UseVector(bool wanted) {
#ifdef NV_BASE64_SSSE3
  return wanted && SimdAvailable();
#else
  static_cast<void>(wanted);
  return false;
#endif
}

}  // namespace

std::uint64_t EncodedSize(std::uint64_t n, std::uint64_t bytesPerLine) {
  if (n == 0) return 0;
  if (n > (std::uint64_t{1} << 62) || bytesPerLine == 0) return std::numeric_limits<std::uint64_t>::max();
  const std::uint64_t lines = (n + bytesPerLine - 1) / bytesPerLine;
  return (n + 2) / 3 * 4 + 2 * (lines - 1);
}

void EncodeInPlace(std::uint8_t* buf, std::size_t n, std::size_t bytesPerLine, bool simd) {
  if (n == 0) return;
  const std::size_t total = static_cast<std::size_t>(EncodedSize(n, bytesPerLine));
  // The source sits at the end of the buffer and the text grows from its
  // start. Every group is read before its characters are stored, and the
  // text never catches up with source bytes still to be read.
  const std::uint8_t* src = buf + (total - n);
  simd = UseVector(simd);
  std::size_t i = 0;
  std::size_t o = 0;
  while (i < n) {
    if (i != 0) {
      buf[o++] = '\r';
      buf[o++] = '\n';
    }
    const std::size_t lineEnd = i + (n - i < bytesPerLine ? n - i : bytesPerLine);
#ifdef NV_BASE64_SSSE3
    if (simd) EncodeLineSimd(src, i, lineEnd, n, buf, o);
#endif
    for (; lineEnd - i >= 3; i += 3, o += 4) EncodeGroup(src + i, buf + o);
    if (i < lineEnd) {
      // The last line's one or two remaining bytes, padded with "=".
      const std::uint32_t b0 = src[i];
      const std::uint32_t b1 = lineEnd - i == 2 ? src[i + 1] : 0;
      buf[o] = static_cast<std::uint8_t>(kAlphabet[b0 >> 2]);
      buf[o + 1] = static_cast<std::uint8_t>(kAlphabet[(b0 & 3) << 4 | b1 >> 4]);
      buf[o + 2] = lineEnd - i == 2 ? static_cast<std::uint8_t>(kAlphabet[(b1 & 15) << 2]) : '=';
      buf[o + 3] = '=';
      i = lineEnd;
      o += 4;
    }
  }
}

std::size_t DecodeInPlace(std::uint8_t* buf, std::size_t n, bool simd) {
  simd = UseVector(simd);
  std::size_t i = 0;
  std::size_t o = 0;
  std::uint32_t acc = 0;
  int count = 0;
  // A run closes at CR, LF, "=" or the end: a rest of two or three values
  // gives one or two more bytes (missing values count as zero), a rest of
  // one gives nothing.
  const auto closeRun = [&] {
    if (count == 2) {
      buf[o++] = static_cast<std::uint8_t>(acc >> 4);
    } else if (count == 3) {
      buf[o++] = static_cast<std::uint8_t>(acc >> 10);
      buf[o++] = static_cast<std::uint8_t>(acc >> 2);
    }
    acc = 0;
    count = 0;
  };
  while (i < n) {
    if (count == 0) {
#ifdef NV_BASE64_SSSE3
      if (simd) DecodeRunSimd(buf, i, n, o);
#endif
      while (n - i >= 4) {
        const std::uint32_t a = kValues[buf[i]], b = kValues[buf[i + 1]];
        const std::uint32_t c = kValues[buf[i + 2]], d = kValues[buf[i + 3]];
        if ((a | b | c | d) >= 64) break;
        const std::uint32_t v = a << 18 | b << 12 | c << 6 | d;
        buf[o] = static_cast<std::uint8_t>(v >> 16);
        buf[o + 1] = static_cast<std::uint8_t>(v >> 8);
        buf[o + 2] = static_cast<std::uint8_t>(v);
        i += 4;
        o += 3;
      }
      if (i == n) break;
    }
    const std::uint8_t v = kValues[buf[i++]];
    if (v < 64) {
      acc = acc << 6 | v;
      if (++count == 4) {
        buf[o] = static_cast<std::uint8_t>(acc >> 16);
        buf[o + 1] = static_cast<std::uint8_t>(acc >> 8);
        buf[o + 2] = static_cast<std::uint8_t>(acc);
        o += 3;
        acc = 0;
        count = 0;
      }
    } else if (v == kBreak) {
      closeRun();
    } else if (v == kEnd) {
      break;  // everything after the first "=" is ignored
    } else {
      throw EclEncoderError("Wrong symbols in source stream.");
    }
  }
  closeRun();
  return o;
}

}  // namespace nv::base64
