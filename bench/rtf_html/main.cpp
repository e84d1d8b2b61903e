// Reading generated RTF documents (styles, a few pictures) and writing them
// as HTML with a style sheet, against unrtf --html on the same files, in
// the same run. Reading alone is printed too. Two inputs: a 10 MB Western
// document and a 4 MB East Asian one whose text is half double-byte
// (Japanese, Chinese and Korean code pages), so the double-byte path is
// measured as well as the single-byte one.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "common/generate_rtf.h"
#include "common/timing.h"
#include "richview/document.h"
#include "richview/html.h"
#include "richview/rtf.h"

using nv::bench::Best;

namespace {

struct Figures {
  double load = 0, loadSave = 0, unrtf = 0;
  int unrtfStatus = 0;
};

Figures Measure(const char* name, const std::string& rtf) {
  Figures f;
  const double mb = static_cast<double>(rtf.size()) / (1024.0 * 1024.0);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "nv_bench_rtf_html.rtf";
  std::ofstream(file, std::ios::binary).write(rtf.data(), static_cast<std::streamsize>(rtf.size()));

  std::size_t paragraphs = 0, styles = 0, written = 0;
  f.load = Best(3, [&] {
    nv::TRVDocument doc;
    if (!nv::LoadRTF(rtf, doc)) std::fprintf(stderr, "LoadRTF failed\n");
    paragraphs = doc.Paragraphs.size();
    styles = doc.Style.TextStyles.size();
  });
  const std::filesystem::path html = std::filesystem::temp_directory_path() / "nv_bench_rtf_html_out";
  std::filesystem::create_directories(html);
  const std::string page = (html / "page.htm").string();
  f.loadSave = Best(3, [&] {
    nv::TRVDocument doc;
    nv::LoadRTF(rtf, doc);
    nv::HtmlExportOptions o;
    o.options = 320;
    if (!nv::SaveHTMLEx(doc, page, o)) std::fprintf(stderr, "SaveHTMLEx failed\n");
    written = static_cast<std::size_t>(std::filesystem::file_size(page));
  });
  std::filesystem::remove_all(html);

  // unrtf writes the document's pictures (pict001.png, ...) into its
  // current directory: give it a folder of its own.
  const std::filesystem::path pictures = std::filesystem::temp_directory_path() / "nv_bench_rtf_html_unrtf";
  std::filesystem::create_directories(pictures);
  const std::string command =
      "cd '" + pictures.string() + "' && unrtf --html '" + file.string() + "' > /dev/null 2>&1";
  f.unrtf = Best(2, [&] { f.unrtfStatus = std::system(command.c_str()); });
  std::filesystem::remove_all(pictures);
  std::filesystem::remove(file);

  std::printf("%s input: %.1f MB RTF, %zu paragraphs, %zu text styles; HTML page written: %.1f MB\n", name, mb,
              paragraphs, styles, static_cast<double>(written) / (1024.0 * 1024.0));
  std::printf("  LoadRTF              %8.3f s  %7.1f MB/s\n", f.load, mb / f.load);
  std::printf("  LoadRTF + SaveHTMLEx %8.3f s  %7.1f MB/s\n", f.loadSave, mb / f.loadSave);
  if (f.unrtfStatus == 0) {
    std::printf("  unrtf --html         %8.3f s  %7.1f MB/s\n", f.unrtf, mb / f.unrtf);
    std::printf("  ratio unrtf / (LoadRTF + SaveHTMLEx): %.1fx faster\n", f.unrtf / f.loadSave);
    std::printf("  ratio unrtf / LoadRTF:                %.1fx faster\n", f.unrtf / f.load);
  }
  return f;
}

}  // namespace

int main() {
  const Figures western = Measure("Western", nv::bench::GenerateRtf(10u * 1024 * 1024));
  // unrtf takes several times longer per megabyte on double-byte text:
  // a smaller East Asian document keeps the run short.
  const Figures eastAsian =
      Measure("East Asian", nv::bench::GenerateRtf(4u * 1024 * 1024, nv::bench::RtfScript::EastAsian));
  if (western.unrtfStatus != 0 || eastAsian.unrtfStatus != 0) {
    std::printf("unrtf --html: not run (exit status %d); install the unrtf package\n",
                western.unrtfStatus != 0 ? western.unrtfStatus : eastAsian.unrtfStatus);
    return 0;
  }
  // The reader against the converter's whole run (target 30x), and reading
  // with writing the page (target 5x): the lower of the two inputs each.
  std::printf("lowest ratio unrtf / LoadRTF:                %.1fx faster (target 30x)\n",
              std::min(western.unrtf / western.load, eastAsian.unrtf / eastAsian.load));
  std::printf("lowest ratio unrtf / (LoadRTF + SaveHTMLEx): %.1fx faster (target 5x)\n",
              std::min(western.unrtf / western.loadSave, eastAsian.unrtf / eastAsian.loadSave));
  return 0;
}
