#include "PackageServer.h"

#include <random>

#include "platform/StringUtil.h"

namespace testsupport {

PackageServer::PackageServer(std::string package, const std::string& version)
    : m_package(std::move(package)),
      m_server([this](const HttpRequest& r, HttpConnection& c) { Handle(r, c); }) {
    SetConfig(ConfigFor(version));
}

void PackageServer::SetConfig(std::string text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_config = std::move(text);
}

std::string PackageServer::ConfigFor(const std::string& version) const {
    return "ClientVersion=" + version + "\nClientDownloadUrl=" + PackageUrl() + "\n";
}

std::vector<std::string> PackageServer::PackageRanges() const {
    std::vector<std::string> ranges;
    for (const auto& request : m_server.Requests()) {
        if (request.target == "/pkg") {
            ranges.push_back(request.Header("range"));
        }
    }
    return ranges;
}

void PackageServer::Handle(const HttpRequest& request, HttpConnection& connection) {
    if (request.target == "/config") {
        std::string config;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            config = m_config;
        }
        connection.Respond(200, config);
        return;
    }
    if (request.target != "/pkg") {
        connection.Respond(404, "<html>not found</html>");
        return;
    }
    if (fixedStatus != 0) {
        connection.Respond(fixedStatus, "<html>error page</html>");
        return;
    }
    const std::string size = std::to_string(m_package.size());
    if (always416) {
        connection.Respond(416, "", "Content-Range: bytes */" + size + "\r\n");
        return;
    }
    const std::string range = request.Header("range");
    int status = 200;
    std::string body = m_package;
    std::string headers;
    if (!range.empty() && !ignoreRanges) {
        const auto first = static_cast<size_t>(platform::ParseDecimal64(range.substr(6)));
        if (first >= m_package.size()) {
            connection.Respond(416, "", "Content-Range: bytes */" + size + "\r\n");
            return;
        }
        status = 206;
        body = m_package.substr(first);
        headers = "Content-Range: bytes " + std::to_string(first) + "-" +
                  std::to_string(m_package.size() - 1) + "/" + size + "\r\n";
    }
    const long cut = cutNextAfter.exchange(-1);
    const long pause = pauseNextAfter.exchange(-1);
    if (cut < 0 && pause < 0 && !stallAfterHead) {
        connection.Respond(status, body, headers);
        return;
    }
    connection.Send("HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " +
                    std::to_string(body.size()) + "\r\n" + headers + "Connection: close\r\n\r\n");
    if (stallAfterHead) {
        connection.Send(body.substr(0, 100));
        connection.HoldUntilStopped();
        return;
    }
    if (pause >= 0) {
        connection.Send(body.substr(0, static_cast<size_t>(pause)));
        std::unique_lock<std::mutex> lock(m_mutex);
        m_released.wait_for(lock, std::chrono::seconds(30), [this] { return m_release; });
        lock.unlock();
        connection.Send(body.substr(static_cast<size_t>(pause)));
        return;
    }
    connection.Send(body.substr(0, static_cast<size_t>(cut)));
}

void PackageServer::Release() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_release = true;
    }
    m_released.notify_all();
}

std::string RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (auto& b : bytes) {
        b = static_cast<char>(random());
    }
    // Never a zip signature at the start.
    bytes[0] = 'X';
    return bytes;
}

}  // namespace testsupport
