// The update driver end to end against a real nginx: what the window is shown, in order, and
// what the installation leaves on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "UpdateWorld.h"
#include "support/LoopbackServer.h"
#include "support/NginxServer.h"
#include "support/Programs.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::RecordingView;
using testsupport::WriteFile;

const std::string kConfigPath = "/api/ventra/ditches/lunet/client_config_lunet.php";

std::string Failed(int code) {
    return RecordingView::Progress("更新失败,请检查网络,ErrorCode:" + std::to_string(code), "", 0,
                                   false);
}
const std::string kReady = RecordingView::Progress("更新已完成", "", 0, false);

class Driver : public ::testing::Test, protected testsupport::UpdateWorld {
  protected:
    explicit Driver(const std::string& extraConfig = "")
        : www(Root() / "www"), nginx((fs::create_directories(www), www), extraConfig) {}

    void SetUp() override { ASSERT_TRUE(nginx.Running()) << nginx.ErrorLog(); }

    void ServeConfig(const std::string& text) { WriteFile(www / kConfigPath.substr(1), text); }
    std::string ConfigUrl() const {
        return nginx.Url("/api/ventra/ditches/{ditch_name}/client_config_lunet.php");
    }
    void Run(bool system64Bit = true) {
        UpdateContext context = Context(ConfigUrl());
        context.system64Bit = system64Bit;
        CGameRemoteConfig config(context);
        config.InitRemoteConfig(&view);
    }
    // A game package made by zip, served at /pkg/<name>.
    std::string ServePackage(const std::string& name) {
        const fs::path src = Root() / "src";
        WriteFile(src / "vorn" / "vorn", "#!/bin/sh\n");
        WriteFile(src / "vorn" / "data" / "big.bin", std::string(300000, 'b'));
        WriteFile(src / "readme.txt", "read me");
        const fs::path package = www / "pkg" / name;
        fs::create_directories(package.parent_path());
        EXPECT_EQ(testsupport::RunProgram({"zip", "-r", "-q", package.string(), "."}, src).exitCode,
                  0);
        return testsupport::DescribeTree(src);
    }

    fs::path www;
    testsupport::NginxServer nginx;
};

class DriverWithRedirect : public Driver {
  protected:
    DriverWithRedirect()
        : Driver("location = /found.php { return 302 " + kConfigPath +
                 "; }\n"
                 "location = /moved.php { return 301 /found.php; }\n"
                 "location = /broken.php { return 500; }") {}
};

TEST_F(Driver, AFailedConfigurationFetchShows102AndNoLoginPage) {
    testsupport::LoopbackServer silent(
        [](const testsupport::HttpRequest&, testsupport::HttpConnection& c) {
            c.HoldUntilStopped();
        });
    struct Case {
        const char* what;
        std::string url;
        const char* logged;
    } cases[] = {
        {"404", nginx.Url("/missing.php"), "][res:0, httpStatusCode:404]"},
        {"unreachable",
         "http://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()) + "/c.php",
         "][res:7, httpStatusCode:0]"},
        {"silent server", silent.Url("/c.php"), "][res:42, httpStatusCode:0]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        view.Clear();
        CGameRemoteConfig config(Context(c.url));
        config.InitRemoteConfig(&view);
        EXPECT_EQ(view.Calls(), (std::vector<std::string>{Failed(102), "ShowStatusView"}));
        EXPECT_NE(testsupport::LogText().find(c.logged), std::string::npos)
            << testsupport::LogText();
    }
    EXPECT_NE(testsupport::LogText().find("[ERROR][CGameRemoteConfig::InitRemoteConfig::"),
              std::string::npos);
}

TEST_F(DriverWithRedirect, A500IsAFailedFetchAndARedirectIsFollowed) {
    CGameRemoteConfig broken(Context(nginx.Url("/broken.php")));
    broken.InitRemoteConfig(&view);
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{Failed(102), "ShowStatusView"}));

    view.Clear();
    ServeConfig("ClientMiniUpdateVersion=1.0.0.3\nEntryUrl=http://login.example/\n");
    WriteFile(clientDir / "game_client_version.txt", "1.0.0.3");
    // 301 to a 302 to the configuration.
    CGameRemoteConfig config(Context(nginx.Url("/moved.php")));
    config.InitRemoteConfig(&view);
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"InitWebBrower", kReady, "ShowStatusView", "SetReady"}));
    EXPECT_EQ(config.Config().GetEntryUrl(), "http://login.example/");
    const auto log = nginx.AccessLog();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[log.size() - 3].rfind("GET /moved.php 301 ", 0), 0u);
    EXPECT_EQ(log[log.size() - 2].rfind("GET /found.php 302 ", 0), 0u);
}

