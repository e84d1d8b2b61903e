// Saving and opening a 1 MB document (its RichView Format size) as an
// encrypted notebook, against the plain RichView Format file in the same
// run. The document is the generated RTF (styles, runs, pictures) read into
// the model; both sides write through the same temporary-file-and-replace
// routine and read the whole file back.
// The key derivation (Argon2id at the costs files are written with) is
// timed on its own: it is paid once per save and per opening, whatever the
// document's size.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/generate_rtf.h"
#include "common/timing.h"
#include "notebook/nvx.h"
#include "richview/rtf.h"
#include "richview/rvf.h"
#include "richview/rvf_files.h"

using nv::bench::Best;
using nv::bench::Check;

int main() {
  // A document of 1 MB in its RichView Format form: the RTF is generated
  // once, then again scaled to that size.
  constexpr double kTarget = 1024.0 * 1024.0;
  nv::TRVDocument doc;
  Check(nv::LoadRTF(nv::bench::GenerateRtf(1024u * 1024u), doc), "the generated document reads");
  const double scale = kTarget / static_cast<double>(nv::SaveRVF(doc).size());
  doc = nv::TRVDocument{};
  Check(nv::LoadRTF(nv::bench::GenerateRtf(static_cast<std::size_t>(1024.0 * 1024.0 * scale)), doc),
        "the generated document reads");
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / "nv_bench_nvx";
  std::filesystem::create_directories(dir);
  const std::string rvfPath = (dir / "doc.rvf").string(), nvxPath = (dir / "doc.nvx").string();
  const char* password = "correct horse battery staple";
  constexpr int kRuns = 5;

  // The reference: the plain file.
  const double rvfSave = Best(kRuns, [&] { Check(nv::WriteFileReplacing(rvfPath, nv::SaveRVF(doc)), "rvf save"); });
  const double rvfOpen = Best(kRuns, [&] {
    nv::TRVDocument back;
    unsigned warnings = 0;
    Check(nv::LoadRVFFromFile(rvfPath, back, warnings), "rvf open");
  });

  // The key derivation alone, as a save pays it (fresh salt).
  std::shared_ptr<const nv::NvxKey> key;
  const double kdf = Best(3, [&] {
    key = nv::NewNvxKey(password);
    Check(key != nullptr, "key derivation");
  });

  // Sealing and writing, and reading and opening, with the key at hand.
  const double seal = Best(kRuns, [&] {
    const std::optional<std::string> file = nv::SaveNvx(doc, *key);
    Check(file && nv::WriteFileReplacing(nvxPath, *file), "nvx save");
  });
  const double open = Best(kRuns, [&] {
    std::optional<std::string> plain = nv::OpenNvxWithKey(*nv::ReadFileBytes(nvxPath), *key);
    nv::TRVDocument back;
    unsigned warnings = 0;
    Check(plain && nv::LoadNvxPlain(*plain, back, warnings), "nvx open");
  });
  // And the whole opening through the password, once, to see it adds up.
  const double wholeOpen = Best(1, [&] {
    nv::TRVDocument back;
    unsigned warnings = 0;
    Check(nv::LoadNvx(*nv::ReadFileBytes(nvxPath), password, back, warnings), "nvx open by password");
    Check(back == doc, "the document comes back equal");
  });

  const double mb = static_cast<double>(std::filesystem::file_size(rvfPath)) / (1024.0 * 1024.0);
  std::filesystem::remove_all(dir);
  const nv::NvxParams& c = nv::kNvxFileParams;
  std::printf("document: %.2f MB as RichView Format, %zu paragraphs\n", mb, doc.Paragraphs.size());
  std::printf("key derivation (Argon2id, %u KiB, %u passes, %u lanes): %8.3f s\n", c.memoryKiB, c.passes,
              c.parallelism, kdf);
  std::printf("%-34s %10s %10s %8s\n", "", "plain .rvf", ".nvx", "ratio");
  std::printf("%-34s %8.2f ms %8.2f ms %7.2fx\n", "save without key derivation", rvfSave * 1e3, seal * 1e3,
              seal / rvfSave);
  std::printf("%-34s %8.2f ms %8.2f ms %7.2fx\n", "open without key derivation", rvfOpen * 1e3, open * 1e3,
              open / rvfOpen);
  std::printf("%-34s %8.2f ms %8.2f ms %7.2fx\n", "save with key derivation", rvfSave * 1e3, (kdf + seal) * 1e3,
              (kdf + seal) / rvfSave);
  std::printf("%-34s %8.2f ms %8.2f ms %7.2fx\n", "open with key derivation (measured)", rvfOpen * 1e3,
              wholeOpen * 1e3, wholeOpen / rvfOpen);
  return 0;
}
