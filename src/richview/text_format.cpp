#include "richview/text_format.h"

#include <algorithm>
#include <optional>

#include "codec/code_page.h"
#include "richview/rvf_files.h"
#include "richview/utf8.h"
#include "ui/text.h"

namespace nv {

// The code-page service has the ANSI code page wherever the program runs
// (the system's own conversion on Windows, iconv elsewhere). Should it ever
// lack it, ASCII still comes through and every other character reads as
// U+FFFD and writes as '?', as characters the code page lacks do.
std::string AnsiCodec::ToUtf8(std::string_view ansi) const {
  if (std::optional<std::string> s = CodePageToUtf8(SystemAnsiCodePage(), ansi)) return std::move(*s);
  std::string utf8;
  for (char c : ansi) AppendUtf8(utf8, static_cast<unsigned char>(c) < 0x80 ? static_cast<unsigned char>(c) : 0xFFFD);
  return utf8;
}
std::string AnsiCodec::FromUtf8(std::string_view utf8) const {
  if (std::optional<std::string> s = Utf8ToCodePage(SystemAnsiCodePage(), utf8)) return std::move(*s);
  std::string ansi;
  for (char16_t u : Utf8ToUtf16(utf8))
    if (u < 0xDC00 || u > 0xDFFF) ansi += u < 0x80 ? static_cast<char>(u) : '?';  // a pair is one '?'
  return ansi;
}

bool IsUnicodeText(std::string_view head, std::uint64_t size) {
  if (size == 0 || size % 2 != 0 || head.size() < 2) return false;
  if (head.starts_with("\xFF\xFE") || head.starts_with("\xFE\xFF")) return true;
  return head.substr(2, 500).find('\0') != std::string_view::npos;
}

bool IsUtf8Text(std::string_view bytes) {
  const bool ascii =
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return !ascii && IsValidUtf8(bytes);
}

namespace {

// UTF-16 bytes to UTF-8, in the order the byte-order mark gives.
std::string DecodeUtf16(std::string_view bytes) {
  bool bigEndian = false;
  if (bytes.starts_with("\xFF\xFE")) {
    bytes.remove_prefix(2);
  } else if (bytes.starts_with("\xFE\xFF")) {
    bigEndian = true;
    bytes.remove_prefix(2);
  }
  std::u16string units;
  units.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    units += static_cast<char16_t>(bigEndian ? (first << 8 | second) : (second << 8 | first));
  }
  if (bytes.size() % 2 != 0) units += u'\xFFFD';
  return Utf16ToUtf8(units);
}

std::string EncodeUtf16(std::string_view utf8) {
  const std::u16string units = Utf8ToUtf16(utf8);
  std::string out = "\xFF\xFE";
  out.reserve(2 + units.size() * 2);
  for (char16_t u : units) {
    out += static_cast<char>(u & 0xFF);
    out += static_cast<char>(u >> 8);
  }
  return out;
}

}  // namespace

bool LoadText(std::string_view bytes, TRVDocument& doc, int styleNo, int paraNo,
              bool asSingleParagraph, TextEncoding enc, const AnsiCodec& ansi) {
  if (!doc.Style.HasTextStyle(styleNo) || !doc.Style.HasParaStyle(paraNo)) return false;
  if (bytes.empty()) return true;
  std::string text;
  switch (enc) {
    case TextEncoding::Utf16: text = DecodeUtf16(bytes); break;
    case TextEncoding::Utf8: text = bytes.starts_with("\xEF\xBB\xBF") ? bytes.substr(3) : bytes; break;
    case TextEncoding::Ansi: text = ansi.ToUtf8(bytes); break;
  }

  TRVParagraph* single = nullptr;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find_first_of("\r\n", start);
    std::string line = CleanItemText(std::string_view(text).substr(start, end - start));
    if (asSingleParagraph && single) {
      single->MutableItem(0).AsText()->Text += '\n' + line;
    } else {
      TRVParagraph& para = doc.AddParagraph(paraNo);
      para.AddItem(TRVItem::MakeText(std::move(line), styleNo));
      if (asSingleParagraph) single = &para;
    }
    if (end == std::string::npos) break;
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return true;
}

namespace {

// One paragraph as text lines. A horizontal line stands on a line of its
// own, so text before or after it on the same paragraph is put on other
// lines.
void AppendParagraphText(std::string& out, const TRVParagraph& para, const std::string& rule) {
  bool lineEmpty = true;   // nothing written since the last line start
  bool afterRule = false;  // the last thing written is a horizontal line
  for (const TRVItem& item : para.Items()) {
    if (const TRVTextItemInfo* t = item.AsText()) {
      if (t->Text.empty()) continue;
      if (afterRule) out += "\r\n";
      afterRule = false;
      for (char c : t->Text) {
        if (c == '\n')
          out += "\r\n";
        else
          out += c;
      }
      lineEmpty = t->Text.back() == '\n';
    } else if (item.AsBreak()) {
      if (!lineEmpty) out += "\r\n";
      out += rule;
      lineEmpty = false;
      afterRule = true;
    }
  }
}

}  // namespace

std::string SaveText(const TRVDocument& doc, int lineWidth, TextEncoding enc, const AnsiCodec& ansi) {
  const std::string rule(static_cast<std::size_t>(lineWidth < 1 ? 80 : lineWidth), '-');
  std::string text;
  for (std::size_t i = 0; i < doc.Paragraphs.size(); ++i) {
    if (i > 0) text += "\r\n";
    AppendParagraphText(text, doc.Paragraphs[i], rule);
  }
  switch (enc) {
    case TextEncoding::Utf16: return EncodeUtf16(text);
    // Text that itself begins with U+FEFF gets a mark before it, so that
    // reading strips the mark and keeps the character.
    case TextEncoding::Utf8: return text.starts_with("\xEF\xBB\xBF") ? "\xEF\xBB\xBF" + text : text;
    case TextEncoding::Ansi: break;
  }
  return ansi.FromUtf8(text);
}

bool IsUnicodeTextFile(const std::string& path) {
  const std::optional<FileHead> head = ReadFileHead(path, kUnicodeTestBytes);
  return head && IsUnicodeText(head->bytes, head->size);
}

bool LoadTextFromFile(const std::string& path, TRVDocument& doc, int styleNo, int paraNo,
                      bool asSingleParagraph, TextEncoding enc, const AnsiCodec& ansi) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  return bytes && LoadText(*bytes, doc, styleNo, paraNo, asSingleParagraph, enc, ansi);
}

bool LoadAnsiOrUtf8TextFromFile(const std::string& path, TRVDocument& doc, int styleNo, int paraNo,
                                const AnsiCodec& ansi) {
  const std::optional<std::string> bytes = ReadFileBytes(path);
  return bytes && LoadText(*bytes, doc, styleNo, paraNo, false, AnsiOrUtf8(*bytes), ansi);
}

bool SaveTextToFile(const TRVDocument& doc, const std::string& path, int lineWidth, TextEncoding enc,
                    const AnsiCodec& ansi) {
  return WriteFileReplacing(path, SaveText(doc, lineWidth, enc, ansi));
}

}  // namespace nv
