#include "codec/clencoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "codec/streams.h"

namespace nv {
namespace {

std::string Encoded(const std::string& in, TclEncodeMethod method, std::int32_t charsPerLine = 76) {
  TclEncoder enc;
  enc.CharsPerLine = charsPerLine;
  TMemoryStream src(in), dst;
  enc.Encode(src, dst, method);
  return dst.ToString();
}

std::string Decoded(const std::string& in, TclEncodeMethod method) {
  TclEncoder enc;
  TMemoryStream src(in), dst;
  enc.Decode(src, dst, method);
  return dst.ToString();
}

std::string DecodeError(const std::string& in, TclEncodeMethod method) {
  try {
    Decoded(in, method);
  } catch (const EclEncoderError& e) {
    return e.what();
  }
  return "(no error)";
}

std::string RandomBytes(std::size_t n, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

std::vector<std::size_t> LineLengths(const std::string& text) {
  std::vector<std::size_t> r;
  std::size_t start = 0;
  for (;;) {
    const std::size_t p = text.find("\r\n", start);
    r.push_back((p == std::string::npos ? text.size() : p) - start);
    if (p == std::string::npos) return r;
    start = p + 2;
  }
}

TEST(Base64Encode, GroupsAndPadding) {
  EXPECT_EQ(Encoded("Man", encBase64), "TWFu");
  EXPECT_EQ(Encoded("Ma", encBase64), "TWE=");
  EXPECT_EQ(Encoded("M", encBase64), "TQ==");
  EXPECT_EQ(Encoded("foobar", encBase64), "Zm9vYmFy");
  EXPECT_EQ(Encoded("fooba", encBase64), "Zm9vYmE=");
  EXPECT_EQ(Encoded("foob", encBase64), "Zm9vYg==");
  EXPECT_EQ(Encoded(std::string("\xFB\xFF\xBF", 3), encBase64), "+/+/");
  EXPECT_EQ(Encoded(std::string(3, '\0'), encBase64), "AAAA");
}

TEST(Base64Encode, LinesOf57BytesWithBreaksBetweenOnly) {
  const std::string a(57, 'a');
  const std::string line = Encoded(a, encBase64);
  EXPECT_EQ(line.size(), 76u);
  EXPECT_EQ(line.find('\r'), std::string::npos);
  EXPECT_EQ(Encoded(a + a, encBase64), line + "\r\n" + line);
  EXPECT_EQ(Encoded(a + "a", encBase64), line + "\r\nYQ==");
  // Only the last line is short, whatever the length.
  const std::string big = Encoded(RandomBytes(57 * 40 + 10, 1), encBase64);
  const auto lengths = LineLengths(big);
  ASSERT_EQ(lengths.size(), 41u);
  for (std::size_t i = 0; i + 1 < lengths.size(); ++i) EXPECT_EQ(lengths[i], 76u);
  EXPECT_EQ(lengths.back(), 16u);
}

TEST(Base64Encode, EffectiveLineLengthRoundsHalvesToEven) {
  const struct {
    std::int32_t chars;
    std::size_t line;
  } cases[] = {{10, 76}, {0, 76}, {-5, 76}, {75, 76}, {76, 76}, {77, 80}, {78, 80},
               {79, 80}, {80, 80}, {81, 80}, {82, 84}, {85, 88}, {100, 100}};
  const std::string data = RandomBytes(1000, 2);
  for (const auto& c : cases) {
    EXPECT_EQ(TclEncoder::EffectiveLineLength(c.chars, encBase64), static_cast<std::int64_t>(c.line))
        << c.chars;
    const auto lengths = LineLengths(Encoded(data, encBase64, c.chars));
    EXPECT_EQ(lengths.front(), c.line) << c.chars;
    EXPECT_EQ(Decoded(Encoded(data, encBase64, c.chars), encBase64), data) << c.chars;
  }
  // The largest setting neither overflows nor wraps.
  EXPECT_EQ(TclEncoder::EffectiveLineLength(std::numeric_limits<std::int32_t>::max(), encBase64),
            std::int64_t{2147483648});
  EXPECT_EQ(LineLengths(Encoded(data, encBase64, std::numeric_limits<std::int32_t>::max())).size(), 1u);
}

TEST(EffectiveLineLength, LimitsPerMethod) {
  EXPECT_EQ(TclEncoder::EffectiveLineLength(1, encQuotedPrintable), 4);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(50, encQuotedPrintable), 50);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(200, encQuotedPrintable), 76);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(-7, encUU), 3);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(60, encUU), 60);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(1000, encUU), 84);
  EXPECT_EQ(TclEncoder::EffectiveLineLength(1000, encCopy), 1000);
}

