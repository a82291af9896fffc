#pragma once
// A scripted server for the update chain on top of LoopbackServer: "/config" answers the
// configuration text, "/pkg" the package with byte ranges, and faults can be switched on for
// the package: a connection cut after N body bytes, a stall, ranges ignored (200), always 416,
// or a fixed status.

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "support/LoopbackServer.h"

namespace testsupport {

class PackageServer {
  public:
    // Serves `package`; the configuration names it as the package of `version`.
    explicit PackageServer(std::string package, const std::string& version = "1.0.0.3");

    void SetConfig(std::string text);
    // "ClientVersion=<version>" and "ClientDownloadUrl=" this server's package.
    std::string ConfigFor(const std::string& version) const;

    std::string ConfigUrl() const { return m_server.Url("/config"); }
    std::string PackageUrl() const { return m_server.Url("/pkg"); }
    const std::string& Package() const { return m_package; }

    // The "Range" headers of the package requests so far ("" for a request without one).
    std::vector<std::string> PackageRanges() const;
    LoopbackServer& Server() { return m_server; }

    std::atomic<long> cutNextAfter{-1};  // cut the next package answer after N body bytes
    std::atomic<bool> stallAfterHead{false};
    std::atomic<bool> ignoreRanges{false};
    std::atomic<bool> always416{false};
    std::atomic<int> fixedStatus{0};
    // Sends the first N body bytes of the next package answer, then waits for Release().
    std::atomic<long> pauseNextAfter{-1};
    void Release();

  private:
    void Handle(const HttpRequest& request, HttpConnection& connection);

    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_release = false;
    std::string m_config;
    const std::string m_package;
    LoopbackServer m_server;
};

// Bytes that no archive reader accepts, of the given size, the same for the same seed.
std::string RandomBytes(size_t size, unsigned seed);

}  // namespace testsupport
