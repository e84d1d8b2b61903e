#include "rss/feed_parser.h"

#include <pugixml.hpp>

#include <cstring>
#include <initializer_list>

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
bool Is(const pugi::xml_node& n, std::string_view local, std::initializer_list<const char*> namespaces) {
  if (n.type() != pugi::node_element || LocalName(n) != local) return false;
  const std::string_view ns = ElementNamespace(n);
  for (const char* allowed : namespaces)
    if (ns == allowed) return true;
  return false;
}

pugi::xml_node Child(const pugi::xml_node& parent, std::string_view local,
                     std::initializer_list<const char*> namespaces) {
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

// Titles and descriptions of RSS, and Atom text of type html, carry markup
// as escaped text; Atom xhtml and text content is text once parsed.
std::string RssText(const pugi::xml_node& n, bool keepBreaks) {
  return n ? HtmlToText(TextOf(n), keepBreaks) : std::string();
}

std::string AtomText(const pugi::xml_node& n, bool keepBreaks) {
  if (!n) return {};
  const std::string_view type = n.attribute("type").value();
  const std::string_view mode = n.attribute("mode").value();
  if (type.find("html") != std::string_view::npos && type != "xhtml" && type != "application/xhtml+xml")
    return HtmlToText(TextOf(n), keepBreaks);
  if (mode == "escaped") return HtmlToText(TextOf(n), keepBreaks);
  return keepBreaks ? TextLines(TextOf(n)) : CollapseSpace(TextOf(n));
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

void ReadRssItem(const pugi::xml_node& item, std::initializer_list<const char*> ns, std::string_view address,
                 Feed& feed) {
  FeedItem it;
  it.title = RssText(Child(item, "title", ns), false);
  pugi::xml_node date = Child(item, "pubDate", ns);
  if (!date) date = Child(item, "date", {kDc});
  it.pubDate = date ? Trimmed(TextOf(date)) : std::string();
  if (const pugi::xml_node link = Child(item, "link", ns)) {
    it.link = Resolved(link, TextOf(link), address);
  } else if (const pugi::xml_node guid = Child(item, "guid", ns);
             guid && std::string_view(guid.attribute("isPermaLink").value()) != "false") {
    it.link = Resolved(guid, TextOf(guid), address);
  } else if (const pugi::xml_attribute about = item.attribute("rdf:about")) {
    it.link = Resolved(item, about.value(), address);
  }
  pugi::xml_node desc = Child(item, "description", ns);
  if (!desc) desc = Child(item, "encoded", {"http://purl.org/rss/1.0/modules/content/"});
  it.description = RssText(desc, true);
  feed.items.push_back(std::move(it));
}

void ReadRss(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  const pugi::xml_node channel = Child(root, "channel", {""});
  if (!channel) throw EFeedError("The RSS document has no channel.");
  const std::string_view version = root.attribute("version").value();
  feed.format = "RSS " + std::string(version.empty() ? "2.0" : version);
  feed.title = RssText(Child(channel, "title", {""}), false);
  feed.description = RssText(Child(channel, "description", {""}), false);
  for (pugi::xml_node c = channel.first_child(); c; c = c.next_sibling())
    if (Is(c, "item", {""})) ReadRssItem(c, {""}, address, feed);
}

void ReadRdf(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  const pugi::xml_node channel = Child(root, "channel", {kRss10, kRss090, ""});
  if (!channel) throw EFeedError("The RSS document has no channel.");
  const bool v090 = ElementNamespace(channel) == kRss090;
  feed.format = v090 ? "RSS 0.90" : "RSS 1.0";
  feed.title = RssText(Child(channel, "title", {kRss10, kRss090, ""}), false);
  feed.description = RssText(Child(channel, "description", {kRss10, kRss090, ""}), false);
  // Items are the channel's siblings; some writers put them inside it.
  for (const pugi::xml_node& parent : {root, channel})
    for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling())
      if (Is(c, "item", {kRss10, kRss090, ""})) ReadRssItem(c, {kRss10, kRss090, ""}, address, feed);
}

std::string AtomLink(const pugi::xml_node& parent, std::string_view address) {
  pugi::xml_node chosen;
  for (pugi::xml_node c = parent.first_child(); c; c = c.next_sibling()) {
    if (!Is(c, "link", {kAtom10, kAtom03, ""})) continue;
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

void ReadAtom(const pugi::xml_node& root, std::string_view address, Feed& feed) {
  const bool v03 = ElementNamespace(root) == kAtom03 || std::string_view(root.attribute("version").value()) == "0.3";
  feed.format = v03 ? "Atom 0.3" : "Atom 1.0";
  const auto ns = {kAtom10, kAtom03, ""};
  feed.title = AtomText(Child(root, "title", ns), false);
  pugi::xml_node sub = Child(root, "subtitle", ns);
  if (!sub) sub = Child(root, "tagline", ns);
  feed.description = AtomText(sub, false);
  for (pugi::xml_node e = root.first_child(); e; e = e.next_sibling()) {
    if (!Is(e, "entry", ns)) continue;
    FeedItem it;
    it.title = AtomText(Child(e, "title", ns), false);
    pugi::xml_node date;
    for (const char* name : {"published", "updated", "issued", "modified", "created"})
      if (!date) date = Child(e, name, ns);
    it.pubDate = date ? Trimmed(TextOf(date)) : std::string();
    it.link = AtomLink(e, address);
    pugi::xml_node desc = Child(e, "summary", ns);
    if (!desc) desc = Child(e, "content", ns);
    it.description = AtomText(desc, true);
    if (desc && std::string_view(desc.attribute("type").value()) == "xhtml") it.description = CollapseSpace(it.description);
    feed.items.push_back(std::move(it));
  }
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
    throw EFeedError(Format("The document is not well-formed XML: %s at character %d.", r.description(),
                            static_cast<int>(r.offset)));
  }
  const pugi::xml_node root = doc.document_element();
  Feed feed;
  const std::string_view local = LocalName(root);
  if (local == "rss" && Prefix(root.name()).empty()) {
    ReadRss(root, address, feed);
  } else if (local == "RDF" && ElementNamespace(root) == kRdf) {
    ReadRdf(root, address, feed);
  } else if (local == "feed" && (ElementNamespace(root) == kAtom10 || ElementNamespace(root) == kAtom03 ||
                                 ElementNamespace(root).empty())) {
    ReadAtom(root, address, feed);
  } else if (local == "html" || local == "HTML") {
    throw EFeedError("The address gives a web page, not an RSS or Atom feed.");
  } else {
    throw EFeedError("The document is not an RSS or Atom feed.");
  }
  return feed;
}

}  // namespace nv::rss
