// Real documents from office suites, word processors and converters, in
// the code pages people write in (tests/data/rtf/corpus, their origins in
// ORIGINS.md there). Each must read without throwing into a valid
// document, with no replacement character where the file holds a character
// its code page can decode, and with words we know it holds.
//
// NOOKVALE_RTF_CORPUS may name a further folder of .rtf files (documents
// too big to keep here); they get the same checks, without known words.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "richview/rtf.h"

namespace nv {
namespace {

namespace fs = std::filesystem;

const std::string kReplacement = "\xEF\xBF\xBD";

struct Expectation {
  std::vector<std::string> words;  // each must be in the text
  int replacements = 0;            // U+FFFD the source itself calls for
};

// Words seen in each file's source, decoded by hand from its code page.
const std::map<std::string, Expectation>& Expected() {
  static const std::map<std::string, Expectation> kExpected = {
      {"lo-emphasis-marks", {{"nonedotcommacircleunderDot"}}},
      {"lo-fdo44211", {{"\u00e0\u00e8\u00e6"}}},
      {"lo-fdo72031-symbol", {{"\u00c5"}}},  // a Symbol font keeps its byte
      {"lo-fdo85812", {{"This "}}},
      {"lo-hexcrlf", {{"foobar", "baz", "quux"}}},
      {"lo-invalid-hex", {{"x\u0159x"}}},
      {"lo-pc437", {{"\u00b1\u2265\u2264"}}},
      {"lo-pca850", {{"\u00b1\u2017\u00be"}}},
      {"nodeunrtf-lo64-simple", {{"Ask not what your country can do for you"}}},
      {"pandoc-accent", {{"le caf\u00e9 o\u00f9 on ne fume pas"}}},
      {"pandoc-bookmark", {{"Bookmark_1", "click me"}}},
      {"pandoc-footnote", {{"amply annotated. It was her work", "turning point for Margaret Mead."}}},
      {"pandoc-link", {{"pandoc"}}},
      {"pandoc-list-legacy", {{"1.\tA", "\u00b7\tA", "Bulleted"}}},
      {"pandoc-table-nested", {{"Deep A", "Deep D", "Outside table"}}},
      {"pandoc-table-simple", {{"A ", "H "}}},
      // The last \u is a high surrogate with no low one: its replacement is
      // the file's own.
      {"pandoc-unicode", {{"\u201chi\u201d\u2018hi\u2019", "\u03b1\u00e4\U0001D43B", "\uFFFDunpaired"}, 1}},
      {"rpk-874", {{"Test Heading", "Some more test text"}}},
      {"rpk-950", {{"Copyright \u00a9 2004"}}},
      {"rpk-greek", {{"Unicode \u20ac\u03a9"}}},
      {"rpk-jis-twofonts", {{"\u4e2d\u570b"}}},
      {"rpk-korean", {{"MS Project Addin"}}},
      {"rpk-mac10001", {{"\u304a\u8aad\u307f\u304f\u3060\u3055\u3044"}}},
      {"rpk-mac10007", {{"\u041a\u043e\u043c\u043c\u0430\u043d\u0434\u0430 \u0440\u0430\u0437\u0440\u0430\u0431\u043e\u0442\u0447\u0438\u043a\u043e\u0432"}}},
      {"rpk-multibytehex", {{"\u304a\u5143\u6c17\u3067\u3059\u304b\uff1f"}}},
      {"rpk-nec", {{"\u3067U/W", "\u8868\u5c6410\u339c\u307b\u3069", "pallet\u5e95\u306e"}}},
      {"rpk-nisus-437", {{"Test Document", "Test Title: \t(Test Subtitle)"}}},
      {"rpk-turkish", {{"Turkish Encoding."}}},
      // Hebrew and Chinese as \u words in a Cyrillic document; the mail
      // itself carried three U+FFFD, written as \u65533.
      {"rtfde-outlook-hebrew-unicode", {{"\u9019\u662f\u4e00\u500b\u6587\u672c", "\u05d6\u05d4\u05d5 \u05de\u05d7\u05e8\u05d5", "\u05ea \u05d8\u05e7\u05e1\u05d8."}, 3}},
      {"rtfjs-emojis", {{"has \U0001F603emojis"}}},
      {"rtfjs-implicit-par", {{"LINE1 - APPLE", "LINE3 - CLEAN"}}},
      {"rtfjs-quotes", {{"contains \u201cuotes\u201d"}}},
      {"rtfjs-richedit-colors", {{"Normal Line 1", "Colored & Highlighted Line"}}},
      {"rtfjs-supersub", {{"Normalsupersub and normal once again."}}},
      {"rtfpipe-macroman-hex", {{"\u00c4:00C4", "\u2020:2020", "\u0152:00152", "\u20ac:20AC", "\ufb01 no unicode", "\u02c7:02C7"}}},
      {"rtfpipe-richedit-lists", {{"\u00b7\tA", "1)\tD"}}},
      {"rtfpipe-staroffice-char", {{"\u00fa\u04e4"}}},
      {"rtfpipe-ted-hello", {{"hello world"}}},
      // The writer put the body inside the font table; what follows it is read.
      {"rtfpipe-text-in-fonttable", {{"Verdana;"}}},
      {"rtfpipe-ukrainian-nested", {{"\u0423 \u0425 \u0412 \u0410 \u041b \u0410"}}},
      // Outlook's HTML wrapped in RTF: Hebrew in a \fcharset177 font under
      // \ansicpg1255, right-to-left paragraphs, \htmlrtf runs left out.
      {"rtftohtml-outlook-hebrew", {{"\u05dc\u05ea\u05e9\u05d5\u05de\u05ea \u05dc\u05d9\u05d1\u05da:", "\u05d1\u05d8\u05d5\u05d7."}}},
      {"striprtf-abiword-french", {{"10\u2018000", "a 10'000  b.", "10\u00b4000 d?"}}},
      {"striprtf-abiword-hello", {{"Hello"}}},
      {"striprtf-cocoa-le", {{"\u2264\n\u2264"}}},
      {"striprtf-lo-unicode", {{"\u67d4\u9053"}}},
      {"striprtf-minimal-table", {{"cell 1", "cell 3"}}},
      {"striprtf-nbsp", {{"non\u00a0breaking\u00a0spaces."}}},
      // Thai in a \fcharset222 font between runs of a Western one: each
      // byte is read in the code page of the font it is written in.
      {"striprtf-thai-cocoa", {{"\u00fc  \u0e40 \u00fc  \u00fc \u0e40"}}},
      {"striprtf-textedit-breaks", {{"A\nB\nC"}}},
      {"striprtf-textedit-links", {{"First one is: striprtf.dev (plain)", "github (real)"}}},
      {"striprtf-thai-fonttable", {{"\u00fc"}}},
      {"striprtf-ukrainian-1251", {{"\u0423\u0425\u0412\u0410\u041b\u0410", "27 \u0433\u0440\u0443\u0434\u043d\u044f 2018 \u0440\u043e\u043a\u0443", "\u043c. \u041a\u0438\u0457\u0432", "\u00ab\u0417\u0435\u043c\u0435\u043b\u044c\u043d\u0438\u0439 \u0414\u0435\u0432\u0435\u043b\u043e\u043f\u043c\u0435\u043d\u0442\u00bb", "\u2116 127\\7798/17", "\u0404. \u0427\u0435\u0440\u0432\u0438\u043d\u0441\u044c\u043a\u0430"}}},
      // The picture data after \bin holds a brace; the object group it sits in
      // stays open to the end, so the file has no body text.
      {"tika-bin-control-word", {}},
      {"tika-cp1250", {{"za\u017c\u00f3\u0142\u0107 g\u0119\u015bl\u0105 ja\u017a\u0144", "ZA\u017b\u00d3\u0141\u0106"}}},
      {"tika-cyrillic-font", {{"\u0423\u0432\u0430\u0436\u0430\u0435\u043c\u044b\u0439 \u043a\u043b\u0438\u0435\u043d\u0442!"}}},
      {"tika-hex-inside-word", {{"ESP\u00cdRITO SANTO"}}},
      // Unpaired and mismatched surrogates, four by design of the file.
      {"tika-invalid-unicode", {{"Unpaired hi \uFFFD here", "Mismatched pair \uFFFD\uFFFD here"}, 4}},
      {"tika-java-rtf", {{"TO\tFROM\tTEXT", "aa bb cc dd"}}},
      {"tika-ms932", {{"\u3053\u3093\u306b\u3061\u306f", "\u30c6\u30b9\u30c8"}}},
      {"tika-outlook-fromhtml", {{"For discussion", "REDACTED.pptx (1.2 MB)"}}},
      {"tika-ucn-doubling", {{"0 \u5e74 abc \u5ff5"}}},
      {"tika-umlaut", {{"\u00dcbersicht"}}},
      {"tika-word2002-cyrillic", {{"{ some text inside curly brackets }"}}},
      {"tika-word2003-newlines", {{"one\n\ntwo", "four"}}},
      {"tika-wordpad-czech", {{"\u010cl\u00e1nek t\u00fddne", "Izaj\u00e1\u0161", "p\u0159.\u2009n.\u2009l."}}},
  };
  return kExpected;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string DocumentText(const TRVDocument& doc) {
  std::string s;
  for (const TRVParagraph& p : doc.Paragraphs) {
    for (const TRVItem& item : p.Items())
      if (const TRVTextItemInfo* t = item.AsText()) s += t->Text;
    s += '\n';
  }
  return s;
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
  return n;
}

std::vector<fs::path> RtfFiles(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const fs::directory_entry& e : fs::directory_iterator(dir))
    if (e.is_regular_file() && e.path().extension() == ".rtf") files.push_back(e.path());
  std::sort(files.begin(), files.end());
  return files;
}

// Reads one file and checks what holds for every document; the text read,
// for further checks.
std::string CheckFile(const fs::path& path, int replacements) {
  SCOPED_TRACE(path.filename().string());
  const std::string bytes = ReadFile(path);
  EXPECT_FALSE(bytes.empty());
  TRVDocument doc;
  bool ok = false;
  EXPECT_NO_THROW(ok = LoadRTF(bytes, doc));
  EXPECT_TRUE(ok);
  EXPECT_EQ(ValidateDocument(doc), "");
  const std::string text = DocumentText(doc);
  EXPECT_EQ(Count(text, kReplacement), replacements) << text;
  return text;
}

fs::path CorpusDir() {
  const char* dir = std::getenv("NOOKVALE_TESTDATA");
  return fs::path(dir ? dir : "tests/data") / "rtf" / "corpus";
}

TEST(RtfCorpus, EveryDocumentReadsWithItsCharacters) {
  const std::vector<fs::path> files = RtfFiles(CorpusDir());
  ASSERT_FALSE(files.empty());
  for (const fs::path& path : files) {
    const std::string name = path.stem().string();
    const auto expected = Expected().find(name);
    const int replacements = expected == Expected().end() ? 0 : expected->second.replacements;
    const std::string text = CheckFile(path, replacements);
    if (expected == Expected().end()) {
      ADD_FAILURE() << name << ": no words to look for in\n" << text;
      continue;
    }
    for (const std::string& word : expected->second.words)
      EXPECT_NE(text.find(word), std::string::npos) << name << ": " << word << "\n" << text;
  }
  // Every listed file is there: a renamed or lost file is noticed.
  for (const auto& [name, expectation] : Expected())
    EXPECT_TRUE(fs::exists(CorpusDir() / (name + ".rtf"))) << name;
}

TEST(RtfCorpus, FolderNamedByTheEnvironment) {
  const char* dir = std::getenv("NOOKVALE_RTF_CORPUS");
  if (!dir || !*dir) GTEST_SKIP() << "NOOKVALE_RTF_CORPUS is not set";
  const std::vector<fs::path> files = RtfFiles(dir);
  ASSERT_FALSE(files.empty()) << dir;
  for (const fs::path& path : files) CheckFile(path, 0);
}

}  // namespace
}  // namespace nv
