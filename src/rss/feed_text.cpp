#include "rss/feed_text.h"

#include <cctype>
#include <cstdint>
#include <optional>
#include <vector>

#include "codec/code_page.h"
#include "rss/feed_error.h"
#include "rss/html_entities.h"
#include "ui/text.h"

namespace nv::rss {
namespace {

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
// Control characters show as boxes or break lines: in text they count as
// white space.
bool IsSpaceOrControl(char c) { return c == ' ' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }
bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool StartsWith(std::string_view s, std::string_view p) { return s.substr(0, p.size()) == p; }

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view p) {
  if (s.size() < p.size()) return false;
  for (size_t i = 0; i < p.size(); ++i)
    if (Lower(s[i]) != Lower(p[i])) return false;
  return true;
}

// The value of encoding="..." in an XML declaration at the start of an
// ASCII-compatible document.
std::string DeclaredEncoding(std::string_view doc) {
  if (!StartsWith(doc, "<?xml")) return {};
  const size_t end = doc.find("?>");
  std::string_view decl = doc.substr(0, end == std::string_view::npos ? std::min<size_t>(doc.size(), 256) : end);
  const size_t at = decl.find("encoding");
  if (at == std::string_view::npos) return {};
  size_t i = at + 8;
  while (i < decl.size() && IsSpace(decl[i])) ++i;
  if (i >= decl.size() || decl[i] != '=') return {};
  ++i;
  while (i < decl.size() && IsSpace(decl[i])) ++i;
  if (i >= decl.size() || (decl[i] != '"' && decl[i] != '\'')) return {};
  const char q = decl[i++];
  const size_t close = decl.find(q, i);
  if (close == std::string_view::npos) return {};
  return std::string(decl.substr(i, close - i));
}

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned c = b(i);
  if (c < 0x80) return 1;
  size_t n;
  char32_t cp;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  return n;
}

std::string LenientUtf8(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size();) {
    const size_t n = Utf8SequenceLength(s, i);
    if (n) {
      out.append(s.substr(i, n));
      i += n;
      continue;
    }
    size_t j = i + 1;
    while (j < s.size() && Utf8SequenceLength(s, j) == 0) ++j;
    const std::string_view run = s.substr(i, j - i);
    if (std::optional<std::string> w = CodePageToUtf8(1252, run)) {
      out += *w;
    } else {
      for (size_t k = 0; k < run.size(); ++k) AppendUtf8(out, 0xFFFD);
    }
    i = j;
  }
  return out;
}

std::string Utf16Bytes(std::string_view s, bool bigEndian) {
  std::u16string u;
  u.reserve(s.size() / 2);
  for (size_t i = 0; i + 1 < s.size(); i += 2) {
    const auto lo = static_cast<unsigned char>(s[i]), hi = static_cast<unsigned char>(s[i + 1]);
    u += static_cast<char16_t>(bigEndian ? (lo << 8 | hi) : (hi << 8 | lo));
  }
  return Utf16ToUtf8(u);
}

void AppendCodePoint(std::string& out, std::uint32_t cp) {
  // References to NUL, surrogates or beyond Unicode are not characters.
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  AppendUtf8(out, static_cast<char32_t>(cp));
}

// A character reference at text[i] ('&'): its length and character, or 0.
size_t ParseReference(std::string_view text, size_t i, std::string& out, bool namedOnly) {
  size_t j = i + 1;
  if (j < text.size() && text[j] == '#') {
    if (namedOnly) return 0;
    ++j;
    const bool hex = j < text.size() && (text[j] == 'x' || text[j] == 'X');
    if (hex) ++j;
    std::uint32_t cp = 0;
    const size_t digits = j;
    while (j < text.size() && j - digits < 8) {
      const char c = text[j];
      int d;
      if (IsDigit(c)) d = c - '0';
      else if (hex && c >= 'a' && c <= 'f') d = c - 'a' + 10;
      else if (hex && c >= 'A' && c <= 'F') d = c - 'A' + 10;
      else break;
      cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
      ++j;
    }
    if (j == digits || j >= text.size() || text[j] != ';') return 0;
    AppendCodePoint(out, cp);
    return j + 1 - i;
  }
  const size_t name = j;
  while (j < text.size() && j - name < 32 && (IsAlpha(text[j]) || IsDigit(text[j]))) ++j;
  if (j == name || j >= text.size() || text[j] != ';') return 0;
  const auto cp = HtmlEntity(text.substr(name, j - name));
  if (!cp) return 0;
  AppendCodePoint(out, *cp);
  return j + 1 - i;
}

}  // namespace