TEST(Base64Decode, LinesDecodeOnTheirOwn) {
  EXPECT_EQ(Decoded("TWFu\r\nTWE=", encBase64), "ManMa");
  EXPECT_EQ(Decoded("TWFu\nTWFu\rTWFu", encBase64), "ManManMan");
  // A line whose length is not a multiple of 4 ends its own group.
  EXPECT_EQ(Decoded("TWE\r\nTQ\r\nT\r\nTWFu", encBase64), "MaMMan");
  EXPECT_EQ(Decoded("\r\n\r\nTWFu\r\n\r\n", encBase64), "Man");
}

TEST(Base64Decode, FirstEqualsSignEndsTheText) {
  EXPECT_EQ(Decoded("TQ==TWFu", encBase64), "M");
  EXPECT_EQ(Decoded("TWE=\r\nTWFu\r\n", encBase64), "Ma");
  EXPECT_EQ(Decoded("=TWFu", encBase64), "");
  EXPECT_EQ(Decoded("TWFu=", encBase64), "Man");
  EXPECT_EQ(Decoded("TWFu=\t not base64 \x80", encBase64), "Man");
  EXPECT_EQ(Decoded("=", encBase64), "");
}

TEST(Base64Decode, RejectsEverythingElse) {
  for (const std::string& bad : std::vector<std::string>{"TW Fu", "TWFu\t", " ", "TWFu\r\nTW-u", "TW\x80u", "\xFF\xFF\xFF\xFF",
                                std::string("TW\0u", 4), "TWFuTWFuTWFuTWFu*"}) {
    EXPECT_EQ(DecodeError(bad, encBase64), "Wrong symbols in source stream.") << bad;
  }
  // Also far into a long text, where the fast path runs.
  std::string text = Encoded(RandomBytes(5000, 3), encBase64);
  text[3000] = '\xC3';
  EXPECT_EQ(DecodeError(text, encBase64), "Wrong symbols in source stream.");
}

TEST(Base64Decode, ErrorLeavesTheDestinationUntouched) {
  TclEncoder enc;
  TMemoryStream src("TWFuTWFu TWFu"), dst("kept");
  dst.Seek(0, TSeekOrigin::soEnd);
  EXPECT_THROW(enc.Decode(src, dst, encBase64), EclEncoderError);
  EXPECT_EQ(dst.ToString(), "kept");
}

TEST(RoundTrip, EveryLengthUpTo300) {
  const std::string data = RandomBytes(300, 4);
  for (TclEncodeMethod m : {encNone, encQuotedPrintable, encBase64, encUU, encCopy}) {
    for (std::size_t n = 0; n <= 300; ++n) {
      const std::string in = data.substr(0, n);
      ASSERT_EQ(Decoded(Encoded(in, m), m), in) << "method " << int(m) << " length " << n;
    }
  }
}

