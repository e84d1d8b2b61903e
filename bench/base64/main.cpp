// Base64 through TclEncoder on 64 MiB of random data with 76-character CRLF
// lines, against two references measured in the same run: memcpy of the same
// size (the most any in-memory pass can do) and coreutils' "base64 -w 76" on
// the same file. Both file-based sides read the same file from disk (warm in
// the page cache after the first run) and write to a file or to /dev/null.
// coreutils writes LF line ends, our encoder CRLF; the speeds are counted in
// bytes of binary data on both sides, so the ratios compare like with like.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "codec/base64.h"
#include "common/timing.h"
#include "codec/clencoder.h"
#include "codec/streams.h"
#include "ui/paths.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kSize = 64u << 20;
constexpr int kRuns = 5;

// Best of kRuns, in seconds; `prepare` runs before each, untimed.
double Best(const std::function<void()>& run, const std::function<void()>& prepare = {}) {
  double best = 1e30;
  for (int i = 0; i < kRuns; ++i) {
    if (prepare) prepare();
    const auto t0 = Clock::now();
    run();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - t0).count());
  }
  return best;
}

// Every file-to-file run writes a file that does not exist yet: replacing
// the last run's 90 MB would time the release of its pages, which depends
// on how much of it the kernel has written back meanwhile.
std::function<void()> Fresh(const std::filesystem::path& target) {
  return [target] {
    std::error_code ec;
    std::filesystem::remove(target, ec);
  };
}

double MBps(double seconds) { return static_cast<double>(kSize) / 1e6 / seconds; }

std::string Quote(const std::filesystem::path& p) {
  std::string q = "'";
  q += p.string();
  q += "'";
  return q;
}

void Shell(const std::string& command) {
  if (std::system(command.c_str()) != 0) {
    std::fprintf(stderr, "command failed: %s\n", command.c_str());
    std::exit(1);
  }
}

std::string Slurp(const std::filesystem::path& p) { return nv::ReadWholeFile(nv::PathToUtf8(p)); }

using nv::bench::Check;

}  // namespace

