// Reads RSS 0.90, 0.91, 0.92, 1.0 (RDF) and 2.0 and Atom 0.3 and 1.0 feeds
// into the channel's title and description and its items.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace nv::rss {

struct FeedItem {
  std::string title;        // markup reduced to text
  std::string pubDate;      // as the feed writes it; empty when it has none
  std::string link;         // absolute where the feed gives a base for it
  std::string description;  // markup reduced to text, line breaks kept
};

struct Feed {
  std::string format;  // "RSS 2.0", "RSS 1.0", "Atom 1.0", ...
  std::string title;
  std::string description;
  std::string link;  // the site's own address, as the channel gives it
  std::vector<FeedItem> items;
};

// bytes: the document as downloaded; httpCharset: the charset of the HTTP
// Content-Type header (may be empty); address: where the document came
// from, the base of relative links. Never loads a DTD or expands a declared
// entity. Throws EFeedError with a text for the user when the document is
// not well-formed XML or not a feed.
Feed ParseFeed(std::string_view bytes, std::string_view httpCharset = {}, std::string_view address = {});

// The charset parameter of a Content-Type header value, or empty.
std::string CharsetOfContentType(std::string_view contentType);

}  // namespace nv::rss
