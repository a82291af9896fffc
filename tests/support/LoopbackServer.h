#pragma once
// A small HTTP server on a loopback port for tests that must inject faults nginx cannot make
// (a connection cut at byte N, a stall, a wrong status) or record exactly what arrived.
// Each connection is served on its own thread by the test's handler, one request per
// connection (the handler closes it).

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testsupport {

struct HttpRequest {
    std::string method;
    std::string target;                          // path and query, as sent
    std::map<std::string, std::string> headers;  // names in lower case
    std::string rawHead;                         // request line and header lines, as sent
    std::string body;

    std::string Header(const std::string& lowerName) const;
};

class LoopbackServer;

class HttpConnection {
  public:
    // Writes raw bytes; false once the peer has gone.
    bool Send(std::string_view bytes);
    // Status line, Content-Length (unless given in `headers`), headers, body.
    bool Respond(int status, std::string_view body, std::string_view extraHeaders = "");
    // Blocks until the server is stopped: a server that accepted and never answers.
    void HoldUntilStopped();
    // Waits until the client closes its end (anything else it sends is discarded); false
    // after `timeout`. Shows that a client gave up on a request rather than leaving it open.
    bool WaitForPeerClose(std::chrono::milliseconds timeout);

  private:
    friend class LoopbackServer;
    HttpConnection(int fd, LoopbackServer& server) : m_fd(fd), m_server(server) {}
    int m_fd;
    LoopbackServer& m_server;
};

class LoopbackServer {
  public:
    using Handler = std::function<void(const HttpRequest&, HttpConnection&)>;

    explicit LoopbackServer(Handler handler);
    ~LoopbackServer();
    LoopbackServer(const LoopbackServer&) = delete;
    LoopbackServer& operator=(const LoopbackServer&) = delete;

    std::uint16_t Port() const { return m_port; }
    std::string Url(std::string_view pathAndQuery) const;

    std::vector<HttpRequest> Requests() const;
    // Waits until at least `count` requests have arrived; false after `timeout`.
    bool WaitForRequests(size_t count, std::chrono::milliseconds timeout) const;

    void Stop();

  private:
    friend class HttpConnection;
    void AcceptLoop();
    void Serve(int fd);

    Handler m_handler;
    int m_listenFd = -1;
    std::uint16_t m_port = 0;
    std::thread m_acceptThread;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<HttpRequest> m_requests;
    std::vector<std::thread> m_workers;
    std::vector<int> m_openFds;
    bool m_stopped = false;
};

// A port on 127.0.0.1 on which nothing listens (bound once, then released).
std::uint16_t UnusedLoopbackPort();

}  // namespace testsupport