std::string DecodeFeedBytes(std::string_view bytes, std::string_view httpCharset) {
  if (StartsWith(bytes, "\xEF\xBB\xBF")) return LenientUtf8(bytes.substr(3));
  if (StartsWith(bytes, "\xFF\xFE")) return Utf16Bytes(bytes.substr(2), false);
  if (StartsWith(bytes, "\xFE\xFF")) return Utf16Bytes(bytes.substr(2), true);
  // UTF-16 without a mark still starts with '<' (or white space).
  if (bytes.size() >= 2 && bytes[0] != 0 && bytes[1] == 0) return Utf16Bytes(bytes, false);
  if (bytes.size() >= 2 && bytes[0] == 0 && bytes[1] != 0) return Utf16Bytes(bytes, true);

  std::string charset = DeclaredEncoding(bytes);
  if (charset.empty()) charset = std::string(httpCharset);
  charset = CollapseSpace(charset);
  std::string lower = charset;
  for (char& c : lower) c = Lower(c);
  // A document that got here has no mark and is not 16-bit: a declaration
  // or header saying UTF-16 is wrong about it.
  if (lower.empty() || lower.starts_with("utf-16") || lower == "utf16" || lower == "unicode" || lower == "ucs-2")
    return LenientUtf8(bytes);
  const std::optional<int> codePage = CodePageOfCharset(lower);
  if (codePage == kCodePageUtf8) return LenientUtf8(bytes);
  if (codePage)
    if (std::optional<std::string> s = CodePageToUtf8(*codePage, bytes)) return *s;
  throw EFeedError("The feed's character set \"" + lower + "\" is not supported.");
}

std::string ExpandHtmlEntities(std::string_view xml) {
  std::string out;
  out.reserve(xml.size());
  size_t i = 0;
  const auto copyThrough = [&](std::string_view terminator) {
    const size_t end = xml.find(terminator, i);
    const size_t stop = end == std::string_view::npos ? xml.size() : end + terminator.size();
    out.append(xml.substr(i, stop - i));
    i = stop;
  };
  while (i < xml.size()) {
    const char c = xml[i];
    if (c == '<') {
      const std::string_view rest = xml.substr(i);
      if (StartsWith(rest, "<![CDATA[")) {
        copyThrough("]]>");
      } else if (StartsWith(rest, "<!--")) {
        copyThrough("-->");
      } else if (StartsWith(rest, "<?")) {
        copyThrough("?>");
      } else if (StartsWith(rest, "<!")) {
        // A document type declaration, with its internal subset in [ ].
        size_t j = i + 2;
        int depth = 0;
        char quote = 0;
        for (; j < xml.size(); ++j) {
          const char d = xml[j];
          if (quote) {
            if (d == quote) quote = 0;
          } else if (d == '"' || d == '\'') {
            quote = d;
          } else if (d == '[') {
            ++depth;
          } else if (d == ']') {
            if (depth > 0) --depth;
          } else if (d == '>' && depth == 0) {
            break;
          }
        }
        const size_t stop = j < xml.size() ? j + 1 : xml.size();
        out.append(xml.substr(i, stop - i));
        i = stop;
      } else {
        out += c;
        ++i;
      }
    } else if (c == '&') {
      const size_t n = ParseReference(xml, i, out, true);
      if (n) {
        // XML's own names stay for the parser, which knows them.
        const std::string_view name = xml.substr(i + 1, n - 2);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos") {
          out.pop_back();  // each of them stands for one ASCII character
          out.append(xml.substr(i, n));
        }
        i += n;
      } else {
        out += c;
        ++i;
      }
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

namespace {

bool IsNameStart(char c) { return IsAlpha(c) || c == '_' || c == ':' || static_cast<unsigned char>(c) >= 0x80; }
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '-' || c == '.'; }

// Whether text[i] ('&') starts a reference XML accepts: one of its own five
// names or a numeric one (the HTML names are expanded before).
bool IsXmlReference(std::string_view text, size_t i) {
  size_t j = i + 1;
  if (j < text.size() && text[j] == '#') {
    ++j;
    const bool hex = j < text.size() && (text[j] == 'x' || text[j] == 'X');
    if (hex) ++j;
    const size_t digits = j;
    while (j < text.size() && (IsDigit(text[j]) || (hex && std::isxdigit(static_cast<unsigned char>(text[j]))))) ++j;
    return j > digits && j < text.size() && text[j] == ';';
  }
  const size_t name = j;
  while (j < text.size() && IsNameChar(text[j])) ++j;
  if (j == name || j >= text.size() || text[j] != ';') return false;
  const std::string_view n = text.substr(name, j - name);
  return n == "amp" || n == "lt" || n == "gt" || n == "quot" || n == "apos";
}

// Text with what XML forbids in character data written as references or
// dropped: bare & and <, and control characters other than tab and breaks.
void AppendMendedText(std::string& out, std::string_view text, bool inAttribute) {
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '&' && !IsXmlReference(text, i)) out += "&amp;";
    else if (c == '<') out += "&lt;";
    else if (inAttribute && c == '"') out += "&quot;";
    else if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') continue;
    else out += c;
  }
}

