// Find in a 10 MB document, and page layout for printing (print_layout.cpp).
//
// The search for a word that is not there reads every paragraph: it is
// timed with each option, against the reference of one std::string::find
// over the document's text held as one string (the least any search can
// cost), and printed as a ratio to it and in milliseconds (the target is
// under 100 ms for each). Replace All of a common word is timed the same
// way, undo step included.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "richview/edit.h"
#include "richview/search.h"

namespace bench_find {
void PrintLayout(const nv::TRVDocument& doc, std::size_t bytes);
}

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

// Paragraphs of 40..160 characters in a few styles, with some accented
// capitals, up to about `bytes` bytes of text.
nv::TRVDocument MakeDocument(size_t bytes, std::string& flat) {
  static const char* words[] = {"lorem", "Ipsum", "dolor", "sit", "amet,", "consectetur", "ÀDIPISCING",
                                "elit.", "sed", "do", "eiusmod", "Tempor", "incididunt", "ut", "labore"};
  nv::TRVDocument doc;
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  while (flat.size() < bytes) {
    nv::TRVParagraph& para = doc.AddParagraph(0);
    const int runs = 1 + static_cast<int>(next() % 3);
    for (int r = 0; r < runs; ++r) {
      std::string text;
      const size_t want = 15 + next() % 45;
      while (text.size() < want) text += std::string(words[next() % 15]) + " ";
      flat += text;
      para.AddItem(nv::TRVItem::MakeText(text, static_cast<int>(next() % 4)));
    }
    flat += '\n';
  }
  return doc;
}

template <class F>
double Best(F f) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) {
    const auto t = Clock::now();
    f();
    best = std::min(best, Seconds(t));
  }
  return best;
}

}  // namespace

int main() {
  std::string flat;
  nv::TRVDocument doc = MakeDocument(10u << 20, flat);
  volatile size_t sink = 0;
  const double reference = Best([&] { sink = sink + flat.find("zebra"); });
  std::printf("find in %zu bytes, %d paragraphs; reference std::string::find %.2f ms\n", flat.size(),
              doc.ParagraphCount(), reference * 1000);
  struct Case {
    const char* name;
    nv::TRVSearchOptions options;
  } cases[] = {{"match case", {true, false, true, true}},
               {"any case", {false, false, true, true}},
               {"whole word, any case", {false, true, true, true}},
               {"upwards, any case", {false, false, false, true}}};
  for (const Case& c : cases) {
    const nv::TRVTextFinder finder("zebra", c.options);
    const double s = Best([&] { sink = sink + (finder.Find(doc, {0, 0}) ? 1u : 0u); });
    std::printf("  %-22s %7.2f ms  ratio %.1f\n", c.name, s * 1000, s / reference);
  }
  nv::TRVEditCore core(doc);
  const auto t = Clock::now();
  const int replaced = core.ReplaceAll(nv::TRVTextFinder("dolor", {}), "pain");
  const double s = Seconds(t);
  std::printf("  replace all (%d)      %7.2f ms  ratio %.1f\n", replaced, s * 1000, s / reference);
  std::string small;
  const nv::TRVDocument oneMegabyte = MakeDocument(1u << 20, small);
  bench_find::PrintLayout(oneMegabyte, small.size());
  return sink == 1 ? 1 : 0;
}
