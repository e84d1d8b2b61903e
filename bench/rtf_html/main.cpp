// Reading a generated 10 MB RTF document (styles, a few pictures) and
// writing it as HTML with a style sheet, against unrtf --html on the same
// file, in the same run. Reading alone is printed too.
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

int main() {
  const std::string rtf = nv::bench::GenerateRtf(10u * 1024 * 1024);
  const double mb = static_cast<double>(rtf.size()) / (1024.0 * 1024.0);
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "nv_bench_rtf_html.rtf";
  std::ofstream(file, std::ios::binary).write(rtf.data(), static_cast<std::streamsize>(rtf.size()));

  std::size_t paragraphs = 0, styles = 0, written = 0;
  const double load = Best(3, [&] {
    nv::TRVDocument doc;
    if (!nv::LoadRTF(rtf, doc)) std::fprintf(stderr, "LoadRTF failed\n");
    paragraphs = doc.Paragraphs.size();
    styles = doc.Style.TextStyles.size();
  });
  const std::filesystem::path html = std::filesystem::temp_directory_path() / "nv_bench_rtf_html_out";
  std::filesystem::create_directories(html);
  const std::string page = (html / "page.htm").string();
  const double loadSave = Best(3, [&] {
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
  int status = 0;
  const double unrtf = Best(2, [&] { status = std::system(command.c_str()); });
  std::filesystem::remove_all(pictures);
  std::filesystem::remove(file);

  std::printf("input: %.1f MB RTF, %zu paragraphs, %zu text styles; HTML page written: %.1f MB\n", mb,
              paragraphs, styles, static_cast<double>(written) / (1024.0 * 1024.0));
  std::printf("LoadRTF            %8.3f s  %7.1f MB/s\n", load, mb / load);
  std::printf("LoadRTF + SaveHTMLEx %6.3f s  %7.1f MB/s\n", loadSave, mb / loadSave);
  if (status != 0) {
    std::printf("unrtf --html: not run (exit status %d); install the unrtf package\n", status);
    return 0;
  }
  std::printf("unrtf --html       %8.3f s  %7.1f MB/s\n", unrtf, mb / unrtf);
  std::printf("ratio unrtf / (LoadRTF + SaveHTMLEx): %.1fx faster (target 5x)\n", unrtf / loadSave);
  std::printf("ratio unrtf / LoadRTF:             %.1fx faster\n", unrtf / load);
  return 0;
}
