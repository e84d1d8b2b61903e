#include "rss/tipwrss.h"

#include "rss/feed_text.h"
#include "ui/errors.h"

namespace nv::rss {

std::string TipwRSS::NormalizeAddress(const std::string& url) {
  size_t b = 0, e = url.size();
  while (b < e && (url[b] == ' ' || url[b] == '\t')) ++b;
  while (e > b && (url[e - 1] == ' ' || url[e - 1] == '\t')) --e;
  std::string u = url.substr(b, e - b);
  if (u.find("://") == std::string::npos && UrlScheme(u).empty()) u = "http://" + u;
  return u;
}

std::string RedirectTarget(std::string_view from, std::string_view location, int followed) {
  if (followed >= kMaxRedirects) return {};
  std::string target = ResolveUrl(from, location);
  const std::string scheme = UrlScheme(target);
  if (scheme != "http" && scheme != "https") return {};
  if (UrlScheme(from) == "https" && scheme == "http") return {};
  return target;
}

bool TipwRSS::FetchFeed(const std::string& url) {
  // A fetch asked for while one runs (from a message handled during the
  // wait) is ignored: the running one will fill the fields.
  if (busy_) return false;
  struct BusyScope {
    bool& b;
    explicit BusyScope(bool& flag) : b(flag) { b = true; }
    ~BusyScope() { b = false; }
  } scope(busy_);
  feed_ = Feed();
  if (!transport_) throw Exception("The RSS client has no connection to the network.");
  FetchRequest req;
  req.url = NormalizeAddress(url);
  const std::string scheme = UrlScheme(req.url);
  if (scheme != "http" && scheme != "https")
    throw Exception("Only http and https feed addresses can be fetched: " + req.url);
  req.timeoutSeconds = Timeout;
  req.followRedirects = FollowRedirects;
  FetchResponse resp;
  if (!transport_->Get(req, resp)) return false;
  feed_ = ParseFeed(resp.body, CharsetOfContentType(resp.contentType), resp.url.empty() ? req.url : resp.url);
  return true;
}

void TipwRSS::Cancel() {
  if (transport_) transport_->Cancel();
}

const FeedItem& TipwRSS::Item(int i, const char* property) const {
  if (i < 1 || i > ItemCount()) throw Exception(std::string("Invalid array index value for ") + property);
  return feed_.items[static_cast<size_t>(i - 1)];
}

const std::string& TipwRSS::ItemTitle(int i) const { return Item(i, "ItemTitle").title; }
const std::string& TipwRSS::ItemPubDate(int i) const { return Item(i, "ItemPubDate").pubDate; }
const std::string& TipwRSS::ItemLink(int i) const { return Item(i, "ItemLink").link; }
const std::string& TipwRSS::ItemDescription(int i) const { return Item(i, "ItemDescription").description; }

}  // namespace nv::rss
