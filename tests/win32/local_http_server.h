// A small HTTP server of the tests' own on 127.0.0.1, on a free port: it
// answers GET requests for the paths it was given, with the status, headers
// and body given for each; a "hanging" path gets no answer until the server
// stops. The reader's tests and the gallery fetch feeds from it.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nv {

class LocalHttpServer {
 public:
  struct Route {
    std::string status = "200 OK";
    std::string headers = "Content-Type: application/rss+xml\r\n";
    std::string body;
    bool hang = false;
  };
  static Route Body(std::string body, std::string headers = "Content-Type: application/rss+xml\r\n") {
    Route r;
    r.body = std::move(body);
    r.headers = std::move(headers);
    return r;
  }

  LocalHttpServer() {
    WSADATA wsa;
    ::WSAStartup(MAKEWORD(2, 2), &wsa);
    listen_ = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;  // any free port, read back below
    ::bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::listen(listen_, 8);
    int len = sizeof a;
    ::getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~LocalHttpServer() {
    stop_ = true;
    thread_.join();
    for (SOCKET s : held_) ::closesocket(s);
    ::closesocket(listen_);
    ::WSACleanup();
  }
  void Add(const std::string& path, Route r) {
    std::lock_guard<std::mutex> g(lock_);
    routes_[path] = std::move(r);
  }
  // Sends requests for from on to to (an address or a path) with status.
  void AddRedirect(const std::string& from, const std::string& to, const char* status = "301 Moved Permanently") {
    Route r = Body("", "Location: " + to + "\r\n");
    r.status = status;
    Add(from, std::move(r));
  }
  std::string Url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
  int Requests() const { return requests_; }
  // The request lines and headers of every request so far, in order.
  std::vector<std::string> Heads() {
    std::lock_guard<std::mutex> g(lock_);
    return heads_;
  }
  int Port() const { return port_; }
  // Runs on the server thread as each request arrives.
  std::function<void(const std::string& path)> OnRequest;

 private:
  void Serve() {
    while (!stop_) {
      fd_set set;
      FD_ZERO(&set);
      FD_SET(listen_, &set);
      timeval tv{0, 50000};
      if (::select(0, &set, nullptr, nullptr, &tv) <= 0) continue;
      SOCKET c = ::accept(listen_, nullptr, nullptr);
      if (c == INVALID_SOCKET) continue;
      std::string req;
      char buf[4096];
      while (req.find("\r\n\r\n") == std::string::npos) {
        const int n = ::recv(c, buf, sizeof buf, 0);
        if (n <= 0) break;
        req.append(buf, static_cast<size_t>(n));
      }
      const size_t sp = req.find(' '), sp2 = req.find(' ', sp + 1);
      const std::string path = sp == std::string::npos ? "" : req.substr(sp + 1, sp2 - sp - 1);
      ++requests_;
      if (OnRequest) OnRequest(path);
      Route r;
      {
        std::lock_guard<std::mutex> g(lock_);
        heads_.push_back(req.substr(0, req.find("\r\n\r\n")));
        auto it = routes_.find(path);
        if (it == routes_.end()) {
          r = Body("<html>none</html>", "Content-Type: text/html\r\n");
          r.status = "404 Not Found";
        } else {
          r = it->second;
        }
      }
      if (r.hang) {
        held_.push_back(c);
        continue;
      }
      const std::string resp = "HTTP/1.1 " + r.status + "\r\nContent-Length: " + std::to_string(r.body.size()) +
                               "\r\nConnection: close\r\n" + r.headers + "\r\n" + r.body;
      ::send(c, resp.data(), static_cast<int>(resp.size()), 0);
      ::shutdown(c, SD_SEND);
      ::closesocket(c);
    }
  }

  SOCKET listen_ = INVALID_SOCKET;
  int port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::mutex lock_;
  std::map<std::string, Route> routes_;
  std::vector<std::string> heads_;
  std::vector<SOCKET> held_;
};

}  // namespace nv