// A start tag from text[i] ('<' and a name start) to its '>', written
// anew: attributes quoted, duplicates dropped. Returns the index after the
// tag and whether it closed itself; npos when the tag never ends.
size_t MendStartTag(std::string_view xml, size_t i, std::string& out, std::string& name, bool& selfClosing) {
  size_t j = i + 1;
  while (j < xml.size() && IsNameChar(xml[j])) ++j;
  name = std::string(xml.substr(i + 1, j - i - 1));
  std::string tag = "<" + name;
  std::vector<std::string> seen;
  selfClosing = false;
  while (true) {
    while (j < xml.size() && IsSpace(xml[j])) ++j;
    if (j >= xml.size()) return std::string_view::npos;
    if (xml[j] == '>') {
      ++j;
      break;
    }
    if (xml[j] == '/' && j + 1 < xml.size() && xml[j + 1] == '>') {
      selfClosing = true;
      j += 2;
      break;
    }
    if (!IsNameStart(xml[j])) {
      ++j;  // a stray character among the attributes
      continue;
    }
    const size_t nameStart = j;
    while (j < xml.size() && IsNameChar(xml[j])) ++j;
    const std::string attr(xml.substr(nameStart, j - nameStart));
    while (j < xml.size() && IsSpace(xml[j])) ++j;
    std::string_view value;
    bool hasValue = false;
    if (j < xml.size() && xml[j] == '=') {
      ++j;
      while (j < xml.size() && IsSpace(xml[j])) ++j;
      hasValue = true;
      if (j < xml.size() && (xml[j] == '"' || xml[j] == '\'')) {
        const char q = xml[j];
        const size_t close = xml.find(q, j + 1);
        if (close == std::string_view::npos) return std::string_view::npos;
        value = xml.substr(j + 1, close - j - 1);
        j = close + 1;
      } else {
        const size_t v = j;
        while (j < xml.size() && !IsSpace(xml[j]) && xml[j] != '>' &&
               !(xml[j] == '/' && j + 1 < xml.size() && xml[j + 1] == '>'))
          ++j;
        value = xml.substr(v, j - v);
      }
    }
    bool duplicate = false;
    for (const std::string& a : seen) duplicate = duplicate || a == attr;
    if (duplicate) continue;
    seen.push_back(attr);
    tag += " " + attr + "=\"";
    if (hasValue) AppendMendedText(tag, value, true);
    tag += "\"";
  }
  tag += selfClosing ? "/>" : ">";
  out += tag;
  return j;
}

std::string_view LocalPart(std::string_view qname) {
  const size_t colon = qname.find(':');
  return colon == std::string_view::npos ? qname : qname.substr(colon + 1);
}

