#include "codec/clencoder.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "codec/base64.h"
#include "codec/large_alloc.h"

namespace nv {

namespace {

// Copies move in pieces of this size, so copying a large file needs little
// memory.
constexpr std::size_t kCopyChunk = 1 << 20;

[[noreturn]] void ThrowTooLarge(std::int64_t size) {
  throw EclEncoderError("The source stream is too large to be processed in memory (" +
                        std::to_string(size) + " bytes).");
}

struct FreeDeleter {
  void operator()(std::uint8_t* p) const { std::free(p); }
};
using Buffer = std::unique_ptr<std::uint8_t[], FreeDeleter>;

// A buffer that is filled completely before it is read, so it is left
// uninitialised. malloc rather than new: a request that cannot be met comes
// back as null, also under the address sanitizer, and becomes a clear error.
Buffer Allocate(std::uint64_t bytes, std::int64_t sourceSize) {
  if (bytes > kMaxInMemory) ThrowTooLarge(sourceSize);
  auto* p = static_cast<std::uint8_t*>(AllocateLarge(static_cast<std::size_t>(bytes)));
  if (!p) ThrowTooLarge(sourceSize);
  return Buffer(p);
}

// The bytes a call works on: from the source's position up to its size.
std::uint64_t Remaining(TStream& source, std::int64_t size) {
  const std::int64_t pos = source.Position();
  return pos < size ? static_cast<std::uint64_t>(size - pos) : 0;
}

// Reads the rest of the source into a new buffer; n becomes the count read.
Buffer ReadAll(TStream& source, std::int64_t size, std::size_t& n) {
  const std::uint64_t want = Remaining(source, size);
  Buffer buf = Allocate(want, size);
  n = want == 0 ? 0 : source.Read(buf.get(), static_cast<std::size_t>(want));
  return buf;
}

int Percent(std::int64_t position, std::int64_t size) {
  if (position >= size) return 100;
  if (position <= 0) return 0;
  int p = size <= std::numeric_limits<std::int64_t>::max() / 100
              ? static_cast<int>(position * 100 / size)
              : static_cast<int>(static_cast<long double>(position) * 100 / static_cast<long double>(size));
  return std::min(p, 99);
}

char UUChar(std::uint32_t value) {
  value &= 63;
  return value == 0 ? '`' : static_cast<char>(value + 32);
}

std::uint32_t UUValue(std::uint8_t c) { return static_cast<std::uint32_t>(c - 32) & 63; }

bool IsBreak(std::uint8_t c) { return c == '\r' || c == '\n'; }

int HexValue(std::uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// --- steps ----------------------------------------------------------------

void CopyStep(TStream& source, TStream& destination, std::int64_t size) {
  std::uint64_t left = Remaining(source, size);
  Buffer chunk = Allocate(std::min<std::uint64_t>(left, kCopyChunk), size);
  while (left > 0) {
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(left, kCopyChunk));
    const std::size_t got = source.Read(chunk.get(), want);
    if (got == 0) break;
    destination.WriteBuffer(chunk.get(), got);
    left -= got;
  }
}

// Fills buf with up to want bytes, reading again after a short read; fewer
// only at the end of the source.
std::size_t ReadFull(TStream& source, std::uint8_t* buf, std::size_t want) {
  std::size_t got = 0;
  while (got < want) {
    const std::size_t n = source.Read(buf + got, want - got);
    if (n == 0) break;
    got += n;
  }
  return got;
}

// File to file, the text goes out in pieces of about 1 MiB of source (whole
// lines), each read, encoded and written while it is in the cache. The text
// is the same as in one piece: every piece but the last holds whole lines,
// and the line break between pieces goes in front of the next one.
void Base64EncodePieces(TStream& source, TStream& destination, std::uint64_t n, std::uint64_t bytesPerLine) {
  const std::uint64_t piece = std::max<std::uint64_t>(1, kCopyChunk / bytesPerLine) * bytesPerLine;
  const std::uint64_t pieceText = base64::EncodedSize(piece, bytesPerLine);
  if (pieceText == std::numeric_limits<std::uint64_t>::max() || pieceText + 2 > kMaxInMemory) ThrowTooLarge(static_cast<std::int64_t>(n));
  const auto room = static_cast<std::size_t>(pieceText + 2);
  Buffer buf = Allocate(room, static_cast<std::int64_t>(n));
  bool first = true;
  for (std::uint64_t left = n; left > 0;) {
    const auto want = static_cast<std::size_t>(std::min(left, piece));
    // The source goes to the end of the buffer; its text ends there too,
    // with two bytes in front for the line break.
    std::uint8_t* in = buf.get() + room - want;
    const std::size_t got = ReadFull(source, in, want);
    if (got == 0) break;
    const auto text = static_cast<std::size_t>(base64::EncodedSize(got, bytesPerLine));
    if (got < want) std::memmove(buf.get() + room - got, in, got);
    std::uint8_t* out = buf.get() + room - text - 2;
    base64::EncodeInPlace(out + 2, got, static_cast<std::size_t>(bytesPerLine));
    out[0] = '\r';
    out[1] = '\n';
    destination.WriteBuffer(first ? out + 2 : out, first ? text : text + 2);
    first = false;
    if (got < want) break;
    left -= got;
  }
}

void Base64EncodeStep(TStream& source, TStream& destination, std::int64_t size, std::int64_t lineLength) {
  const auto bytesPerLine = static_cast<std::uint64_t>(lineLength * 3 / 4);
  const std::uint64_t n = Remaining(source, size);
  if (n == 0) return;
  if (bytesPerLine <= kCopyChunk && dynamic_cast<TFileStream*>(&source) && dynamic_cast<TFileStream*>(&destination)) {
    Base64EncodePieces(source, destination, n, bytesPerLine);
    return;
  }
  std::uint64_t total = base64::EncodedSize(n, bytesPerLine);
  if (total == std::numeric_limits<std::uint64_t>::max() || bytesPerLine > kMaxInMemory) ThrowTooLarge(size);
  // The source goes to the end of the buffer the text is built in.
  Buffer buf = Allocate(total, size);
  std::size_t got = source.Read(buf.get() + (total - n), static_cast<std::size_t>(n));
  if (got < n) {
    // The stream ended early: encode what it gave.
    if (got == 0) return;
    const std::uint64_t shorter = base64::EncodedSize(got, bytesPerLine);
    std::memmove(buf.get() + (shorter - got), buf.get() + (total - n), got);
    total = shorter;
  }
  base64::EncodeInPlace(buf.get(), got, static_cast<std::size_t>(bytesPerLine));
  destination.WriteBuffer(buf.get(), static_cast<std::size_t>(total));
}

void Base64DecodeStep(TStream& source, TStream& destination, std::int64_t size) {
  std::size_t n = 0;
  Buffer buf = ReadAll(source, size, n);
  const std::size_t m = base64::DecodeInPlace(buf.get(), n);
  destination.WriteBuffer(buf.get(), m);
}

void UUEncodeStep(TStream& source, TStream& destination, std::int64_t size, std::int64_t lineLength) {
  const auto bytesPerLine = static_cast<std::size_t>(lineLength * 3 / 4);  // 2..63
  std::size_t n = 0;
  const Buffer buf = ReadAll(source, size, n);
  if (n == 0) return;
  const std::uint8_t* s = buf.get();
  std::string out;
  out.reserve(n / 3 * 4 + n / bytesPerLine * 4 + 16);
  for (std::size_t i = 0; i < n;) {
    const std::size_t k = std::min(bytesPerLine, n - i);
    out += UUChar(static_cast<std::uint32_t>(k));
    for (std::size_t g = 0; g < k; g += 3) {
      const std::size_t left = k - g;
      const std::uint32_t b0 = s[i + g];
      const std::uint32_t b1 = left > 1 ? s[i + g + 1] : 0;
      const std::uint32_t b2 = left > 2 ? s[i + g + 2] : 0;
      const std::uint32_t v = b0 << 16 | b1 << 8 | b2;
      // A last group of one or two bytes gives two or three characters.
      const std::size_t chars = std::min<std::size_t>(left, 3) + 1;
      for (std::size_t c = 0; c < chars; ++c) out += UUChar(v >> (18 - 6 * c));
    }
    i += k;
    out += "\r\n";
  }
  if (n % bytesPerLine == 0) out += "`\r\n";
  out += "`\r\n";
  destination.WriteBuffer(out.data(), out.size());
}

void UUDecodeStep(TStream& source, TStream& destination, std::int64_t size) {
  std::size_t n = 0;
  const Buffer buf = ReadAll(source, size, n);
  const std::uint8_t* s = buf.get();
  std::string out;
  out.reserve(n);
  std::size_t i = 0;
  if (n >= 5 && std::memcmp(s, "begin", 5) == 0)
    while (i < n && !IsBreak(s[i])) ++i;
  while (i < n) {
    if (IsBreak(s[i])) {  // line ends, and empty lines, give nothing
      ++i;
      continue;
    }
    const std::uint32_t count = UUValue(s[i++]);
    if (count == 0) break;
    std::size_t lineEnd = i;
    while (lineEnd < n && !IsBreak(s[lineEnd])) ++lineEnd;
    // Values missing on a short line count as zero; characters beyond the
    // count are ignored.
    for (std::uint32_t produced = 0; produced < count; produced += 3) {
      std::uint32_t v = 0;
      for (int k = 0; k < 4; ++k) v = v << 6 | (i < lineEnd ? UUValue(s[i++]) : 0);
      const std::uint32_t bytes = std::min<std::uint32_t>(3, count - produced);
      for (std::uint32_t b = 0; b < bytes; ++b) out += static_cast<char>(v >> (16 - 8 * b));
    }
    i = lineEnd;
  }
  destination.WriteBuffer(out.data(), out.size());
}

void StartFromEmpty(TStream& destination) {
  destination.SetSize(0);
  destination.SetPosition(0);
}

void QPEncodeStep(TStream& source, TStream& destination, std::int64_t size, std::int64_t lineLength) {
  std::size_t n = 0;
  const Buffer buf = ReadAll(source, size, n);
  const std::uint8_t* s = buf.get();
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(n + n / 4 + 16);
  std::int64_t column = 0;
  for (std::size_t i = 0; i < n;) {
    if (column > lineLength - 6) {
      out += "=\r\n";
      column = 0;
    }
    const std::uint8_t c = s[i];
    if (c == '\r' && i + 1 < n && s[i + 1] == '\n') {
      out += "\r\n";
      column = 0;
      i += 2;
      continue;
    }
    if (c >= 32 && c <= 126 && c != '=') {
      out += static_cast<char>(c);
      ++column;
    } else {
      out += '=';
      out += kHex[c >> 4];
      out += kHex[c & 15];
      column += 3;
    }
    ++i;
  }
  StartFromEmpty(destination);
  destination.WriteBuffer(out.data(), out.size());
}

void QPDecodeStep(TStream& source, TStream& destination, std::int64_t size) {
  std::size_t n = 0;
  const Buffer buf = ReadAll(source, size, n);
  const std::uint8_t* s = buf.get();
  std::string out;
  out.reserve(n);
  bool pendingEquals = false;
  std::size_t i = 0;
  for (;;) {
    // The line breaks before the line's text: CR LF, a lone CR and a lone LF
    // each count as one; a soft break takes one of them away.
    std::size_t breaks = 0;
    while (i < n && IsBreak(s[i])) {
      i += s[i] == '\r' && i + 1 < n && s[i + 1] == '\n' ? 2 : 1;
      ++breaks;
    }
    if (pendingEquals && breaks > 0) --breaks;
    for (; breaks > 0; --breaks) out += "\r\n";
    if (i >= n) break;
    pendingEquals = false;
    while (i < n && !IsBreak(s[i])) {
      if (s[i] != '=') {
        out += static_cast<char>(s[i++]);
        continue;
      }
      if (i + 1 == n || IsBreak(s[i + 1])) {  // "=" last on the line: soft break
        pendingEquals = true;
        ++i;
        break;
      }
      const int hi = HexValue(s[i + 1]);
      const int lo = i + 2 < n ? HexValue(s[i + 2]) : -1;
      if (hi < 0 || lo < 0) {
        // What was decoded up to here stays in the destination.
        StartFromEmpty(destination);
        destination.WriteBuffer(out.data(), out.size());
        throw EclEncoderError("Wrong quoted-printed symbols.");
      }
      out += static_cast<char>(hi << 4 | lo);
      i += 3;
    }
  }
  StartFromEmpty(destination);
  destination.WriteBuffer(out.data(), out.size());
}

}  // namespace

std::int64_t TclEncoder::EffectiveLineLength(std::int32_t charsPerLine, TclEncodeMethod method) {
  const std::int64_t n = charsPerLine;
  switch (method) {
    case encQuotedPrintable:
      return std::clamp<std::int64_t>(n, 4, 76);
    case encBase64: {
      if (n < 76) return 76;
      // round(n / 4 + 0.25) * 4 with halves going to the even neighbour.
      const std::int64_t q = (n + 1) / 4;
      const std::int64_t r = (n + 1) % 4;
      const std::int64_t rounded = r < 2 ? q : r > 2 ? q + 1 : q + (q & 1);
      return rounded * 4;
    }
    case encUU:
      return std::clamp<std::int64_t>(n, 3, 84);
    default:
      return n;
  }
}

void TclEncoder::Progress(int percent) {
  if (OnProgress) OnProgress(*this, percent);
}

void TclEncoder::Encode(TStream& source, TStream& destination, TclEncodeMethod method) {
  Run(source, destination, method, true);
}

void TclEncoder::Decode(TStream& source, TStream& destination, TclEncodeMethod method) {
  Run(source, destination, method, false);
}

void TclEncoder::Run(TStream& source, TStream& destination, TclEncodeMethod method, bool encoding) {
  const std::int64_t size = source.Size();
  if (size <= 0) return;
  Progress(0);
  const std::int64_t lineLength = EffectiveLineLength(CharsPerLine, method);
  try {
    switch (method) {
      case encNone:
      case encCopy:
        CopyStep(source, destination, size);
        break;
      case encQuotedPrintable:
        if (encoding)
          QPEncodeStep(source, destination, size, lineLength);
        else
          QPDecodeStep(source, destination, size);
        break;
      case encBase64:
        if (encoding)
          Base64EncodeStep(source, destination, size, lineLength);
        else
          Base64DecodeStep(source, destination, size);
        break;
      case encUU:
        if (encoding)
          UUEncodeStep(source, destination, size, lineLength);
        else
          UUDecodeStep(source, destination, size);
        break;
      default:
        throw EclEncoderError("Unsupported format.");
    }
  } catch (const std::bad_alloc&) {
    ThrowTooLarge(size);
  } catch (const std::length_error&) {
    ThrowTooLarge(size);
  }
  Progress(Percent(source.Position(), size));
}

}  // namespace nv
