#include "rss/feed_parser.h"

#include <pugixml.hpp>

#include <cstring>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <utility>

#include "codec/base64.h"
#include "rss/feed_error.h"
#include "rss/feed_text.h"
#include "ui/errors.h"

namespace nv::rss {
namespace {

constexpr const char* kAtom10 = "http://www.w3.org/2005/Atom";
constexpr const char* kAtom03 = "http://purl.org/atom/ns#";
constexpr const char* kRss10 = "http://purl.org/rss/1.0/";
constexpr const char* kRss090 = "http://my.netscape.com/rdf/simple/0.9/";
constexpr const char* kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kDc = "http://purl.org/dc/elements/1.1/";
constexpr const char* kDcTerms = "http://purl.org/dc/terms/";
constexpr const char* kContent = "http://purl.org/rss/1.0/modules/content/";
constexpr const char* kXhtml = "http://www.w3.org/1999/xhtml";

std::string_view LocalName(const pugi::xml_node& n) {
  std::string_view name = n.name();
  const size_t colon = name.find(':');
  return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

std::string_view Prefix(std::string_view qname) {
  const size_t colon = qname.find(':');
  return colon == std::string_view::npos ? std::string_view() : qname.substr(0, colon);
}

// The namespace a prefix (empty: the default namespace) is bound to at node.
std::string_view NamespaceOf(pugi::xml_node node, std::string_view prefix) {
  const std::string attr = prefix.empty() ? std::string("xmlns") : "xmlns:" + std::string(prefix);
  for (; node && node.type() == pugi::node_element; node = node.parent())
    if (const pugi::xml_attribute a = node.attribute(attr.c_str())) return a.value();
  return {};
}

std::string_view ElementNamespace(const pugi::xml_node& n) { return NamespaceOf(n, Prefix(n.name())); }

// An element of one of the given namespaces ("" for none) by local name.
bool Is(const pugi::xml_node& n, std::string_view local, std::initializer_list<std::string_view> namespaces) {
  if (n.type() != pugi::node_element || LocalName(n) != local) return false;
  const std::string_view ns = ElementNamespace(n);
  for (std::string_view allowed : namespaces)
    if (ns == allowed) return true;
  return false;
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local,
                     std::initializer_list<std::string_view> namespaces) {
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
    if (Is(c, local, namespaces)) return c;
  return {};
}

// All character data below an element, in document order (no recursion:
// feeds may nest deeply).
std::string TextOf(const pugi::xml_node& element) {
  std::string out;
  pugi::xml_node n = element.first_child();
  while (n) {
    if (n.type() == pugi::node_pcdata || n.type() == pugi::node_cdata) out += n.value();
    if (n.first_child()) {
      n = n.first_child();
      continue;
    }
    while (n && n != element && !n.next_sibling()) n = n.parent();
    if (!n || n == element) break;
    n = n.next_sibling();
  }
  return out;
}

std::string Trimmed(std::string_view s) {
  while (!s.empty() && std::strchr(" \t\r\n", s.front())) s.remove_prefix(1);
  while (!s.empty() && std::strchr(" \t\r\n", s.back())) s.remove_suffix(1);
  return std::string(s);
}

// The markup below an element as written (for xhtml content, which is
// elements rather than escaped text), ready to be reduced to text.
std::string InnerXml(const pugi::xml_node& element) {
  struct Sink : pugi::xml_writer {
    std::string out;
    void write(const void* data, size_t size) override { out.append(static_cast<const char*>(data), size); }
  } sink;
  for (pugi::xml_node c = element.first_child(); c; c = c.next_sibling()) c.print(sink, "", pugi::format_raw);
  return sink.out;
}

// Titles and descriptions of RSS, and Atom text of type html, carry markup
// as escaped text; Atom xhtml content is markup once parsed, Atom text is
// text.
std::string RssText(const pugi::xml_node& n, bool keepBreaks) {
  return n ? HtmlToText(TextOf(n), keepBreaks) : std::string();
}

std::string XhtmlText(const pugi::xml_node& n, bool keepBreaks) {
  return n ? HtmlToText(InnerXml(n), keepBreaks) : std::string();
}

std::string PlainText(std::string_view text, bool keepBreaks) {
  return keepBreaks ? TextLines(text) : CollapseSpace(text);
}

// Base64 text as Atom 0.3 writes it ("mode" base64), or empty when it is
// not Base64.
std::string Base64Text(std::string_view text) {
  std::string letters;
  for (char c : text)
    if (c != ' ' && c != '\t') letters += c;
  try {
    const size_t n = base64::DecodeInPlace(reinterpret_cast<std::uint8_t*>(letters.data()), letters.size());
    letters.resize(n);
  } catch (const std::exception&) {
    return {};
  }
  return DecodeFeedBytes(letters, "utf-8");
}

std::string AtomText(const pugi::xml_node& n, bool keepBreaks) {
  if (!n) return {};
  std::string type = n.attribute("type").value();
  for (char& c : type)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const std::string_view mode = n.attribute("mode").value();
  const bool xhtml = type == "xhtml" || type == "application/xhtml+xml";
  const bool html = !xhtml && type.find("html") != std::string::npos;
  if (mode == "base64") {
    const std::string text = Base64Text(TextOf(n));
    return html || xhtml ? HtmlToText(text, keepBreaks) : PlainText(text, keepBreaks);
  }
  // Inline markup: xhtml content, or Atom 0.3's mode="xml".
  if (xhtml || (mode == "xml" && n.first_child().type() == pugi::node_element)) return XhtmlText(n, keepBreaks);
  if (html || mode == "escaped") return HtmlToText(TextOf(n), keepBreaks);
  return PlainText(TextOf(n), keepBreaks);
}

// The base address in force at a node: the document's address, changed by
// every xml:base from the root down.
std::string BaseOf(pugi::xml_node node, std::string_view address) {
  std::vector<std::string_view> bases;
  for (; node && node.type() == pugi::node_element; node = node.parent())
    if (const pugi::xml_attribute a = node.attribute("xml:base")) bases.push_back(a.value());
  std::string base(address);
  for (auto it = bases.rbegin(); it != bases.rend(); ++it) base = ResolveUrl(base, *it);
  return base;
}

std::string Resolved(const pugi::xml_node& at, std::string_view link, std::string_view address) {
  const std::string l = Trimmed(link);
  if (l.empty()) return l;
  return ResolveUrl(BaseOf(at, address), l);
}

// The first of the named children, in the order the names are given.
pugi::xml_node FirstOf(const pugi::xml_node& parent,
                       std::initializer_list<std::pair<std::string_view, std::initializer_list<std::string_view>>> names) {
  for (const auto& [local, namespaces] : names)
    if (const pugi::xml_node c = Child(parent, local, namespaces)) return c;
  return {};
}

// The date of an RSS item or channel: the format's own, else Dublin Core's.
std::string RssDate(const pugi::xml_node& parent, std::initializer_list<std::string_view> ns) {
  const pugi::xml_node date = FirstOf(parent, {{"pubDate", ns},
                                               {"date", {kDc}},
                                               {"issued", {kDcTerms}},
                                               {"created", {kDcTerms}},
                                               {"modified", {kDcTerms}},
                                               {"date", {kDcTerms}}});
  return date ? Trimmed(TextOf(date)) : std::string();
}

// The item text: the description, else the full content as content:encoded
// or an xhtml body gives it.
std::string RssItemText(const pugi::xml_node& item, std::initializer_list<std::string_view> ns) {
  if (const pugi::xml_node d = FirstOf(item, {{"description", ns}, {"description", {kDc}}})) {
    std::string text = RssText(d, true);
    if (!text.empty()) return text;
  }
  if (const pugi::xml_node encoded = Child(item, "encoded", {kContent})) return RssText(encoded, true);
  if (const pugi::xml_node body = Child(item, "body", {kXhtml})) return XhtmlText(body, true);
  return {};
}

void ReadRssItem(const pugi::xml_node& item, std::initializer_list<std::string_view> ns, std::string_view address,
                 Feed& feed) {
  FeedItem it;
  it.title = RssText(FirstOf(item, {{"title", ns}, {"title", {kDc}}}), false);
  it.pubDate = RssDate(item, ns);
  if (const pugi::xml_node link = Child(item, "link", ns); link && !Trimmed(TextOf(link)).empty()) {
    it.link = Resolved(link, TextOf(link), address);
  } else if (const pugi::xml_node guid = Child(item, "guid", ns);
             guid && std::string_view(guid.attribute("isPermaLink").value()) != "false") {
    it.link = Resolved(guid, TextOf(guid), address);
  } else if (const pugi::xml_attribute about = item.attribute("rdf:about")) {
    it.link = Resolved(item, about.value(), address);
  }
  it.description = RssItemText(item, ns);
  feed.items.push_back(std::move(it));
}

void ReadRssChannel(const pugi::xml_node& channel, std::initializer_list<std::string_view> ns,
                    std::string_view address, Feed& feed) {
  feed.title = RssText(FirstOf(channel, {{"title", ns}, {"title", {kDc}}}), false);
  feed.description = RssText(FirstOf(channel, {{"description", ns}, {"description", {kDc}}}), false);
  if (const pugi::xml_node link = Child(channel, "link", ns)) feed.link = Resolved(link, TextOf(link), address);
  else if (const pugi::xml_attribute about = channel.attribute("rdf:about")) feed.link = Resolved(channel, about.value(), address);
}

void ReadRss(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  // Some writers put the whole document in a default namespace of their own
  // (the Userland RSS 2.0 one, among others): the root's namespace is the
  // elements' namespace too.
  const std::string_view rootNs = ElementNamespace(root);
  const auto ns = {std::string_view(), rootNs};
  const pugi::xml_node channel = Child(root, "channel", ns);
  if (!channel) throw EFeedError("The RSS document has no channel.");
  const std::string_view version = root.attribute("version").value();
  feed.format = "RSS " + std::string(version.empty() ? "2.0" : version);
  ReadRssChannel(channel, ns, address, feed);
  // Items belong in the channel; a few writers put them beside it.
  for (const pugi::xml_node& parent : {channel, root})
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
      if (Is(c, "item", ns)) ReadRssItem(c, ns, address, feed);
}

void ReadRdf(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  const auto ns = {std::string_view(kRss10), std::string_view(kRss090), std::string_view()};
  const pugi::xml_node channel = Child(root, "channel", ns);
  bool hasItems = false;
  for (pugi::xml_node c = root.first_child(); c && !hasItems; c = c.next_sibling()) hasItems = Is(c, "item", ns);
  if (!channel && !hasItems) throw EFeedError("The RSS document has no channel.");
  const bool v090 = ElementNamespace(channel ? channel : root.child("item")) == kRss090;
  feed.format = v090 ? "RSS 0.90" : "RSS 1.0";
  if (channel) ReadRssChannel(channel, ns, address, feed);
  // Items are the channel's siblings; some writers put them inside it.
  for (const pugi::xml_node& parent : {root, channel})
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
      if (Is(c, "item", ns)) ReadRssItem(c, ns, address, feed);
}

std::string AtomLink(const pugi::xml_node& parent, std::initializer_list<std::string_view> ns,
                     std::string_view address) {
  pugi::xml_node chosen;
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (!Is(c, "link", ns)) continue;
    const pugi::xml_attribute rel = c.attribute("rel");
    if (rel && std::string_view(rel.value()) != "alternate") continue;
    // Prefer a web page when the feed offers the item in several forms.
    const std::string_view type = c.attribute("type").value();
    if (!chosen || (type == "text/html" && std::string_view(chosen.attribute("type").value()) != "text/html"))
      chosen = c;
  }
  if (!chosen) return {};
  const pugi::xml_attribute href = chosen.attribute("href");
  return Resolved(chosen, href ? href.value() : TextOf(chosen), address);
}

// The namespaces Atom has had: 1.0's, 0.3's and the drafts before 1.0
// ("http://purl.org/atom/ns#draft-ietf-atompub-format-..."), which all
// begin as 0.3's does.
bool IsAtomNamespace(std::string_view ns) {
  return ns == kAtom10 || ns.starts_with(kAtom03) || ns.starts_with("http://www.w3.org/2005/Atom");
}

void ReadAtom(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  const std::string_view rootNs = ElementNamespace(root);
  const bool v03 = rootNs == kAtom03 || std::string_view(root.attribute("version").value()) == "0.3";
  feed.format = v03 ? "Atom 0.3" : "Atom 1.0";
  const auto ns = {std::string_view(kAtom10), std::string_view(kAtom03), rootNs, std::string_view()};
  feed.title = AtomText(Child(root, "title", ns), false);
  feed.description = AtomText(FirstOf(root, {{"subtitle", ns}, {"tagline", ns}}), false);
  feed.link = AtomLink(root, ns, address);
  for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
    if (!Is(e, "entry", ns)) continue;
    FeedItem it;
    it.title = AtomText(FirstOf(e, {{"title", ns}, {"title", {kDc}}}), false);
    const pugi::xml_node date = FirstOf(e, {{"published", ns},
                                            {"updated", ns},
                                            {"issued", ns},
                                            {"modified", ns},
                                            {"created", ns},
                                            {"date", {kDc}},
                                            {"issued", {kDcTerms}},
                                            {"created", {kDcTerms}},
                                            {"modified", {kDcTerms}}});
    it.pubDate = date ? Trimmed(TextOf(date)) : std::string();
    it.link = AtomLink(e, ns, address);
    it.description = AtomText(Child(e, "summary", ns), true);
    if (it.description.empty()) it.description = AtomText(Child(e, "content", ns), true);
    feed.items.push_back(std::move(it));
  }
}

bool IsFeedRoot(const pugi::xml_node& root) {
  const std::string_view local = LocalName(root);
  const std::string_view ns = ElementNamespace(root);
  return (local == "rss" && Prefix(root.name()).empty()) || (local == "RDF" && ns == kRdf) ||
         (local == "feed" && (IsAtomNamespace(ns) || ns.empty()));
}

}  // namespace

