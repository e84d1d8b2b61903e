#include "rss/win32/wininet_transport.h"

#include <wininet.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "rss/feed_text.h"
#include "ui/errors.h"
#include "ui/text.h"
#include "ui/win32/unique_handle.h"
#include "ui/win32/win_text.h"

namespace nv::rss {

namespace {

struct InternetHandleTraits {
  using handle_type = HINTERNET;
  static handle_type Invalid() noexcept { return nullptr; }
  static bool IsValid(handle_type h) noexcept { return h != nullptr; }
  static void Close(handle_type h) noexcept { ::InternetCloseHandle(h); }
};

std::string QueryText(HINTERNET request, DWORD info) {
  DWORD size = 0;
  ::HttpQueryInfoW(request, info, nullptr, &size, nullptr);
  if (size == 0) return {};
  std::wstring w(size / sizeof(wchar_t) + 1, L'\0');
  if (!::HttpQueryInfoW(request, info, w.data(), &size, nullptr)) return {};
  w.resize(size / sizeof(wchar_t));
  return Narrow(w);
}

}  // namespace

// What the worker and the waiting thread share. The worker keeps its own
// reference, so a worker that outlives a cancelled wait touches no freed
// memory.
struct WinInetTransport::State {
  std::mutex lock;
  HINTERNET session = nullptr;  // closed by Cancel to break a blocking call
  std::atomic<bool> cancelled{false};
  UniqueKernelHandle done;
  FetchRequest request;
  FetchResponse response;
  std::string error;

  void CloseSession() {
    std::lock_guard<std::mutex> g(lock);
    if (session) ::InternetCloseHandle(session);
    session = nullptr;
  }
};

std::string InternetErrorText(DWORD code) {
  wchar_t* buf = nullptr;
  const HMODULE wininet = ::GetModuleHandleW(L"wininet.dll");
  DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE |
                                 FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                             wininet, code, 0, reinterpret_cast<wchar_t*>(&buf), 0, nullptr);
  std::string text;
  if (n && buf) text = Narrow(std::wstring(buf, n));
  if (buf) ::LocalFree(buf);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' || text.back() == '.'))
    text.pop_back();
  if (text.empty()) text = "The connection failed";
  return Format("%s (error %u).", text.c_str(), static_cast<unsigned>(code));
}

