#include "app/CLocalLog.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>
#include <vector>

#include "platform/SelfPath.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;

class CLocalLogTest : public ::testing::Test {
  protected:
    testsupport::TempHome home;
    fs::path path = home.Root() / "t.log";
};

TEST_F(CLocalLogTest, LineFormatsByteForByte) {
    CLocalLog log(path);
    const std::string s = CLocalLog::BuildStamp();
    log.Info("Laucher Start", "CWebApp::InitInstance", __FILE__, 130);
    log.Error("curl is NULL!", "CGameRemoteConfig::InitRemoteConfig", __FILE__, 129);
    log.Info("", "F", __FILE__, 1);
    log.Info("更新已完成 /路径", "CWebDlg::SetReady", __FILE__, 7);
    log.Flush();
    EXPECT_EQ(ReadFile(path),
              "[" + s +
                  "][INFO][CWebApp::InitInstance::130] Laucher Start\r\n"
                  "[" +
                  s +
                  "][ERROR][CGameRemoteConfig::InitRemoteConfig::129][curl is NULL!]\r\n"
                  "[" +
                  s +
                  "][INFO][F::1] \r\n"
                  "[" +
                  s + "][INFO][CWebDlg::SetReady::7] 更新已完成 /路径\r\n");
}

TEST_F(CLocalLogTest, StampIsTheBuildTimeInTheCompilerForm) {
    // "Mmm dd yyyy hh:mm:ss", the day padded with a blank as the compiler writes it.
    const std::string stamp = CLocalLog::BuildStamp();
    const std::string shape = "Aaa #9 9999 99:99:99";
    ASSERT_EQ(stamp.size(), shape.size()) << stamp;
    for (size_t i = 0; i < shape.size(); ++i) {
        const char c = stamp[i];
        switch (shape[i]) {
            case 'A':
                EXPECT_TRUE(c >= 'A' && c <= 'Z') << stamp;
                break;
            case 'a':
                EXPECT_TRUE(c >= 'a' && c <= 'z') << stamp;
                break;
            case '9':
                EXPECT_TRUE(c >= '0' && c <= '9') << stamp;
                break;
            case '#':
                EXPECT_TRUE(c == ' ' || (c >= '1' && c <= '3')) << stamp;
                break;
            default:
                EXPECT_EQ(c, shape[i]) << stamp;
        }
    }
}

TEST_F(CLocalLogTest, LineBreaksInsideAMessageBecomeCrLfWithoutNewTags) {
    CLocalLog log(path);
    log.Info("first\nsecond", "F", __FILE__, 3);
    log.Error("a\r\nb", "F", __FILE__, 4);
    log.Flush();
    const std::string s = CLocalLog::BuildStamp();
    EXPECT_EQ(ReadFile(path),
              "[" + s + "][INFO][F::3] first\r\nsecond\r\n[" + s + "][ERROR][F::4][a\r\r\nb]\r\n");
}

TEST_F(CLocalLogTest, TheFirstLineOfARunEmptiesThePreviousRunsFile) {
    testsupport::WriteFile(path, "old run\r\n");
    {
        CLocalLog log(path);
        // Nothing happens to the file before the first line.
        EXPECT_EQ(ReadFile(path), "old run\r\n");
        log.Info("new", "F", __FILE__, 1);
    }
    EXPECT_EQ(ReadFile(path), "[" + CLocalLog::BuildStamp() + "][INFO][F::1] new\r\n");
}

TEST_F(CLocalLogTest, KeepOutLeavesAnotherRunsFileAlone) {
    testsupport::WriteFile(path, "running launcher\r\n");
    CLocalLog log(path);
    log.KeepOut();
    log.Info("refused start", "F", __FILE__, 1);
    log.Error("refused start", "F", __FILE__, 2);
    log.Flush();
    EXPECT_EQ(ReadFile(path), "running launcher\r\n");
    EXPECT_EQ(log.m_pFile, nullptr);
}

TEST_F(CLocalLogTest, CloseDropsEveryLaterLine) {
    CLocalLog log(path);
    log.Info("kept", "F", __FILE__, 1);
    log.Close();
    EXPECT_EQ(log.m_pFile, nullptr);
    log.Info("dropped", "F", __FILE__, 2);
    EXPECT_EQ(ReadFile(path), "[" + CLocalLog::BuildStamp() + "][INFO][F::1] kept\r\n");
}

TEST_F(CLocalLogTest, UnopenableFileTurnsLoggingOffSilently) {
    testsupport::WriteFile(home.Root() / "file", "x");
    CLocalLog log(home.Root() / "file" / "sub" / "t.log");
    log.Info("nowhere", "F", __FILE__, 1);
    log.Error("nowhere", "F", __FILE__, 2);
    EXPECT_EQ(log.m_pFile, nullptr);
}

TEST_F(CLocalLogTest, LinesFromTwoThreadsNeverMix) {
    constexpr int kLines = 5000;
    {
        CLocalLog log(path);
        auto writer = [&log](const std::string& tag) {
            for (int i = 0; i < kLines; ++i) {
                log.Info(tag + std::to_string(i) + std::string(40, tag[0]), "CWorker::Run",
                         __FILE__, i);
            }
        };
        std::thread a(writer, "A");
        std::thread b(writer, "B");
        a.join();
        b.join();
    }
    // Every physical line must be exactly one of the lines written, whole.
    std::istringstream in(ReadFile(path));
    const std::string prefix = "[" + CLocalLog::BuildStamp() + "][INFO][CWorker::Run::";
    std::string text;
    int counts[2] = {0, 0};
    while (std::getline(in, text)) {
        ASSERT_EQ(text.rfind(prefix, 0), 0u) << text;
        const size_t close = text.find("] ", prefix.size());
        ASSERT_NE(close, std::string::npos) << text;
        const std::string number = text.substr(prefix.size(), close - prefix.size());
        const char tag = text[close + 2];
        ASSERT_TRUE(tag == 'A' || tag == 'B') << text;
        ASSERT_EQ(text.substr(close + 2),
                  std::string(1, tag) + number + std::string(40, tag) + "\r")
            << text;
        ++counts[tag - 'A'];
    }
    EXPECT_EQ(counts[0], kLines);
    EXPECT_EQ(counts[1], kLines);
}

TEST(CLocalLogProcess, ProcessLogIsNamedAfterTheExecutableInTheStateFolder) {
    testsupport::TempHome home;
    EXPECT_EQ(CLocalLog::DefaultPath(),
              home.StateHome() / (platform::OwnExecutablePath().stem().string() + ".log"));
    LOG_INFO("T::Run", "via macro");
    const int line = __LINE__ - 1;
    EXPECT_EQ(testsupport::LogText(), "[" + CLocalLog::BuildStamp() + "][INFO][T::Run::" +
                                          std::to_string(line) + "] via macro\r\n");
}

}  // namespace