TEST(RoundTrip, RandomDataAndLineSettings) {
  std::mt19937 rng(5);
  for (int round = 0; round < 40; ++round) {
    const std::string in = RandomBytes(rng() % 20000, rng());
    const auto chars = static_cast<std::int32_t>(rng() % 130) - 10;
    for (TclEncodeMethod m : {encQuotedPrintable, encBase64, encUU}) {
      ASSERT_EQ(Decoded(Encoded(in, m, chars), m), in) << int(m) << " " << chars << " " << in.size();
    }
  }
  // Text with many line breaks, the case quoted-printable is made for.
  std::string text;
  for (int i = 0; i < 3000; ++i) text += (i % 7 == 0) ? "\r\n" : (i % 11 == 0) ? "\n" : (i % 13 == 0) ? "\r" : "word= ";
  for (std::int32_t chars : {4, 5, 6, 7, 30, 76})
    EXPECT_EQ(Decoded(Encoded(text, encQuotedPrintable, chars), encQuotedPrintable), text) << chars;
}

TEST(Progress, ExactlyZeroAndHundredPerCall) {
  TclEncoder enc;
  std::vector<int> events;
  enc.OnProgress = [&](TclEncoder& sender, int percent) {
    EXPECT_EQ(&sender, &enc);
    events.push_back(percent);
  };
  for (TclEncodeMethod m : {encNone, encQuotedPrintable, encBase64, encUU, encCopy}) {
    TMemoryStream src(RandomBytes(1000, 6)), mid, back;
    enc.Encode(src, mid, m);
    mid.SetPosition(0);
    enc.Decode(mid, back, m);
    EXPECT_EQ(events, (std::vector<int>{0, 100, 0, 100})) << int(m);
    events.clear();
  }
}

TEST(Progress, EmptySourceDoesNothingAtAll) {
  TclEncoder enc;
  int events = 0;
  enc.OnProgress = [&](TclEncoder&, int) { ++events; };
  for (TclEncodeMethod m : {encNone, encQuotedPrintable, encBase64, encUU, encCopy, TclEncodeMethod{7}}) {
    TMemoryStream src, dst("keep");
    enc.Encode(src, dst, m);
    enc.Decode(src, dst, m);
    EXPECT_EQ(dst.ToString(), "keep");
  }
  EXPECT_EQ(events, 0);
}

TEST(Progress, UnsupportedFormatAfterTheZeroEvent) {
  for (TclEncodeMethod m : {5, 7, 255}) {
    TclEncoder enc;
    std::vector<int> events;
    enc.OnProgress = [&](TclEncoder&, int percent) { events.push_back(percent); };
    TMemoryStream src("abc"), dst;
    try {
      enc.Encode(src, dst, m);
      ADD_FAILURE() << "no error";
    } catch (const EclEncoderError& e) {
      EXPECT_STREQ(e.what(), "Unsupported format.");
    }
    EXPECT_THROW(enc.Decode(src, dst, m), EclEncoderError);
    EXPECT_EQ(events, (std::vector<int>{0, 0}));
    EXPECT_EQ(dst.Size(), 0);
  }
}

TEST(Streams, PositionsAreRespected) {
  TclEncoder enc;
  // The source is read from its position; the text goes after what the
  // destination already holds.
  TMemoryStream src("xxMan"), dst("head:");
  src.SetPosition(2);
  dst.Seek(0, TSeekOrigin::soEnd);
  enc.Encode(src, dst, encBase64);
  EXPECT_EQ(dst.ToString(), "head:TWFu");
  TMemoryStream copied;
  src.SetPosition(3);
  enc.Encode(src, copied, encCopy);
  EXPECT_EQ(copied.ToString(), "an");
}

TEST(QuotedPrintable, EscapesAndPassThrough) {
  EXPECT_EQ(Encoded("a=b", encQuotedPrintable), "a=3Db");
  EXPECT_EQ(Encoded("a\nb", encQuotedPrintable), "a=0Ab");
  EXPECT_EQ(Encoded("a\r\nb", encQuotedPrintable), "a\r\nb");
  EXPECT_EQ(Encoded("a\rb\r", encQuotedPrintable), "a=0Db=0D");
  EXPECT_EQ(Encoded("\r\r\n", encQuotedPrintable), "=0D\r\n");
  EXPECT_EQ(Encoded("\t~\x7F\x80\xFF\x01 ", encQuotedPrintable), "=09~=7F=80=FF=01 ");
  EXPECT_EQ(Encoded("end \r\n", encQuotedPrintable), "end \r\n");
}

