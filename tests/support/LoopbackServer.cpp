#include "support/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <stdexcept>

namespace testsupport {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return s;
}

std::string Trim(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    const size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

const char* Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 416:
            return "Range Not Satisfiable";
        case 500:
            return "Internal Server Error";
        default:
            return "Status";
    }
}

int ListenOnLoopback(std::uint16_t& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 64) != 0) {
        close(fd);
        throw std::runtime_error("bind/listen failed");
    }
    socklen_t len = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

}  // namespace

std::string HttpRequest::Header(const std::string& lowerName) const {
    const auto it = headers.find(lowerName);
    return it == headers.end() ? std::string() : it->second;
}

bool HttpConnection::Send(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool HttpConnection::Respond(int status, std::string_view body, std::string_view extraHeaders) {
    std::string head = "HTTP/1.1 " + std::to_string(status) + " " + Reason(status) + "\r\n";
    const std::string lowerExtra = Lower(std::string(extraHeaders));
    if (lowerExtra.find("content-length:") == std::string::npos) {
        head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    }
    head += extraHeaders;
    head += "Connection: close\r\n\r\n";
    return Send(head) && Send(body);
}

void HttpConnection::HoldUntilStopped() {
    std::unique_lock<std::mutex> lock(m_server.m_mutex);
    m_server.m_changed.wait(lock, [this] { return m_server.m_stopped; });
}

bool HttpConnection::WaitForPeerClose(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    char buf[4096];
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return false;
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return false;
        const ssize_t n = recv(m_fd, buf, sizeof buf, 0);
        if (n == 0 || (n < 0 && errno != EINTR && errno != EAGAIN))
            return true;
    }
}

LoopbackServer::LoopbackServer(Handler handler) : m_handler(std::move(handler)) {
    m_listenFd = ListenOnLoopback(m_port);
    m_acceptThread = std::thread([this] { AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
    Stop();
}

std::string LoopbackServer::Url(std::string_view pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(pathAndQuery);
}

void LoopbackServer::Stop() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopped)
            return;
        m_stopped = true;
        for (int fd : m_openFds)
            shutdown(fd, SHUT_RDWR);
    }
    m_changed.notify_all();
    shutdown(m_listenFd, SHUT_RDWR);
    if (m_acceptThread.joinable())
        m_acceptThread.join();
    close(m_listenFd);
    std::vector<std::thread> workers;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        workers.swap(m_workers);
    }
    for (auto& t : workers)
        t.join();
}

void LoopbackServer::AcceptLoop() {
    while (true) {
        pollfd p{m_listenFd, POLLIN, 0};
        const int ready = poll(&p, 1, 50);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_stopped)
                return;
        }
        if (ready <= 0)
            continue;
        const int fd = accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopped) {
            close(fd);
            return;
        }
        m_openFds.push_back(fd);
        m_workers.emplace_back([this, fd] { Serve(fd); });
    }
}

void LoopbackServer::Serve(int fd) {
    std::string data;
    char buf[4096];
    size_t headEnd = std::string::npos;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        data.append(buf, static_cast<size_t>(n));
    }
    if (headEnd != std::string::npos) {
        HttpRequest request;
        request.rawHead = data.substr(0, headEnd + 2);
        const size_t lineEnd = data.find("\r\n");
        const std::string line = data.substr(0, lineEnd);
        const size_t sp1 = line.find(' ');
        const size_t sp2 = line.find(' ', sp1 + 1);
        request.method = line.substr(0, sp1);
        request.target = line.substr(sp1 + 1, sp2 - sp1 - 1);
        size_t pos = lineEnd + 2;
        while (pos < headEnd) {
            const size_t end = data.find("\r\n", pos);
            const std::string header = data.substr(pos, end - pos);
            const size_t colon = header.find(':');
            if (colon != std::string::npos) {
                request.headers[Lower(header.substr(0, colon))] = Trim(header.substr(colon + 1));
            }
            pos = end + 2;
        }
        const size_t length =
            static_cast<size_t>(std::atoll(request.Header("content-length").c_str()));
        request.body = data.substr(headEnd + 4);
        while (request.body.size() < length) {
            const ssize_t n = recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            request.body.append(buf, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_requests.push_back(request);
        }
        m_changed.notify_all();
        HttpConnection connection(fd, *this);
        m_handler(request, connection);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    m_openFds.erase(std::remove(m_openFds.begin(), m_openFds.end(), fd), m_openFds.end());
    close(fd);
}

std::vector<HttpRequest> LoopbackServer::Requests() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

bool LoopbackServer::WaitForRequests(size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, timeout, [&] { return m_requests.size() >= count; });
}

std::uint16_t UnusedLoopbackPort() {
    std::uint16_t port = 0;
    close(ListenOnLoopback(port));
    return port;
}

}  // namespace testsupport