std::string CharsetOfContentType(std::string_view contentType) {
  std::string lower(contentType);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  const size_t at = lower.find("charset=");
  if (at == std::string::npos) return {};
  std::string v = lower.substr(at + 8);
  v = v.substr(0, v.find(';'));
  std::string out;
  for (char c : v)
    if (c != '"' && c != '\'' && c != ' ') out += c;
  return out;
}

Feed ParseFeed(std::string_view bytes, std::string_view httpCharset, std::string_view address) {
  const std::string xml = ExpandHtmlEntities(DecodeFeedBytes(bytes, httpCharset));
  pugi::xml_document doc;
  // No DOCTYPE node, no processing instructions: the parser skips the
  // document type declaration and never expands an entity declared there.
  const unsigned options = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_wconv_attribute | pugi::parse_eol;
  const pugi::xml_parse_result r = doc.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8);
  if (!r) {
    // Feeds are often not quite XML (a bare &, a tag left open, a stray <):
    // browsers and feed readers read them anyway, and so do we, from a
    // mended copy. A document that is no feed even then keeps the parser's
    // complaint about the original.
    const std::string mended = MendXml(xml);
    const bool read = doc.load_buffer(mended.data(), mended.size(), options, pugi::encoding_utf8) &&
                      IsFeedRoot(doc.document_element());
    if (!read) {
      throw EFeedError(Format("The document is not well-formed XML: %s at character %d.", r.description(),
                              static_cast<int>(r.offset)));
    }
  }
  const pugi::xml_node root = doc.document_element();
  Feed feed;
  const std::string_view local = LocalName(root);
  if (local == "rss" && Prefix(root.name()).empty()) {
    ReadRss(root, address, feed);
  } else if (local == "RDF" && ElementNamespace(root) == kRdf) {
    ReadRdf(root, address, feed);
  } else if (local == "feed" && (IsAtomNamespace(ElementNamespace(root)) || ElementNamespace(root).empty())) {
    ReadAtom(root, address, feed);
  } else if (local == "html" || local == "HTML") {
    throw EFeedError("The address gives a web page, not an RSS or Atom feed.");
  } else {
    throw EFeedError("The document is not an RSS or Atom feed.");
  }
  return feed;
}

}  // namespace nv::rss