namespace {

using InternetHandle = UniqueHandle<InternetHandleTraits>;

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

void RunRequest(const std::shared_ptr<WinInetTransport::State>& st) {
  const FetchRequest& rq = st->request;
  // The system's proxy configuration, as the user's browser has it; no
  // stored credentials or cookies.
  HINTERNET session = ::InternetOpenW(L"Nookvale", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) {
    st->error = InternetErrorText(::GetLastError());
    return;
  }
  {
    std::lock_guard<std::mutex> g(st->lock);
    if (st->cancelled) {
      ::InternetCloseHandle(session);
      return;
    }
    st->session = session;
  }
  DWORD ms = static_cast<DWORD>(rq.timeoutSeconds > 0 ? rq.timeoutSeconds : 60) * 1000u;
  for (DWORD opt : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
    ::InternetSetOptionW(session, opt, &ms, sizeof ms);
  // Feeds are text and compress well: WinINet asks for gzip or deflate and
  // hands us the decoded bytes.
  BOOL decode = TRUE;
  ::InternetSetOptionW(session, INTERNET_OPTION_HTTP_DECODING, &decode, sizeof decode);
  // Redirects are followed here rather than by WinINet, which would follow
  // any of them, https down to http included.
  const DWORD flags = INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_AUTH | INTERNET_FLAG_RELOAD |
                      INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE | INTERNET_FLAG_NO_AUTO_REDIRECT;
  const wchar_t* headers =
      L"Accept: application/rss+xml, application/atom+xml, application/xml, text/xml, */*\r\n"
      L"Accept-Encoding: gzip, deflate\r\n";
  std::string url = rq.url;
  InternetHandle request;
  for (int followed = 0;; ++followed) {
    const std::wstring sendTo = Widen(WinInetTransport::SendTo()(url));
    request.reset(::InternetOpenUrlW(session, sendTo.c_str(), headers, static_cast<DWORD>(-1), flags, 0));
    if (!request) {
      const DWORD e = ::GetLastError();
      if (!st->cancelled) st->error = InternetErrorText(e);
      return;
    }
    DWORD status = 0, size = sizeof status;
    if (!::HttpQueryInfoW(request.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr))
      break;
    if (status >= 300 && status < 400) {
      const std::string where = QueryText(request.get(), HTTP_QUERY_LOCATION);
      if (where.empty()) {
        st->error = Format("The server answered HTTP status %u without a new address.", status);
        return;
      }
      const bool follow = rq.followRedirects && IsRedirect(status);
      const std::string next = follow ? RedirectTarget(url, where, followed) : std::string();
      if (next.empty()) {
        st->error = "The feed has moved to " + ResolveUrl(url, where) + ".";
        return;
      }
      url = next;
      continue;
    }
    if (status < 200 || status >= 300) {
      const std::string reason = QueryText(request.get(), HTTP_QUERY_STATUS_TEXT);
      st->error = reason.empty() ? Format("The server answered HTTP status %u.", status)
                                 : Format("The server answered HTTP status %u (%s).", status, reason.c_str());
      return;
    }
    break;
  }
  st->response.url = url;
  st->response.contentType = QueryText(request.get(), HTTP_QUERY_CONTENT_TYPE);
  char buf[16384];
  for (;;) {
    DWORD got = 0;
    if (!::InternetReadFile(request.get(), buf, sizeof buf, &got)) {
      const DWORD e = ::GetLastError();
      if (!st->cancelled) st->error = InternetErrorText(e);
      return;
    }
    if (got == 0) break;
    if (st->response.body.size() + got > WinInetTransport::kMaxDocument) {
      st->error = "The feed is larger than 32 MB.";
      return;
    }
    st->response.body.append(buf, got);
  }
}

}  // namespace

std::function<std::string(const std::string&)>& WinInetTransport::SendTo() {
  static std::function<std::string(const std::string&)> sendTo = [](const std::string& url) { return url; };
  return sendTo;
}

WinInetTransport::~WinInetTransport() { Cancel(); }

void WinInetTransport::Cancel() {
  if (const auto st = running_) {
    st->cancelled = true;
    st->CloseSession();
  }
}

bool WinInetTransport::Get(const FetchRequest& request, FetchResponse& response) {
  auto st = std::make_shared<State>();
  st->request = request;
  st->done.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!st->done) throw Exception(InternetErrorText(::GetLastError()));
  running_ = st;
  std::thread worker([st] {
    RunRequest(st);
    st->CloseSession();
    ::SetEvent(st->done.get());
  });
  // WinINet's own time-outs count per operation; this bounds the whole
  // download (a server trickling bytes), with a little slack so the
  // library's own time-out is the one normally reported.
  const ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(request.timeoutSeconds) * 1000u + 2000u;
  bool timedOut = false;
  for (;;) {
    const ULONGLONG now = ::GetTickCount64();
    const DWORD wait = now >= deadline ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 1000));
    HANDLE h = st->done.get();
    const DWORD r = ::MsgWaitForMultipleObjects(1, &h, FALSE, wait, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_OBJECT_0 + 1) {
      MSG msg;
      while (!st->cancelled && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
          // The program is ending: stop, and leave the quit for the loop.
          ::PostQuitMessage(static_cast<int>(msg.wParam));
          Cancel();
          break;
        }
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
      }
    } else if (::GetTickCount64() >= deadline && !st->cancelled) {
      timedOut = true;
      Cancel();
    }
    if (st->cancelled) {
      // Closing the session breaks the worker's blocking call on Windows;
      // a worker still stuck in the network stack after a moment finishes
      // alone (it holds its own share of the state) rather than freeze the
      // window.
      ::WaitForSingleObject(st->done.get(), 250);
      break;
    }
  }
  if (::WaitForSingleObject(st->done.get(), 0) == WAIT_OBJECT_0) worker.join();
  else worker.detach();
  running_.reset();
  if (timedOut) throw Exception(InternetErrorText(ERROR_INTERNET_TIMEOUT));
  if (st->cancelled) return false;
  if (!st->error.empty()) throw Exception(st->error);
  response = std::move(st->response);
  return true;
}

}  // namespace nv::rss