int main() {
  namespace fs = std::filesystem;
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("nv-bench-base64-" + std::to_string(rd()));
  fs::create_directories(dir);
  const fs::path data = dir / "data.bin", ours = dir / "ours.b64", theirs = dir / "coreutils.b64",
                 back = dir / "back.bin";
  const std::string devNull = "/dev/null";

  std::vector<std::uint8_t> bytes(kSize);
  std::mt19937_64 rng(20240601);
  for (std::size_t i = 0; i < kSize; i += 8) {
    const std::uint64_t v = rng();
    std::memcpy(&bytes[i], &v, 8);
  }
  {
    nv::TFileStream f(nv::PathToUtf8(data), nv::TFileMode::fmCreate);
    f.WriteBuffer(bytes.data(), bytes.size());
  }

  // memcpy between two buffers already paged in.
  std::vector<std::uint8_t> copy(kSize, 1);
  const double tMemcpy = Best([&] {
    std::memcpy(copy.data(), bytes.data(), kSize);
    Check(copy[kSize / 2] == bytes[kSize / 2], "memcpy");
  });

  nv::TclEncoder enc;
  // Encoding in memory: the component's read, pass and write, into a
  // destination stream whose storage is already there.
  nv::TMemoryStream memSrc(std::string_view(reinterpret_cast<const char*>(bytes.data()), kSize));
  nv::TMemoryStream memDst;
  const double tEncMem = Best([&] {
    memSrc.SetPosition(0);
    memDst.SetPosition(0);
    enc.Encode(memSrc, memDst, nv::encBase64);
  });
  // The bare pass on a buffer, to show what the stream copies cost.
  const auto total = static_cast<std::size_t>(nv::base64::EncodedSize(kSize, 57));
  std::vector<std::uint8_t> work(total);
  const double tEncPass = Best([&] {
    std::memcpy(work.data() + (total - kSize), bytes.data(), kSize);
    nv::base64::EncodeInPlace(work.data(), kSize, 57);
  }) - tMemcpy;

  // What the one-read, one-write shape costs before any work: the first
  // touch of a fresh buffer of the text's size (the kernel maps and clears
  // every page).
  const double tFaults = Best([&] {
    auto* p = static_cast<volatile std::uint8_t*>(std::malloc(total));
    Check(p != nullptr, "malloc");
    for (std::size_t i = 0; i < total; i += 4096) p[i] = 1;
    std::free(const_cast<std::uint8_t*>(p));
  });

  // For comparison only, not how the component works: the same pass over
  // pieces of 1 MiB (whole lines) that stay in the cache, with a read and a
  // write per piece.
  const double tEncPieces = Best([&] {
    constexpr std::size_t kPiece = 57 * 18396;
    const auto pieceText = static_cast<std::size_t>(nv::base64::EncodedSize(kPiece, 57));
    std::vector<std::uint8_t> piece(pieceText + 2);
    nv::TFileStream src(nv::PathToUtf8(data), nv::TFileMode::fmOpenRead);
    nv::TFileStream dst(nv::PathToUtf8(ours), nv::TFileMode::fmCreate);
    bool first = true;
    for (;;) {
      const auto room = pieceText + 2;
      // The piece goes to the end of the buffer and its text ends where it
      // ended, with room for the line break before it.
      const std::size_t got = src.Read(piece.data() + room - kPiece, kPiece);
      if (got == 0) break;
      const auto text = static_cast<std::size_t>(nv::base64::EncodedSize(got, 57));
      std::uint8_t* out = piece.data() + room - kPiece + got - text - 2;
      nv::base64::EncodeInPlace(out + 2, got, 57);
      out[0] = '\r';
      out[1] = '\n';
      dst.WriteBuffer(first ? out + 2 : out, first ? text : text + 2);
      first = false;
    }
  }, Fresh(ours));
  Check(Slurp(ours) == std::string(memDst.View()), "pieces give the same text");

  const auto encodeFile = [&](const std::string& to) {
    nv::TFileStream src(nv::PathToUtf8(data), nv::TFileMode::fmOpenRead);
    nv::TFileStream dst(to, nv::TFileMode::fmCreate);
    enc.Encode(src, dst, nv::encBase64);
  };
  const double tEncFile = Best([&] { encodeFile(nv::PathToUtf8(ours)); }, Fresh(ours));
  const double tEncNull = Best([&] { encodeFile(devNull); });

  // The shell that std::system starts is not part of coreutils' work.
  const double tShell = Best([&] { Shell(":"); });
  const std::string cuEncode = "base64 -w 76 " + Quote(data) + " > ";
  const double tCuEncFile = Best([&] { Shell(cuEncode + Quote(theirs)); }, Fresh(theirs)) - tShell;
  const double tCuEncNull = Best([&] { Shell(cuEncode + devNull); }) - tShell;

  // Same text, line ends aside.
  {
    const std::string a = Slurp(ours);
    std::string b = Slurp(theirs);
    Check(!b.empty() && b.back() == '\n', "coreutils ends with a line feed");
    b.pop_back();
    std::string crlf;
    crlf.reserve(a.size());
    for (char c : b) {
      if (c == '\n') crlf += '\r';
      crlf += c;
    }
    Check(a == crlf, "our text equals coreutils' text with CRLF line ends");
    Check(memDst.View() == a, "memory and file encodings agree");
  }

  const auto decodeFile = [&](const fs::path& from, const std::string& to) {
    nv::TFileStream src(nv::PathToUtf8(from), nv::TFileMode::fmOpenRead);
    nv::TFileStream dst(to, nv::TFileMode::fmCreate);
    enc.Decode(src, dst, nv::encBase64);
  };
  nv::TMemoryStream memText(Slurp(ours));
  nv::TMemoryStream memBack;
  const double tDecMem = Best([&] {
    memText.SetPosition(0);
    memBack.SetPosition(0);
    enc.Decode(memText, memBack, nv::encBase64);
  });
  Check(memBack.Size() == static_cast<std::int64_t>(kSize) &&
            std::memcmp(memBack.Memory(), bytes.data(), kSize) == 0,
        "memory decoding gives the data back");
  std::vector<std::uint8_t> textCopy(memText.Memory(), memText.Memory() + memText.Size());
  const double tDecPass = Best([&] {
    std::memcpy(work.data(), textCopy.data(), total);
    Check(nv::base64::DecodeInPlace(work.data(), total) == kSize, "bare decoding");
  }) - tMemcpy * static_cast<double>(total) / static_cast<double>(kSize);
  const double tDecFile = Best([&] { decodeFile(ours, nv::PathToUtf8(back)); }, Fresh(back));
  Check(Slurp(back) == std::string(bytes.begin(), bytes.end()), "file decoding gives the data back");
  const double tDecLf = Best([&] { decodeFile(theirs, nv::PathToUtf8(back)); }, Fresh(back));
  Check(Slurp(back) == std::string(bytes.begin(), bytes.end()), "decoding coreutils' text");
  const double tDecNull = Best([&] { decodeFile(ours, devNull); });
  const std::string cuDecode = "base64 -d " + Quote(theirs) + " > ";
  const double tCuDecFile = Best([&] { Shell(cuDecode + Quote(back)); }, Fresh(back)) - tShell;
  const double tCuDecNull = Best([&] { Shell(cuDecode + devNull); }) - tShell;

  std::printf("Base64, 64 MiB of random data, 76-character lines; best of %d runs;\n", kRuns);
  std::printf("MB/s counted in binary bytes (10^6); vector pass %s\n\n",
              nv::base64::SimdAvailable() ? "on (SSSE3)" : "off (scalar)");
  const auto row = [](const char* what, double t) { std::printf("%-46s %9.0f", what, MBps(t)); };
  const auto vsMemcpy = [&](const char* what, double t) {
    row(what, t);
    std::printf("   memcpy is %.2fx faster\n", t / tMemcpy);
  };
  const auto vsCoreutils = [&](const char* what, double t, double tCoreutils) {
    row(what, t);
    std::printf("   %.2fx coreutils (%.0f MB/s)\n", tCoreutils / t, MBps(tCoreutils));
  };
  std::printf("%-46s %9s\n", "", "MB/s");
  row("memcpy, same size (reference)", tMemcpy);
  std::printf("\n");
  vsMemcpy("encode, memory stream to memory stream", tEncMem);
  vsMemcpy("encode, bare in-place pass on a buffer", tEncPass);
  vsCoreutils("encode, file to file", tEncFile, tCuEncFile);
  vsCoreutils("  for comparison: same pass in 1 MiB pieces", tEncPieces, tCuEncFile);
  vsCoreutils("encode, file to /dev/null", tEncNull, tCuEncNull);
  vsMemcpy("decode, memory stream to memory stream", tDecMem);
  vsMemcpy("decode, bare in-place pass on a buffer", tDecPass);
  vsCoreutils("decode, file to file", tDecFile, tCuDecFile);
  vsCoreutils("decode, coreutils' LF text, file to file", tDecLf, tCuDecFile);
  vsCoreutils("decode, file to /dev/null", tDecNull, tCuDecNull);
  std::printf("\nFirst touch of a fresh %.0f MB buffer (the text's size): %.1f ms, %.0f MB/s of data\n",
              static_cast<double>(total) / 1e6, tFaults * 1e3, MBps(tFaults));
  std::printf("(shell start-up of %.1f ms taken off every coreutils time)\n", tShell * 1e3);

  std::error_code ec;
  fs::remove_all(dir, ec);
  return 0;
}
