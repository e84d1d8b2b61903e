#include "notebook/notebook_links.h"

#include "rss/feed_text.h"

namespace nv {

bool IsLinkToOpen(std::string_view target) {
  return rss::IsWebAddress(target) || rss::UrlScheme(target) == "mailto";
}

std::string LinkNotOpenedText(std::string_view target) {
  return "The link \"" + std::string(target) + "\" was not opened: only http, https and mailto addresses are opened.";
}

}  // namespace nv
