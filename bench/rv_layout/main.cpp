// Layout and typing costs of the rich-text editor.
//
// 1. Laying out a 100,000-paragraph document, against the same per
//    paragraph for a 1,000-paragraph one (the cost must grow linearly).
// 2. Typing one character at the end of the 100,000-paragraph document,
//    with the relayout it triggers and the caret and scroll-height queries
//    a view makes after it, against the same in a 10-paragraph document.
//    The target is a ratio below 2: an edit must not cost more in a longer
//    document.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "richview/edit.h"
#include "richview/layout.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

nv::TRVPictureItemInfo Picture() {
  static const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  nv::TRVPictureItemInfo p;
  p.Kind = nv::TRVPictureKind::Png;
  p.Data = nv::SharedBytes(png);
  p.Width = 64;
  p.Height = 48;
  return p;
}

// Paragraphs of 40..160 characters in a few styles, a picture now and then.
nv::TRVDocument MakeDocument(int paragraphs) {
  static const char* words[] = {"lorem", "ipsum", "dolor", "sit", "amet,", "consectetur", "adipiscing",
                                "elit.", "sed", "do", "eiusmod", "tempor", "incididunt", "ut", "labore"};
  nv::TRVDocument doc;
  unsigned seed = 12345;
  auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
  for (int p = 0; p < paragraphs; ++p) {
    nv::TRVParagraph& para = doc.AddParagraph(p % 7 == 0 ? 1 : 0);
    const int runs = 1 + static_cast<int>(next() % 3);
    for (int r = 0; r < runs; ++r) {
      std::string text;
      const size_t want = 15 + next() % 45;
      while (text.size() < want) text += std::string(words[next() % 15]) + " ";
      para.AddItem(nv::TRVItem::MakeText(text, static_cast<int>(next() % 4)));
    }
    if (p % 50 == 0) para.AddItem(Picture());
  }
  return doc;
}

double LayoutSeconds(const nv::TRVDocument& doc, nv::IFontMetrics& metrics) {
  nv::TRVLayout layout(metrics);
  layout.SetWidth(600);
  const auto t = Clock::now();
  layout.Format(doc);
  (void)layout.DocumentHeight();
  return Seconds(t);
}

// Seconds per typed character at the end of `doc`, relayout included.
double TypingSeconds(nv::TRVDocument& doc, nv::IFontMetrics& metrics, int keys) {
  nv::TRVLayout layout(metrics);
  layout.SetWidth(600);
  nv::TRVEditCore ed(doc);
  ed.SetLayout(&layout);
  ed.SetCaret(doc.EndPosition());
  ed.InsertText("\r\n");  // type into a fresh paragraph at the end
  static const char text[] = "the quick brown fox jumps over the lazy dog ";
  long sink = 0;
  const auto t = Clock::now();
  for (int k = 0; k < keys; ++k) {
    if (k % 60 == 59) ed.TypeText("\n");
    else ed.TypeText(std::string(1, text[k % (sizeof text - 1)]));
    const nv::TRVRect caret = layout.CaretRect(doc, ed.Caret());
    sink += caret.Left + layout.DocumentHeight();
  }
  const double s = Seconds(t) / keys;
  if (sink == 42) std::puts("");
  return s;
}

}  // namespace

int main() {
  nv::TMonoFontMetrics metrics;

  const nv::TRVDocument small = MakeDocument(1000);
  const nv::TRVDocument large = MakeDocument(100000);
  double smallBest = 1e9, largeBest = 1e9;
  for (int round = 0; round < 3; ++round) {
    smallBest = std::min(smallBest, LayoutSeconds(small, metrics));
    largeBest = std::min(largeBest, LayoutSeconds(large, metrics));
  }
  std::printf("layout, 100000 paragraphs:            %8.1f ms\n", largeBest * 1e3);
  std::printf("layout, 1000 paragraphs:              %8.2f ms\n", smallBest * 1e3);
  std::printf("per paragraph, 100000 vs 1000:        %8.2fx\n", (largeBest / 100000) / (smallBest / 1000));

  // Typing: rounds alternate between the two documents, best of each.
  const int keys = 3000;
  double tenBest = 1e9, bigBest = 1e9;
  for (int round = 0; round < 5; ++round) {
    nv::TRVDocument ten = MakeDocument(10);
    nv::TRVDocument big = large;
    tenBest = std::min(tenBest, TypingSeconds(ten, metrics, keys));
    bigBest = std::min(bigBest, TypingSeconds(big, metrics, keys));
  }
  std::printf("typing a character, 10 paragraphs:     %8.2f us\n", tenBest * 1e6);
  std::printf("typing a character, 100000 paragraphs: %8.2f us\n", bigBest * 1e6);
  std::printf("typing cost, 100000 vs 10 paragraphs:  %8.2fx (target below 2)\n", bigBest / tenBest);
  return 0;
}
