// Web reports as the management server receives them, from a machine with hostile texts.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "FakeMachine.h"
#include "net/UrlEscape.h"
#include "net/WebLogger.h"
#include "support/LoopbackServer.h"
#include "support/TempHome.h"

namespace {

using namespace std::chrono_literals;
using testsupport::HttpConnection;
using testsupport::HttpRequest;
using testsupport::LoopbackServer;

// The query as the server must see it for the fake machine below, up to os_version.
constexpr const char* kMachineQuery =
    "?client_uid=936bc092ce82b074f411e24ed6e2e81c"  // MD5 of the three serials run together
    "&ditch_name=lunet"
    "&mac=02-42-AC-11-00-02"
    "&os_version=Version%20major%3A6%20minor%3A1%20build%3A0"
    "Fancy%20CPU%20%26%20Co%20%231%20%2B%20%E4%B8%AD%E6%96%87"
    "physical%20memory%3A8192%20MB%20virtual%20memory%3A9216%20MB";

std::string PercentDecode(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The message of the first INFO line that `function` wrote.
std::string LoggedBy(const std::string& log, const std::string& function) {
    const size_t line = log.find("[INFO][" + function + "::");
    if (line == std::string::npos) {
        return {};
    }
    const size_t begin = log.find("] ", line) + 2;
    return log.substr(begin, log.find("\r\n", begin) - begin);
}

class WebLoggerTest : public ::testing::Test {
  protected:
    WebLoggerTest()
        : m_server([](const HttpRequest&, HttpConnection& c) { c.Respond(200, "ok"); }) {
        const auto root = m_home.Root() / "machine";
        testsupport::WriteFile(root / "proc/cpuinfo",
                               "processor\t: 0\nmodel name\t: Fancy CPU & Co #1 + 中文\n");
        testsupport::WriteFile(
            root / "proc/net/route",
            "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
            "eth0\t00000000\t010011AC\t0003\t0\t0\t0\t00000000\t0\t0\t0\n");
        testsupport::WriteFile(root / "sys/class/net/eth0/address", "02:42:ac:11:00:02\n");
        testsupport::WriteFile(root / "sys/class/dmi/id/board_serial", "BOARD1\n");
        testsupport::WriteFile(root / "sys/class/dmi/id/product_serial", "BIOS2\n");
        testsupport::WriteFile(root / "etc/machine-id", "0123456789abcdef0123456789abcdef\n");
        m_machine.emplace(nettest::FakeSources(root));
    }

    std::string InfoUrl() const { return m_server.Url("/api/laucher_info.php"); }
    std::string ErrorUrl() const { return m_server.Url("/api/laucher_error.php"); }
    const CMachineInfo* Machine() const { return &*m_machine; }
    LoopbackServer& Server() { return m_server; }

    std::vector<std::string> Targets() const {
        std::vector<std::string> targets;
        for (const HttpRequest& r : m_server.Requests()) {
            EXPECT_EQ(r.method, "GET");
            EXPECT_EQ(r.body, "");
            targets.push_back(r.target);
        }
        std::sort(targets.begin(), targets.end());
        return targets;
    }

  private:
    testsupport::TempHome m_home;
    LoopbackServer m_server;
    std::optional<CMachineInfo> m_machine;
};

TEST_F(WebLoggerTest, EventReportsCarryTheMachineThenTheEventsAction) {
    const std::pair<int, std::string> events[] = {
        {1, "&ac=create"}, {2, "&ac=download_start"}, {3, "&ac=unzip_start"},
        {6, ""},           {9, "&ac=game_start"},     {4, ""},
        {0, ""},
    };
    WebLogger logger(InfoUrl(), ErrorUrl(), Machine());
    std::vector<std::string> expected;
    for (const auto& [code, action] : events) {
        logger.LogEvent(code);
        expected.push_back("/api/laucher_info.php" + std::string(kMachineQuery) + action);
    }
    ASSERT_TRUE(logger.WaitUntilIdle(10s));
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Targets(), expected);
}

TEST_F(WebLoggerTest, MessageReportsArriveIntactWhateverTheyContain) {
    const std::pair<std::string, std::string> messages[] = {
        {"launcher start", "launcher%20start"},
        {"a&b=c#d+e f/中文%?", "a%26b%3Dc%23d%2Be%20f%2F%E4%B8%AD%E6%96%87%25%3F"},
        {"创建数据目录失败,错误id:5",
         "%E5%88%9B%E5%BB%BA%E6%95%B0%E6%8D%AE%E7%9B%AE%E5%BD%95%E5%A4%B1%E8%B4%A5%2C"
         "%E9%94%99%E8%AF%AFid%3A5"},
    };
    WebLogger logger(InfoUrl(), ErrorUrl(), Machine());
    std::vector<std::string> expected;
    for (const auto& [message, escaped] : messages) {
        logger.Log(message);
        expected.push_back("/api/laucher_error.php" + std::string(kMachineQuery) +
                           "&error_msg=" + escaped);
    }
    ASSERT_TRUE(logger.WaitUntilIdle(10s));
    std::sort(expected.begin(), expected.end());
    const auto targets = Targets();
    EXPECT_EQ(targets, expected);

    // What a server's query parser makes of it: the message itself, and nothing split off.
    std::vector<std::string> decoded;
    for (const std::string& target : targets) {
        const size_t at = target.find("&error_msg=");
        ASSERT_NE(at, std::string::npos);
        const std::string value = target.substr(at + 11);
        EXPECT_EQ(value.find_first_of("&=#+ "), std::string::npos) << value;
        decoded.push_back(PercentDecode(value));
    }
    for (const auto& [message, escaped] : messages) {
        EXPECT_EQ(std::count(decoded.begin(), decoded.end(), message), 1) << message;
    }
}

TEST_F(WebLoggerTest, WritesEachUrlToTheLocalLogOnTheCallersThread) {
    WebLogger logger(InfoUrl(), ErrorUrl(), Machine());
    logger.LogEvent(2);
    logger.Log("game download success");
    // Written before the call returned, whatever became of the request.
    const std::string log = testsupport::LogText();
    const std::string eventUrl = InfoUrl() + kMachineQuery + "&ac=download_start";
    const std::string messageUrl =
        ErrorUrl() + kMachineQuery + "&error_msg=game%20download%20success";
    EXPECT_EQ(LoggedBy(log, "WebLogger::LogEvent"), eventUrl) << log;
    EXPECT_EQ(LoggedBy(log, "WebLogger::Log"), messageUrl) << log;

    // The same URLs went out.
    ASSERT_TRUE(logger.WaitUntilIdle(10s));
    std::vector<std::string> sent;
    for (const std::string& target : Targets()) {
        sent.push_back(Server().Url(target));
    }
    EXPECT_EQ(sent, (std::vector<std::string>{messageUrl, eventUrl}));
}

TEST_F(WebLoggerTest, ReportsFromTwoThreadsAtOnceEachArriveExactlyOnce) {
    constexpr int kPerThread = 20;
    WebLogger logger(InfoUrl(), ErrorUrl(), Machine());
    const auto report = [&](char name) {
        for (int i = 0; i < kPerThread; ++i) {
            logger.Log(std::string(1, name) + std::to_string(i));
            logger.LogEvent(9);
        }
    };
    std::thread a(report, 'a');
    std::thread b(report, 'b');
    a.join();
    b.join();
    ASSERT_TRUE(logger.WaitUntilIdle(20s));
    logger.Shutdown();

    const auto targets = Targets();
    ASSERT_EQ(targets.size(), 4u * kPerThread);
    EXPECT_EQ(std::count_if(targets.begin(), targets.end(),
                            [](const std::string& t) { return t.ends_with("&ac=game_start"); }),
              2 * kPerThread);
    for (char name : {'a', 'b'}) {
        for (int i = 0; i < kPerThread; ++i) {
            const std::string tail = "&error_msg=" + std::string(1, name) + std::to_string(i);
            EXPECT_EQ(std::count_if(targets.begin(), targets.end(),
                                    [&](const std::string& t) { return t.ends_with(tail); }),
                      1)
                << tail;
        }
    }
}

TEST_F(WebLoggerTest, WithoutAGivenRecordItDescribesThisMachine) {
    WebLogger logger(InfoUrl(), ErrorUrl());
    logger.LogEvent(1);
    ASSERT_TRUE(logger.WaitUntilIdle(10s));
    const CMachineInfo& machine = CMachineInfo::Instance();
    EXPECT_EQ(Targets(),
              std::vector<std::string>{"/api/laucher_info.php?client_uid=" + machine.clientUid +
                                       "&ditch_name=lunet&mac=" + machine.macAddress +
                                       "&os_version=" + UrlEscape(machine.osText) + "&ac=create"});
    EXPECT_TRUE(machine.clientUid == "unkown" || machine.clientUid.size() == 32u)
        << machine.clientUid;
    EXPECT_TRUE(machine.osText.starts_with("Version major:")) << machine.osText;
}

}  // namespace
