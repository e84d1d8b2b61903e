// The RSS client: downloads a feed by its address and parses it into the
// channel's fields and its items, numbered from 1.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "rss/feed_parser.h"

namespace nv::rss {

struct FetchRequest {
  std::string url;
  int timeoutSeconds = 60;
  bool followRedirects = true;
};

struct FetchResponse {
  std::string body;
  std::string contentType;  // the Content-Type header, may be empty
  std::string url;          // where the document came from after redirects; empty: the request's
};

// Most sites send http: readers on to https:, some through a chain of
// addresses: a fetch follows up to this many redirects.
inline constexpr int kMaxRedirects = 5;

// The address a redirect leads to when the fetch may follow it: from the
// address from, to its Location header location, after followed earlier
// redirects. Only http and https addresses, never from https down to http
// (a redirect must not strip the encryption off a feed asked for with
// it), at most kMaxRedirects. Empty when it may not be followed.
std::string RedirectTarget(std::string_view from, std::string_view location, int followed);

// How the client gets a document. Get blocks until the document is there
// or throws with the failure's text.
class FeedTransport {
 public:
  virtual ~FeedTransport() = default;
  // Returns false when the request was cancelled before it finished.
  virtual bool Get(const FetchRequest& request, FetchResponse& response) = 0;
  // Asks a running Get to stop; safe to call when none runs.
  virtual void Cancel() = 0;
};

class TipwRSS {
 public:
  // The client's defaults, kept by the reader.
  int Timeout = 60;  // seconds
  bool FollowRedirects = true;  // within http and https; see RedirectTarget
  int FirewallPort = 80;
  std::string FirewallHost, User, Password;  // none
  std::string AuthScheme = "basic";
  std::string RSSVersion = "2.0";

  void SetTransport(std::shared_ptr<FeedTransport> t) { transport_ = std::move(t); }

  // Downloads and parses the feed at url. Returns true when it was fetched;
  // false when the call was ignored (a fetch already runs) or the fetch was
  // cancelled. Throws nv::Exception with the failure's text otherwise. A
  // failed or cancelled fetch leaves no feed behind.
  bool FetchFeed(const std::string& url);
  bool Busy() const { return busy_; }
  void Cancel();

  const std::string& ChannelTitle() const { return feed_.title; }
  const std::string& ChannelDescription() const { return feed_.description; }
  const std::string& FeedFormat() const { return feed_.format; }
  int ItemCount() const { return static_cast<int>(feed_.items.size()); }
  // 1-based; a number outside 1..ItemCount raises
  // "Invalid array index value for ItemTitle" (ItemPubDate, ItemLink, ...).
  const std::string& ItemTitle(int i) const;
  const std::string& ItemPubDate(int i) const;
  const std::string& ItemLink(int i) const;
  const std::string& ItemDescription(int i) const;

  // The address as fetched: "http://" is put before one without a scheme.
  static std::string NormalizeAddress(const std::string& url);

 private:
  const FeedItem& Item(int i, const char* property) const;
  std::shared_ptr<FeedTransport> transport_;
  Feed feed_;
  bool busy_ = false;
};

}  // namespace nv::rss
