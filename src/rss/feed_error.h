#pragma once

#include "ui/errors.h"

namespace nv::rss {

// A feed that cannot be read: not XML, not a feed, an unknown encoding.
class EFeedError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace nv::rss
