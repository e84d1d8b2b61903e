#include "ui/mini_html.h"

#include <cctype>

#include "ui/text.h"

namespace nv {

namespace {

struct State {
  int bold = 0, italic = 0, underline = 0;
  struct Font {
    std::optional<std::uint32_t> color;
    int size = 0;
    std::string face;
  };
  std::vector<Font> fonts;
};

std::optional<std::uint32_t> ParseColor(std::string_view v) {
  if (!v.empty() && v[0] == '#') v.remove_prefix(1);
  if (v.size() != 6) {
    const std::string n = AsciiLower(v);
    if (n == "red") return 0x0000FFu;
    if (n == "green") return 0x008000u;
    if (n == "blue") return 0xFF0000u;
    if (n == "black") return 0u;
    if (n == "white") return 0xFFFFFFu;
    if (n == "purple" || n == "violet") return 0x800080u;
    if (n == "navy") return 0x800000u;
    if (n == "maroon") return 0x000080u;
    return std::nullopt;
  }
  std::uint32_t rgb = 0;
  for (char c : v) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return std::nullopt;
    rgb = rgb * 16 + static_cast<std::uint32_t>(d);
  }
  // #RRGGBB -> 0x00BBGGRR
  return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF);
}

// Attribute value of name="value" / name=value inside a tag body.
std::string Attribute(std::string_view tag, std::string_view name) {
  const std::string lower = AsciiLower(tag);
  size_t pos = 0;
  while ((pos = lower.find(name, pos)) != std::string::npos) {
    size_t i = pos + name.size();
    const bool startOk = pos == 0 || std::isspace(static_cast<unsigned char>(lower[pos - 1]));
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (!startOk || i >= lower.size() || lower[i] != '=') {
      pos += name.size();
      continue;
    }
    ++i;
    while (i < lower.size() && lower[i] == ' ') ++i;
    if (i < tag.size() && (tag[i] == '"' || tag[i] == '\'')) {
      const char q = tag[i];
      const size_t e = tag.find(q, i + 1);
      return std::string(tag.substr(i + 1, e == std::string_view::npos ? std::string_view::npos : e - i - 1));
    }
    size_t e = i;
    while (e < tag.size() && !std::isspace(static_cast<unsigned char>(tag[e]))) ++e;
    return std::string(tag.substr(i, e - i));
  }
  return {};
}

}  // namespace

std::vector<MiniHtmlRun> ParseMiniHtml(std::string_view m) {
  std::vector<MiniHtmlRun> runs;
  State st;
  std::string text;
  auto current = [&] {
    MiniHtmlRun r;
    r.bold = st.bold > 0;
    r.italic = st.italic > 0;
    r.underline = st.underline > 0;
    for (const auto& f : st.fonts) {
      if (f.color) r.color = f.color;
      if (f.size) r.size = f.size;
      if (!f.face.empty()) r.face = f.face;
    }
    return r;
  };
  auto flush = [&] {
    if (text.empty()) return;
    MiniHtmlRun r = current();
    r.text = std::move(text);
    text.clear();
    if (!runs.empty()) {
      MiniHtmlRun& last = runs.back();
      MiniHtmlRun probe = r;
      probe.text = last.text;
      if (probe == last) {
        last.text += r.text;
        return;
      }
    }
    runs.push_back(std::move(r));
  };
  size_t i = 0;
  while (i < m.size()) {
    const char c = m[i];
    if (c == '<') {
      const size_t close = m.find('>', i);
      if (close != std::string_view::npos) {
        const std::string_view body = m.substr(i + 1, close - i - 1);
        const bool end = !body.empty() && body[0] == '/';
        std::string name = AsciiLower(body.substr(end ? 1 : 0, body.find_first_of(" \t/", end ? 1 : 0) - (end ? 1 : 0)));
        bool known = true;
        if (name == "b" || name == "i" || name == "u") {
          flush();
          int& n = name == "b" ? st.bold : name == "i" ? st.italic : st.underline;
          n = end ? (n > 0 ? n - 1 : 0) : n + 1;
        } else if (name == "br") {
          text += '\n';
        } else if (name == "p") {
          if (!end && !(runs.empty() && text.empty())) text += '\n';
        } else if (name == "font") {
          flush();
          if (end) {
            if (!st.fonts.empty()) st.fonts.pop_back();
          } else {
            State::Font f;
            f.color = ParseColor(Attribute(body, "color"));
            const std::string size = Attribute(body, "size");
            try {
              f.size = size.empty() ? 0 : StrToInt(size);
            } catch (...) {
              f.size = 0;
            }
            if (f.size < 0 || f.size > 200) f.size = 0;
            f.face = Attribute(body, "face");
            st.fonts.push_back(std::move(f));
          }
        } else {
          known = false;
        }
        if (known) {
          i = close + 1;
          continue;
        }
      }
      text += c;
      ++i;
    } else if (c == '&') {
      static const struct { const char* name; const char* text; } kEntities[] = {
          {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&nbsp;", "\xC2\xA0"}};
      bool matched = false;
      for (const auto& e : kEntities) {
        const std::string_view n(e.name);
        if (m.substr(i, n.size()).size() == n.size() && AsciiEqualNoCase(m.substr(i, n.size()), n)) {
          text += e.text;
          i += n.size();
          matched = true;
          break;
        }
      }
      if (!matched) {
        text += c;
        ++i;
      }
    } else if (c == '\r' || c == '\n') {
      // Markup line breaks are <BR>; source line ends are blanks.
      if (!text.empty() && text.back() != ' ' && text.back() != '\n') text += ' ';
      ++i;
      if (c == '\r' && i < m.size() && m[i] == '\n') ++i;
    } else {
      text += c;
      ++i;
    }
  }
  flush();
  return runs;
}

std::string MiniHtmlPlainText(std::string_view markup) {
  std::string r;
  for (const auto& run : ParseMiniHtml(markup)) r += run.text;
  return r;
}

}  // namespace nv
