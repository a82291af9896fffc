// The fixtures themselves: if these fail, every integration test built on them is suspect.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <future>
#include <thread>
#include <vector>

#include "support/EventLoop.h"
#include "support/LoopbackServer.h"
#include "support/NginxServer.h"
#include "support/TempHome.h"

namespace {

// A raw HTTP/1.0 GET over a socket, so the fixtures are checked without the code under test.
std::string Get(std::uint16_t port, const std::string& target, const std::string& extra = "");

TEST(Fixtures, NginxServesFilesRangesAndExtraConfig) {
    testsupport::TempHome home;
    testsupport::WriteFile(home.Root() / "www/file.bin", "0123456789");
    testsupport::NginxServer nginx(home.Root() / "www", "location = /broken { return 500; }");
    ASSERT_TRUE(nginx.Running()) << nginx.ErrorLog();
    EXPECT_NE(Get(nginx.Port(), "/file.bin").find("\r\n\r\n0123456789"), std::string::npos);
    const std::string partial = Get(nginx.Port(), "/file.bin", "Range: bytes=6-\r\n");
    EXPECT_EQ(partial.rfind("HTTP/1.1 206", 0), 0u) << partial;
    EXPECT_NE(partial.find("\r\n\r\n6789"), std::string::npos);
    EXPECT_EQ(Get(nginx.Port(), "/file.bin", "Range: bytes=10-\r\n").rfind("HTTP/1.1 416", 0), 0u);
    EXPECT_EQ(Get(nginx.Port(), "/broken").rfind("HTTP/1.1 500", 0), 0u);
    EXPECT_EQ(Get(nginx.Port(), "/missing?x=1").rfind("HTTP/1.1 404", 0), 0u);
    const auto log = nginx.AccessLog();
    ASSERT_EQ(log.size(), 5u);
    EXPECT_EQ(log[1], "GET /file.bin 206 4 \"bytes=6-\"");
    EXPECT_EQ(log[4].rfind("GET /missing?x=1 404 ", 0), 0u) << log[4];
}

TEST(Fixtures, LoopbackServerRecordsAndAnswers) {
    testsupport::LoopbackServer server(
        [](const testsupport::HttpRequest& r, testsupport::HttpConnection& c) {
            c.Respond(r.target == "/a" ? 200 : 404, "body:" + r.target, "X-T: 1\r\n");
        });
    EXPECT_NE(Get(server.Port(), "/a", "X-Extra: yes\r\n").find("X-T: 1\r\n"), std::string::npos);
    EXPECT_EQ(Get(server.Port(), "/b?q=%20").rfind("HTTP/1.1 404", 0), 0u);
    ASSERT_TRUE(server.WaitForRequests(2, std::chrono::seconds(5)));
    const auto requests = server.Requests();
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].Header("x-extra"), "yes");
    EXPECT_EQ(requests[1].target, "/b?q=%20");
}

TEST(Fixtures, StopReleasesAHoldingHandler) {
    testsupport::LoopbackServer server(
        [](const testsupport::HttpRequest&, testsupport::HttpConnection& c) {
            c.HoldUntilStopped();
        });
    std::thread client([&] { Get(server.Port(), "/hang"); });
    ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
    server.Stop();
    client.join();
}

TEST(Fixtures, LoopbackHandlerSeesTheClientHangUp) {
    std::promise<bool> closed;
    testsupport::LoopbackServer server(
        [&](const testsupport::HttpRequest&, testsupport::HttpConnection& c) {
            c.Send("HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\n01234");
            closed.set_value(c.WaitForPeerClose(std::chrono::seconds(10)));
        });
    // Get() would wait for the server to close; this client hangs up first.
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(server.Port());
    ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    const std::string request = "GET /x HTTP/1.0\r\n\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    ASSERT_TRUE(server.WaitForRequests(1, std::chrono::seconds(5)));
    close(fd);
    auto result = closed.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    EXPECT_TRUE(result.get());
}

TEST(Fixtures, EventLoopRunsPostedTasksInOrderOnItsOwnThread) {
    testsupport::EventLoop loop;
    std::vector<int> ran;
    std::thread poster([&] {
        for (int i = 0; i < 3; ++i) {
            loop.Post([&ran, i] { ran.push_back(i); });
        }
    });
    EXPECT_TRUE(loop.RunUntil([&] { return ran.size() == 3; }, std::chrono::seconds(5)));
    poster.join();
    EXPECT_EQ(ran, (std::vector<int>{0, 1, 2}));
    EXPECT_FALSE(loop.RunUntil([] { return false; }, std::chrono::milliseconds(20)));
    loop.Post([&] { ran.push_back(3); });
    EXPECT_TRUE(loop.WaitUntilQueued(1, std::chrono::seconds(5)));
    EXPECT_EQ(loop.RunPending(), 1u);
    EXPECT_EQ(ran.back(), 3);
}

std::string Get(std::uint16_t port, const std::string& target, const std::string& extra) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return {};
    }
    const std::string request = "GET " + target + " HTTP/1.0\r\nHost: t\r\n" + extra + "\r\n";
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    std::string out;
    char buf[4096];
    ssize_t n;
    while ((n = recv(fd, buf, sizeof buf, 0)) > 0)
        out.append(buf, static_cast<size_t>(n));
    close(fd);
    return out;
}
}  // namespace