bool IsItemContainer(std::string_view local) {
  return local == "channel" || local == "rss" || local == "RDF" || local == "feed";
}

}  // namespace

std::string MendXml(std::string_view xml) {
  std::string out;
  out.reserve(xml.size() + xml.size() / 8);
  std::vector<std::string> open;
  size_t i = 0;
  const auto copyThrough = [&](std::string_view terminator, std::string_view closeIfMissing) {
    const size_t end = xml.find(terminator, i);
    if (end == std::string_view::npos) {
      if (!closeIfMissing.empty()) {
        out.append(xml.substr(i));
        out.append(closeIfMissing);
      }
      i = xml.size();
      return;
    }
    out.append(xml.substr(i, end + terminator.size() - i));
    i = end + terminator.size();
  };
  while (i < xml.size()) {
    const size_t lt = xml.find('<', i);
    if (lt == std::string_view::npos) {
      AppendMendedText(out, xml.substr(i), false);
      break;
    }
    AppendMendedText(out, xml.substr(i, lt - i), false);
    i = lt;
    const std::string_view rest = xml.substr(i);
    if (StartsWith(rest, "<!--")) {
      copyThrough("-->", "");
    } else if (StartsWith(rest, "<![CDATA[")) {
      copyThrough("]]>", "]]>");
    } else if (StartsWith(rest, "<?")) {
      copyThrough("?>", "");
    } else if (StartsWith(rest, "<!")) {
      copyThrough(">", "");
    } else if (StartsWith(rest, "</")) {
      size_t j = i + 2;
      while (j < xml.size() && IsNameChar(xml[j])) ++j;
      const std::string name(xml.substr(i + 2, j - i - 2));
      const size_t gt = xml.find('>', j);
      i = gt == std::string_view::npos ? xml.size() : gt + 1;
      size_t k = open.size();
      while (k > 0 && open[k - 1] != name) --k;
      if (k == 0) continue;  // closes nothing that is open
      while (open.size() >= k) {
        out += "</" + open.back() + ">";
        open.pop_back();
      }
    } else if (i + 1 < xml.size() && IsNameStart(xml[i + 1])) {
      std::string name;
      bool selfClosing = false;
      std::string tag;
      const size_t next = MendStartTag(xml, i, tag, name, selfClosing);
      if (next == std::string_view::npos) break;  // cut off inside the tag
      // Items do not nest: an item begins where the one before it (and a
      // title or link left open in it) ends.
      const std::string_view local = LocalPart(name);
      if (local == "item" || local == "entry") {
        size_t k = open.size();
        while (k > 0 && !IsItemContainer(LocalPart(open[k - 1]))) --k;
        if (k > 0) {
          while (open.size() > k) {
            out += "</" + open.back() + ">";
            open.pop_back();
          }
        }
      }
      out += tag;
      if (!selfClosing) open.push_back(name);
      i = next;
    } else {
      out += "&lt;";
      ++i;
    }
  }
  while (!open.empty()) {
    out += "</" + open.back() + ">";
    open.pop_back();
  }
  return out;
}

std::string DecodeHtmlReferences(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '&') {
      const size_t n = ParseReference(text, i, out, false);
      if (n) {
        i += n;
        continue;
      }
    }
    out += text[i++];
  }
  return out;
}

std::string CollapseSpace(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  bool pending = false;
  for (char c : text) {
    if (IsSpaceOrControl(c)) {
      pending = !out.empty();
    } else {
      if (pending) out += ' ';
      pending = false;
      out += c;
    }
  }
  return out;
}