TEST_F(Driver, WithoutAViewNothingHappens) {
    ServeConfig("ClientVersion=1\n");
    CGameRemoteConfig config(Context(ConfigUrl()));
    config.InitRemoteConfig(nullptr);
    EXPECT_EQ(config.OnDownLoad(nullptr), 0);
    EXPECT_EQ(nginx.AccessLog().size(), 0u);
    EXPECT_TRUE(reporter.Calls().empty());
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[ERROR][CGameRemoteConfig::InitRemoteConfig::"), std::string::npos);
    EXPECT_NE(log.find("[ERROR][CGameRemoteConfig::OnDownLoad::"), std::string::npos);
    const size_t first = log.find("][lpParameter is NULL!]");
    ASSERT_NE(first, std::string::npos) << log;
    EXPECT_NE(log.find("][lpParameter is NULL!]", first + 1), std::string::npos) << log;
}

TEST_F(Driver, AnEmptyConfigurationStillLoadsTheLoginPageAndEndsIn103) {
    ServeConfig("");
    Run();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"InitWebBrower", Failed(103), "ShowStatusView"}));
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[ERROR][CGameRemoteConfig::OnDownLoad::"), std::string::npos);
    EXPECT_NE(log.find("][ClientDownloadUrl is NotFound!]"), std::string::npos);
    EXPECT_NE(log.find("][download error]"), std::string::npos);
    EXPECT_TRUE(reporter.Calls().empty());
}

TEST_F(Driver, TheInstalledVersionAgainstTheMinimumDecides) {
    struct Case {
        const char* what;
        const char* config;
        const char* versionFile;  // nullptr: missing
        bool download;
    } cases[] = {
        {"no minimum", "ClientVersion=1.0.0.3\n", "9.9.9.9", true},
        {"first installation", "ClientMiniUpdateVersion=1.0.0.0\n", nullptr, true},
        {"older", "ClientMiniUpdateVersion=1.0.0.3\n", "1.0.0.2", true},
        {"older in the first part", "ClientMiniUpdateVersion=2.0.0.0\n", "1.9.9.9", true},
        {"equal", "ClientMiniUpdateVersion=1.0.0.3\n", "1.0.0.3", false},
        {"equal, CR LF lines", "ClientMiniUpdateVersion=1.0.0.3\r\nx=y\r\n", "1.0.0.3\n", false},
        {"newer", "ClientMiniUpdateVersion=1.0.0.3\n", "1.0.1.0", false},
        {"zero minimum, nothing installed", "ClientMiniUpdateVersion=0.0.0.0\n", nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        view.Clear();
        ServeConfig(c.config);
        fs::remove(clientDir / "game_client_version.txt");
        if (c.versionFile != nullptr) {
            WriteFile(clientDir / "game_client_version.txt", c.versionFile);
        }
        Run();
        // The download path fails for want of an address, which is how it shows here.
        EXPECT_EQ(view.Calls(),
                  c.download
                      ? (std::vector<std::string>{"InitWebBrower", Failed(103), "ShowStatusView"})
                      : (std::vector<std::string>{"InitWebBrower", kReady, "ShowStatusView",
                                                  "SetReady"}));
    }
}

TEST_F(Driver, WithoutADownloadTheInstallationIsRegisteredAgain) {
    ServeConfig("ClientMiniUpdateVersion=1.0.0.3\n");
    WriteFile(clientDir / "game_client_version.txt", "1.0.0.3");
    Run();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"InitWebBrower", kReady, "ShowStatusView", "SetReady"}));
    const fs::path copy = installDir / "Brannoc";
    EXPECT_EQ(ReadFile(copy), ReadFile(launcher));
    EXPECT_EQ(fs::status(copy).permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    EXPECT_TRUE(fs::exists(home.Home() / "Desktop" / "Brannoc.desktop"));
    EXPECT_TRUE(fs::exists(installDir / "Brannoc-卸载.desktop"));
    std::string installPath;
    platform::UninstallKey::ForUser(platform::CurrentUserLocations())
        .QueryValue("InstallPath", installPath);
    EXPECT_EQ(installPath, installDir.string());
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("] work_path:" + launcher.string() + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("] dest_path:" + copy.string() + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("] update finish!\r\n"), std::string::npos);
}

TEST_F(Driver, ALauncherStartedFromItsCopyIsStillReadyButMakesNoShortcuts) {
    ServeConfig("ClientMiniUpdateVersion=1.0.0.3\n");
    WriteFile(clientDir / "game_client_version.txt", "1.0.0.3");
    launcher = installDir / "Brannoc";
    WriteFile(launcher, "installed launcher");
    Run();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{"InitWebBrower", kReady, "ShowStatusView", "SetReady"}));
    EXPECT_EQ(ReadFile(launcher), "installed launcher");
    EXPECT_FALSE(fs::exists(installDir / "Brannoc-卸载.desktop"));
}

