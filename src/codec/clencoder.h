// TclEncoder turns the whole content of a stream into its Base64,
// quoted-printable or UU text form in another stream, and back.
//
// Each call reads the source once, converts it in memory in one pass and
// writes the result with one write; Base64 encoding from a file into a file
// instead goes in pieces of about 1 MiB, each read, encoded and written
// while it is in the cache, with the same text and progress events. Sizes
// are 64-bit; a source that cannot be held in memory is refused with an
// EclEncoderError saying so.
#pragma once

#include <cstdint>
#include <functional>

#include "codec/streams.h"
#include "ui/errors.h"

namespace nv {

class EclEncoderError : public Exception {
 public:
  using Exception::Exception;
};

// The method is a byte, so values the encoder does not know can reach it;
// those raise "Unsupported format.".
using TclEncodeMethod = std::uint8_t;
inline constexpr TclEncodeMethod encNone = 0;
inline constexpr TclEncodeMethod encQuotedPrintable = 1;
inline constexpr TclEncodeMethod encBase64 = 2;
inline constexpr TclEncodeMethod encUU = 3;
inline constexpr TclEncodeMethod encCopy = 4;

class TclEncoder;
using TclEncoderProgressEvent = std::function<void(TclEncoder& sender, int percent)>;

class TclEncoder {
 public:
  TclEncoder() = default;
  TclEncoder(const TclEncoder&) = delete;
  TclEncoder& operator=(const TclEncoder&) = delete;

  // Wanted length of an output line; kept as set and limited per method when
  // used (see EffectiveLineLength).
  std::int32_t CharsPerLine = 76;
  // Called with 0 before and 100 after the work of every call that has a
  // non-empty source.
  TclEncoderProgressEvent OnProgress;

  // Encodes the bytes from the source's position up to its size and writes
  // the text at the destination's position (quoted-printable empties the
  // destination first). An empty source writes nothing and reports nothing.
  void Encode(TStream& source, TStream& destination, TclEncodeMethod method);
  // The reverse of Encode, with the same framing.
  void Decode(TStream& source, TStream& destination, TclEncodeMethod method);

  // The line length the method really uses for CharsPerLine.
  static std::int64_t EffectiveLineLength(std::int32_t charsPerLine, TclEncodeMethod method);

 private:
  void Run(TStream& source, TStream& destination, TclEncodeMethod method, bool encoding);
  void Progress(int percent);
};

}  // namespace nv