namespace {

// Tags of the elements that run within a line of text: "<b>bold</b>." is
// "bold.", where a block element's tag stands for a space.
bool IsInlineTag(std::string_view tag) {
  if (!tag.empty() && tag.front() == '/') tag.remove_prefix(1);
  size_t n = 0;
  while (n < tag.size() && (IsAlpha(tag[n]) || IsDigit(tag[n]))) ++n;
  std::string name(tag.substr(0, n));
  for (char& c : name) c = Lower(c);
  for (const char* inlineName : {"a", "abbr", "b", "bdi", "bdo", "cite", "code", "data", "dfn", "em", "font", "i",
                                 "kbd", "mark", "q", "s", "samp", "small", "span", "strike", "strong", "sub", "sup",
                                 "time", "tt", "u", "var"})
    if (name == inlineName) return true;
  return false;
}

// The '>' that ends the tag at html[i]: one inside a quoted attribute value
// (alt="a > b", alt="cat<br />dog") belongs to the value.
size_t TagEnd(std::string_view html, size_t i) {
  char quote = 0;
  char last = 0;  // the last character outside white space and values
  for (size_t j = i + 1; j < html.size(); ++j) {
    const char c = html[j];
    if (quote) {
      if (c == quote) quote = 0;
    } else if ((c == '"' || c == '\'') && last == '=') {
      quote = c;
    } else if (c == '>') {
      return j;
    }
    if (!quote && !IsSpace(c)) last = c;
  }
  // A quote never closed was no quote.
  return html.find('>', i);
}

}  // namespace

std::string HtmlToText(std::string_view html, bool keepBreaks) {
  // Lines are split before references are decoded, so no decoded character
  // can pass for a break.
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < html.size();) {
    const char c = html[i];
    const bool tagStart = c == '<' && i + 1 < html.size() &&
                          (IsAlpha(html[i + 1]) || html[i + 1] == '/' || html[i + 1] == '!' || html[i + 1] == '?');
    if (!tagStart) {
      lines.back() += c;
      ++i;
      continue;
    }
    const std::string_view rest = html.substr(i);
    if (StartsWith(rest, "<!--")) {
      const size_t end = html.find("-->", i + 4);
      i = end == std::string_view::npos ? html.size() : end + 3;
      continue;
    }
    size_t end = TagEnd(html, i);
    if (end == std::string_view::npos) end = html.size() - 1;
    const std::string_view tag = html.substr(i + 1, end - i);
    for (const char* skipped : {"script", "style"}) {
      if (StartsWithNoCase(tag, skipped)) {
        const std::string close = std::string("</") + skipped;
        size_t k = end + 1;
        while (k < html.size() && !StartsWithNoCase(html.substr(k), close)) ++k;
        const size_t closeEnd = html.find('>', k);
        end = closeEnd == std::string_view::npos ? html.size() - 1 : closeEnd;
        break;
      }
    }
    const bool isBreak = StartsWithNoCase(tag, "br") || StartsWithNoCase(tag, "/p") ||
                         StartsWithNoCase(tag, "/div") || StartsWithNoCase(tag, "/li") ||
                         StartsWithNoCase(tag, "p>") || StartsWithNoCase(tag, "p ");
    if (keepBreaks && isBreak) lines.emplace_back();
    else if (!IsInlineTag(tag)) lines.back() += ' ';
    i = end + 1;
  }
  // Empty lines are dropped: </p><p> is one break, not two.
  std::string out;
  for (const std::string& line : lines) {
    const std::string l = CollapseSpace(DecodeHtmlReferences(line));
    if (l.empty()) continue;
    if (!out.empty()) out += '\n';
    out += l;
  }
  return out;
}

std::string TextLines(std::string_view text) {
  std::string out;
  while (!text.empty()) {
    const size_t nl = text.find('\n');
    const std::string l = CollapseSpace(text.substr(0, nl));
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (l.empty()) continue;
    if (!out.empty()) out += '\n';
    out += l;
  }
  return out;
}

std::string UrlScheme(std::string_view url) {
  size_t i = 0;
  while (i < url.size() && (IsAlpha(url[i]) || (i > 0 && (IsDigit(url[i]) || url[i] == '+' || url[i] == '-' || url[i] == '.'))))
    ++i;
  if (i == 0 || i >= url.size() || url[i] != ':') return {};
  std::string s(url.substr(0, i));
  for (char& c : s) c = Lower(c);
  return s;
}

bool IsWebAddress(std::string_view url) {
  const std::string scheme = UrlScheme(url);
  return scheme == "http" || scheme == "https";
}

