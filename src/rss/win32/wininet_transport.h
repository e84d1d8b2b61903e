// The feed download through WinINet: the system's proxy configuration, no
// credentials, compressed transfer, redirects followed within http and https
// (never down from https), the client's time-out. The request runs on
// a worker thread while the calling (GUI) thread keeps handling messages, so
// the window paints and the hotkeys work during a long wait.
#pragma once

#include <windows.h>

#include <memory>

#include "rss/tipwrss.h"

namespace nv::rss {

class WinInetTransport : public FeedTransport {
 public:
  ~WinInetTransport() override;
  bool Get(const FetchRequest& request, FetchResponse& response) override;
  void Cancel() override;

  // The largest document accepted; a bigger one is an error, not a full disk.
  static constexpr size_t kMaxDocument = 32u << 20;

  struct State;

 private:
  std::shared_ptr<State> running_;
};

// The system's text for a WinINet or Win32 error code, without the trailing
// line break.
std::string InternetErrorText(DWORD code);

}  // namespace nv::rss
