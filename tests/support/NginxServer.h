#pragma once
// A real nginx on a free loopback port, serving a folder. Started by the test, stopped with it.
// Byte ranges, 404 and 416 come from nginx itself; further behaviour (redirects, fixed
// statuses) is added with server-block directives.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class NginxServer {
  public:
    // `extraServerConfig` is inserted into the server block, e.g.
    //   "location = /broken { return 500; }"
    explicit NginxServer(std::filesystem::path root, std::string extraServerConfig = "");
    ~NginxServer();
    NginxServer(const NginxServer&) = delete;
    NginxServer& operator=(const NginxServer&) = delete;

    bool Running() const { return m_pid > 0; }
    std::uint16_t Port() const { return m_port; }
    std::string Url(std::string_view pathAndQuery) const;
    const std::filesystem::path& Root() const { return m_root; }

    // "<method> <uri with query> <status> <bytes sent> <range header>" per request, in order.
    std::vector<std::string> AccessLog() const;
    // Why nginx did not start, when it did not.
    std::string ErrorLog() const;

  private:
    std::filesystem::path m_root;
    std::filesystem::path m_work;
    std::uint16_t m_port = 0;
    int m_pid = -1;
};

}  // namespace testsupport
