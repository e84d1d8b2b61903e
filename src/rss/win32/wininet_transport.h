// The feed download through WinINet: the system's proxy configuration, no
// credentials, compressed transfer, redirects followed within http and https
// (never down from https), the client's time-out. The request runs on
// a worker thread while the calling (GUI) thread keeps handling messages, so
// the window paints and the hotkeys work during a long wait.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "rss/tipwrss.h"

namespace nv::rss {

class WinInetTransport : public FeedTransport {
 public:
  ~WinInetTransport() override;
  bool Get(const FetchRequest& request, FetchResponse& response) override;
  void Cancel() override;

  // The largest document accepted; a bigger one is an error, not a full disk.
  static constexpr size_t kMaxDocument = 32u << 20;

  // Where a request for an address is sent: the address itself. Tests send
  // https addresses to their plain-HTTP server through it; everything else
  // (the redirect rule, relative links) sees the address as asked for. Set
  // it while no fetch runs.
  static std::function<std::string(const std::string&)>& SendTo();

  struct State;

 private:
  std::shared_ptr<State> running_;
};

// The system's text for a WinINet or Win32 error code, without the trailing
// line break.
std::string InternetErrorText(DWORD code);

}  // namespace nv::rss