TEST(QuotedPrintable, SoftBreakOnceTheLineHoldsMoreThanLMinus6) {
  const std::string a100(100, 'a');
  EXPECT_EQ(Encoded(a100, encQuotedPrintable), std::string(71, 'a') + "=\r\n" + std::string(29, 'a'));
  EXPECT_EQ(Encoded(a100, encQuotedPrintable, 20), std::string(15, 'a') + "=\r\n" + std::string(15, 'a') +
                                                       "=\r\n" + std::string(15, 'a') + "=\r\n" +
                                                       std::string(15, 'a') + "=\r\n" + std::string(15, 'a') +
                                                       "=\r\n" + std::string(15, 'a') + "=\r\n" + "aaaaaaaaaa");
  // An escape may take the line to L - 3 characters before the "=".
  const std::string escaped = Encoded(std::string(70, 'a') + "=bc", encQuotedPrintable);
  EXPECT_EQ(escaped, std::string(70, 'a') + "=3D=\r\nbc");
  // A hard break resets the count.
  EXPECT_EQ(Encoded(std::string(60, 'a') + "\r\n" + std::string(60, 'b'), encQuotedPrintable),
            std::string(60, 'a') + "\r\n" + std::string(60, 'b'));
  // Below 6 every byte gets its own line.
  EXPECT_EQ(Encoded("ab", encQuotedPrintable, 1), "=\r\na=\r\nb");
  // No line of the output is longer than L.
  const std::string mixed = Encoded(RandomBytes(5000, 7), encQuotedPrintable);
  for (std::size_t len : LineLengths(mixed)) EXPECT_LE(len, 76u);
}

TEST(QuotedPrintable, EncodingEmptiesTheDestination) {
  TclEncoder enc;
  TMemoryStream src("x"), dst("old content");
  enc.Encode(src, dst, encQuotedPrintable);
  EXPECT_EQ(dst.ToString(), "x");
}

TEST(QuotedPrintable, Decoding) {
  EXPECT_EQ(Decoded("a=3Db=3d=0A=0D=FF", encQuotedPrintable), "a=b=\n\r\xFF");
  EXPECT_EQ(Decoded("abc=\r\ndef", encQuotedPrintable), "abcdef");
  EXPECT_EQ(Decoded("abc=\r\n\r\ndef", encQuotedPrintable), "abc\r\ndef");
  // Every kind of line break comes out as CR LF.
  EXPECT_EQ(Decoded("a\nb\rc\r\n\r\nd\n\re", encQuotedPrintable), "a\r\nb\r\nc\r\n\r\nd\r\n\r\ne");
  EXPECT_EQ(Decoded("\r\nx\r\n", encQuotedPrintable), "\r\nx\r\n");
  // "=" as the last character, alone or before a final line break.
  EXPECT_EQ(Decoded("abc=", encQuotedPrintable), "abc");
  EXPECT_EQ(Decoded("abc=\r", encQuotedPrintable), "abc");
  EXPECT_EQ(Decoded("abc=\n", encQuotedPrintable), "abc");
  EXPECT_EQ(Decoded("=", encQuotedPrintable), "");
  EXPECT_EQ(Decoded(" \t\x80", encQuotedPrintable), " \t\x80");
}

TEST(QuotedPrintable, BadEscapes) {
  for (const char* bad : {"=G0", "=0G", "==", "=4", "a=4\r\n", "=\t0", "= 0", "x=\xC3\xA9"})
    EXPECT_EQ(DecodeError(bad, encQuotedPrintable), "Wrong quoted-printed symbols.") << bad;
  // What was decoded before the error stays in the destination.
  TclEncoder enc;
  TMemoryStream src("ok\r\nfine=3D=XY rest"), dst("old");
  EXPECT_THROW(enc.Decode(src, dst, encQuotedPrintable), EclEncoderError);
  EXPECT_EQ(dst.ToString(), "ok\r\nfine=");
}