namespace {

struct UrlParts {
  std::string scheme, authority, path, query, fragment;
  bool hasAuthority = false, hasQuery = false, hasFragment = false;
};

UrlParts SplitUrl(std::string_view u) {
  UrlParts p;
  p.scheme = UrlScheme(u);
  if (!p.scheme.empty()) u.remove_prefix(p.scheme.size() + 1);
  if (const size_t h = u.find('#'); h != std::string_view::npos) {
    p.hasFragment = true;
    p.fragment = std::string(u.substr(h + 1));
    u = u.substr(0, h);
  }
  if (const size_t q = u.find('?'); q != std::string_view::npos) {
    p.hasQuery = true;
    p.query = std::string(u.substr(q + 1));
    u = u.substr(0, q);
  }
  if (StartsWith(u, "//")) {
    p.hasAuthority = true;
    u.remove_prefix(2);
    const size_t slash = u.find('/');
    p.authority = std::string(u.substr(0, slash));
    u = slash == std::string_view::npos ? std::string_view() : u.substr(slash);
  }
  p.path = std::string(u);
  return p;
}

std::string RemoveDotSegments(std::string_view in) {
  std::string out;
  while (!in.empty()) {
    if (StartsWith(in, "../")) in.remove_prefix(3);
    else if (StartsWith(in, "./")) in.remove_prefix(2);
    else if (StartsWith(in, "/./")) in.remove_prefix(2);
    else if (in == "/.") in = "/";
    else if (StartsWith(in, "/../") || in == "/..") {
      in = in.size() == 3 ? std::string_view("/") : in.substr(3);
      const size_t last = out.rfind('/');
      out.erase(last == std::string::npos ? 0 : last);
    } else if (in == "." || in == "..") {
      in = {};
    } else {
      const size_t next = in.find('/', 1);
      const size_t n = next == std::string_view::npos ? in.size() : next;
      out.append(in.substr(0, n));
      in.remove_prefix(n);
    }
  }
  return out;
}

std::string JoinUrl(const UrlParts& p) {
  std::string s;
  if (!p.scheme.empty()) s += p.scheme + ":";
  if (p.hasAuthority) s += "//" + p.authority;
  s += p.path;
  if (p.hasQuery) s += "?" + p.query;
  if (p.hasFragment) s += "#" + p.fragment;
  return s;
}

}  // namespace

std::string ResolveUrl(std::string_view base, std::string_view reference) {
  std::string_view ref = reference;
  while (!ref.empty() && IsSpace(ref.front())) ref.remove_prefix(1);
  while (!ref.empty() && IsSpace(ref.back())) ref.remove_suffix(1);
  const UrlParts r = SplitUrl(ref);
  if (!r.scheme.empty() || base.empty()) {
    UrlParts t = r;
    t.path = RemoveDotSegments(r.path);
    return r.scheme.empty() ? std::string(ref) : JoinUrl(t);
  }
  const UrlParts b = SplitUrl(base);
  UrlParts t;
  t.scheme = b.scheme;
  if (r.hasAuthority) {
    t.hasAuthority = true;
    t.authority = r.authority;
    t.path = RemoveDotSegments(r.path);
    t.hasQuery = r.hasQuery;
    t.query = r.query;
  } else {
    t.hasAuthority = b.hasAuthority;
    t.authority = b.authority;
    if (r.path.empty()) {
      t.path = b.path;
      t.hasQuery = r.hasQuery || b.hasQuery;
      t.query = r.hasQuery ? r.query : b.query;
    } else {
      if (r.path[0] == '/') {
        t.path = RemoveDotSegments(r.path);
      } else {
        std::string merged;
        if (b.hasAuthority && b.path.empty()) {
          merged = "/" + r.path;
        } else {
          const size_t slash = b.path.rfind('/');
          merged = (slash == std::string::npos ? std::string() : b.path.substr(0, slash + 1)) + r.path;
        }
        t.path = RemoveDotSegments(merged);
      }
      t.hasQuery = r.hasQuery;
      t.query = r.query;
    }
  }
  t.hasFragment = r.hasFragment;
  t.fragment = r.fragment;
  return JoinUrl(t);
}

}  // namespace nv::rss