TEST_F(Driver, AFirstInstallationDownloadsExtractsAndRegisters) {
    const std::string tree = ServePackage("lunet/1.0.0.3/vorn-1.0.0.3-lunet.zip");
    const std::string url =
        nginx.Url("/pkg/{ditch_name}/{version}/vorn-{version}-{ditch_name}.zip");
    ServeConfig("ClientMiniUpdateVersion=1.0.0.3\nClientVersion=1.0.0.3\nClientDownloadUrl=" + url +
                "\nClient32DownloadUrl=" + nginx.Url("/pkg/32.zip") + "\n");
    CGameRemoteConfig config(Context(ConfigUrl()));
    config.InitRemoteConfig(&view);

    // The download's progress: never backwards, ending at 100%.
    const auto calls = view.Calls();
    int last = -1;
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].ends_with("|1)")) {
            const int percent = std::stoi(calls[i].substr(16));
            EXPECT_EQ(calls[i],
                      RecordingView::Progress("", std::to_string(percent) + "%", percent, true));
            EXPECT_GE(percent, last);
            last = percent;
            EXPECT_EQ(calls.at(i + 1), "ShowProgressView");
        }
    }
    EXPECT_EQ(last, 100);
    EXPECT_EQ(view.CallsWithoutDownloadProgress(),
              (std::vector<std::string>{
                  "InitWebBrower", RecordingView::Progress("", "1/5", 20, false),
                  "ShowProgressView", RecordingView::Progress("", "2/5", 40, false),
                  "ShowProgressView", RecordingView::Progress("", "3/5", 60, false),
                  "ShowProgressView", RecordingView::Progress("", "4/5", 80, false),
                  "ShowProgressView", RecordingView::Progress("", "5/5", 100, false),
                  "ShowProgressView", kReady, "ShowStatusView", "SetReady"}));

    const std::string address = nginx.Url("/pkg/lunet/1.0.0.3/vorn-1.0.0.3-lunet.zip");
    EXPECT_EQ(reporter.Calls(), (std::vector<std::string>{
                                    "event:2", "log:game download start, download url:" + address,
                                    "event:3", "log:game download success", "log:game unzip start",
                                    "event:6", "log:game unzip success"}));
    EXPECT_EQ(
        nginx.AccessLog().back().rfind("GET /pkg/lunet/1.0.0.3/vorn-1.0.0.3-lunet.zip 200 ", 0),
        0u);
    // The client, and nothing of the download left over.
    fs::remove(clientDir / "game_client_version.txt");
    EXPECT_EQ(testsupport::DescribeTree(clientDir), tree);
    EXPECT_FALSE(fs::exists(Package()));
    EXPECT_FALSE(fs::exists(Record()));
    config.SaveResumeRecord();
    EXPECT_EQ(ReadFile(Record()), "offset=0\ntotalSize=0\n");
    EXPECT_TRUE(fs::exists(installDir / "Brannoc"));
    EXPECT_TRUE(fs::exists(home.DataHome() / "applications/Apps/lunet/Brannoc.desktop"));
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("] OnDownLoad begin\r\n"), std::string::npos);
    EXPECT_NE(log.find("] " + address + "\r\n"), std::string::npos);
    EXPECT_NE(log.find("] download is finish\r\n"), std::string::npos);
    EXPECT_NE(log.find("[INFO][CGameRemoteConfig::UnzipFile::"), std::string::npos);
}

TEST_F(Driver, TheVersionFileRecordsTheOfferedVersion) {
    ServePackage("p.zip");
    ServeConfig("ClientVersion=1.0.0.4\r\nClientDownloadUrl=" + nginx.Url("/pkg/p.zip") + "\n");
    Run();
    EXPECT_EQ(ReadFile(clientDir / "game_client_version.txt"), "1.0.0.4\r");
}

TEST_F(Driver, AThirtyTwoBitSystemFetchesItsOwnPackage) {
    ServePackage("32.zip");
    ServeConfig("ClientVersion=1.0.0.3\nClientDownloadUrl=" + nginx.Url("/pkg/64.zip") +
                "\nClient32DownloadUrl=" + nginx.Url("/pkg/32.zip") + "\n");
    Run(false);
    EXPECT_EQ(view.Calls().back(), "SetReady");
    EXPECT_EQ(nginx.AccessLog().back().rfind("GET /pkg/32.zip 200 ", 0), 0u);
}

TEST_F(Driver, AFailedDownloadShows104Then103AndKeepsTheErrorPageOut) {
    ServeConfig("ClientVersion=1.0.0.3\nClientDownloadUrl=" + nginx.Url("/pkg/missing.zip") + "\n");
    Run();
    EXPECT_EQ(view.CallsWithoutDownloadProgress(),
              (std::vector<std::string>{"InitWebBrower", Failed(104), "ShowStatusView", Failed(103),
                                        "ShowStatusView"}));
    EXPECT_EQ(ReadFile(Package()), "");
    EXPECT_EQ(reporter.Calls().back(), "log:game download failed");
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[INFO][CGameRemoteConfig::OnDownLoad::"), std::string::npos);
    EXPECT_NE(log.find("] download is error!\r\n"), std::string::npos);
}

}  // namespace
