#include "support/NginxServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <sstream>
#include <thread>

#include "support/LoopbackServer.h"
#include "support/TempHome.h"

extern char** environ;

namespace testsupport {
namespace fs = std::filesystem;

namespace {

bool Accepts(std::uint16_t port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

const char* NginxBinary() {
    for (const char* candidate : {"/usr/sbin/nginx", "/usr/bin/nginx"}) {
        if (access(candidate, X_OK) == 0)
            return candidate;
    }
    return "nginx";
}

}  // namespace

NginxServer::NginxServer(fs::path root, std::string extraServerConfig) : m_root(std::move(root)) {
    std::string work = (fs::temp_directory_path() / "launcher-nginx-XXXXXX").string();
    if (mkdtemp(work.data()) == nullptr)
        return;
    m_work = work;
    const std::string w = m_work.string();
    for (int attempt = 0; attempt < 5 && m_pid < 0; ++attempt) {
        m_port = UnusedLoopbackPort();
        std::ostringstream conf;
        conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
             << "pid " << w << "/nginx.pid;\nerror_log " << w << "/error.log warn;\n"
             << "events { worker_connections 64; }\n"
             << "http {\n"
             << "  default_type application/octet-stream;\n"
             << "  log_format t '$request_method $request_uri $status $body_bytes_sent "
                "\"$http_range\"';\n"
             << "  access_log " << w << "/access.log t;\n"
             << "  client_body_temp_path " << w << "/body;\n"
             << "  proxy_temp_path " << w << "/proxy;\n"
             << "  fastcgi_temp_path " << w << "/fastcgi;\n"
             << "  uwsgi_temp_path " << w << "/uwsgi;\n"
             << "  scgi_temp_path " << w << "/scgi;\n"
             << "  server {\n"
             << "    listen 127.0.0.1:" << m_port << ";\n"
             << "    root " << m_root.string() << ";\n"
             << "    " << extraServerConfig << "\n"
             << "  }\n"
             << "}\n";
        WriteFile(m_work / "nginx.conf", conf.str());
        const std::string confPath = w + "/nginx.conf";
        const char* argv[] = {"nginx",   "-e", "stderr",         "-p",
                              w.c_str(), "-c", confPath.c_str(), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, NginxBinary(), nullptr, nullptr, const_cast<char**>(argv), environ) !=
            0) {
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (std::chrono::steady_clock::now() < deadline) {
            if (Accepts(m_port)) {
                m_pid = pid;
                break;
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                break;  // exited: most likely the port was taken meanwhile; try another
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        if (m_pid < 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
}

NginxServer::~NginxServer() {
    if (m_pid > 0) {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    std::error_code ignored;
    if (!m_work.empty())
        fs::remove_all(m_work, ignored);
}

std::string NginxServer::Url(std::string_view pathAndQuery) const {
    return "http://127.0.0.1:" + std::to_string(m_port) + std::string(pathAndQuery);
}

std::vector<std::string> NginxServer::AccessLog() const {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(m_work / "access.log"));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string NginxServer::ErrorLog() const {
    return ReadFile(m_work / "error.log");
}

}  // namespace testsupport