TEST(UU, Encoding) {
  EXPECT_EQ(Encoded("Cat", encUU), "#0V%T\r\n`\r\n");
  EXPECT_EQ(Encoded("C", encUU), "!0P\r\n`\r\n");
  EXPECT_EQ(Encoded("Ca", encUU), "\"0V$\r\n`\r\n");
  // Zero values are written as the grave accent.
  EXPECT_EQ(Encoded(std::string(3, '\0'), encUU), "#````\r\n`\r\n");
  // A size that is a multiple of the line gets an empty data line first.
  const std::string line57 = Encoded(std::string(57, 'x'), encUU);
  ASSERT_EQ(line57.size(), 1 + 76 + 2 + 3 + 3u);
  EXPECT_EQ(line57[0], 'Y');  // 57 + 32
  EXPECT_EQ(line57.substr(77), "\r\n`\r\n`\r\n");
  EXPECT_EQ(Encoded(std::string(58, 'x'), encUU).substr(79), "!>`\r\n`\r\n");
}

TEST(UU, LineLengthSetting) {
  // At the smallest setting a line holds two bytes.
  EXPECT_EQ(Encoded("abcd", encUU, 0), "\"86(\r\n\"8V0\r\n`\r\n`\r\n");
  const std::string wide = Encoded(RandomBytes(200, 8), encUU, 500);
  EXPECT_EQ(LineLengths(wide).front(), 85u);  // 63 bytes per line
}

TEST(UU, Decoding) {
  EXPECT_EQ(Decoded("#0V%T\r\n`\r\n", encUU), "Cat");
  EXPECT_EQ(Decoded("begin 644 cat.txt\n#0V%T\n`\nend\n", encUU), "Cat");
  // Only the first line may be a "begin" line.
  EXPECT_EQ(Decoded("#0V%T\nbegin\n", encUU), "Cat\x14r");
  // A length larger than the line: missing values count as zero.
  EXPECT_EQ(Decoded("&0V%T\r\n", encUU), std::string("Cat\0\0\0", 6));
  EXPECT_EQ(Decoded("M", encUU), std::string(45, '\0'));
  // Characters beyond the count are ignored, and a zero length ends the text.
  EXPECT_EQ(Decoded("!0V%T\n`\n#0V%T\n", encUU), "C");
  EXPECT_EQ(Decoded(" 0V%T\n#0V%T\n", encUU), "");
  // Empty lines give nothing.
  EXPECT_EQ(Decoded("\r\n\r\n#0V%T\r\n\r\n#0V%T", encUU), "CatCat");
  // Any byte is a value modulo 64.
  EXPECT_EQ(Decoded("\xA1\x80\x80", encUU), "\x82");
}

// A stream that claims a size far beyond memory.
class HugeStream : public TStream {
 public:
  std::int64_t Size() override { return std::numeric_limits<std::int64_t>::max() - 1; }
  void SetSize(std::int64_t) override {}
  std::int64_t Position() override { return 0; }
  std::int64_t Seek(std::int64_t, TSeekOrigin) override { return 0; }
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void*, std::size_t count) override { return count; }

 protected:
  std::string Describe() const override { return "huge"; }
};

TEST(Limits, SourceTooLargeForMemoryIsRefusedClearly) {
  TclEncoder enc;
  for (TclEncodeMethod m : {encQuotedPrintable, encBase64, encUU}) {
    HugeStream src;
    TMemoryStream dst;
    for (bool encode : {true, false}) {
      try {
        encode ? enc.Encode(src, dst, m) : enc.Decode(src, dst, m);
        ADD_FAILURE() << "no error";
      } catch (const EclEncoderError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("9223372036854775806"), std::string::npos) << e.what();
      }
    }
  }
  // Copying goes piece by piece and needs no such memory.
  HugeStream src;
  TMemoryStream dst;
  enc.Encode(src, dst, encCopy);
  EXPECT_EQ(dst.Size(), 0);
}

}  // namespace
}  // namespace nv
