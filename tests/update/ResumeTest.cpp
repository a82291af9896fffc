// Resuming the package download across runs, against servers that misbehave on purpose, and
// stopping the driver while it works.
#include <gtest/gtest.h>
#include <unistd.h>

#include "PackageServer.h"
#include "UpdateWorld.h"
#include "support/NginxServer.h"
#include "update/UpdateDriverThread.h"

namespace {
namespace fs = std::filesystem;
using testsupport::PackageServer;
using testsupport::ReadFile;
using testsupport::RecordingView;
using testsupport::WriteFile;

std::string Failed(int code) {
    return RecordingView::Progress("更新失败,请检查网络,ErrorCode:" + std::to_string(code), "", 0,
                                   false);
}
const std::string kUnzipFailed = RecordingView::Progress("解压失败", "", 0, false);

constexpr size_t kSize = 300000;

class Resume : public ::testing::Test, protected testsupport::UpdateWorld {
  protected:
    // Random bytes as the package: the extraction then fails, and the package stays on disk to
    // be compared with the server's.
    Resume() : server(testsupport::RandomBytes(kSize, 11)) {}

    // One launcher run up to its close, when the window saves the record.
    void RunOnce() {
        view.Clear();
        CGameRemoteConfig config(Context(server.ConfigUrl()));
        config.InitRemoteConfig(&view);
        config.SaveResumeRecord();
    }
    void StartFrom(size_t held, long long recordedOffset, long long recordedTotal,
                   const ResumeSource& source) {
        WriteFile(Package(), server.Package().substr(0, held));
        WriteFile(Record(), FormatResumeRecord(recordedOffset, recordedTotal, source));
    }
    ResumeSource Source(const std::string& version = "1.0.0.3") const {
        return {server.PackageUrl(), version};
    }
    std::vector<std::string> Failure() const {
        return {"InitWebBrower", Failed(104), "ShowStatusView", Failed(103), "ShowStatusView"};
    }
    std::vector<std::string> Complete() const {
        return {"InitWebBrower", kUnzipFailed, "ShowStatusView", Failed(103), "ShowStatusView"};
    }

    PackageServer server;
};

TEST_F(Resume, InterruptedTransfersResumeToTheServersBytes) {
    for (const size_t cut : {size_t{1}, size_t{4095}, size_t{65536}, kSize - 1}) {
        SCOPED_TRACE(cut);
        fs::remove(Package());
        fs::remove(Record());
        server.cutNextAfter = static_cast<long>(cut);
        RunOnce();
        EXPECT_EQ(view.CallsWithoutDownloadProgress(), Failure());
        EXPECT_EQ(fs::file_size(Package()), cut);
        EXPECT_NE(ReadFile(Record()).find("\nurl=" + server.PackageUrl() + "\nversion=1.0.0.3\n"),
                  std::string::npos);

        RunOnce();
        EXPECT_EQ(server.PackageRanges().back(), "bytes=" + std::to_string(cut) + "-");
        EXPECT_EQ(view.CallsWithoutDownloadProgress(), Complete());
        EXPECT_TRUE(ReadFile(Package()) == server.Package()) << "not byte-identical";
    }
    EXPECT_NE(testsupport::LogText().find("] 断点续传开始: " + std::to_string(kSize - 1) + "/" +
                                          std::to_string(kSize)),
              std::string::npos);
}

TEST_F(Resume, AStaleRecordStartsAfresh) {
    struct Case {
        const char* what;
        std::string record;
    } cases[] = {
        {"another version", FormatResumeRecord(3000, kSize, Source("1.0.0.2"))},
        {"another address", FormatResumeRecord(3000, kSize, {"http://elsewhere/p", "1.0.0.3"})},
        {"a record that names no package", "offset=3000\ntotalSize=300000\n"},
        {"no record", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        // A package of the same size from elsewhere: appending would make a plausible mess.
        WriteFile(Package(), std::string(3000, 'x'));
        WriteFile(Record(), c.record);
        RunOnce();
        EXPECT_EQ(server.PackageRanges().back(), "");
        EXPECT_TRUE(ReadFile(Package()) == server.Package());
    }
}

TEST_F(Resume, TheBytesOnDiskDecideWhereToResume) {
    for (const long long recorded : {5000LL, 1000LL}) {
        SCOPED_TRACE(recorded);
        StartFrom(3000, recorded, kSize, Source());
        RunOnce();
        EXPECT_EQ(server.PackageRanges().back(), "bytes=3000-");
        EXPECT_TRUE(ReadFile(Package()) == server.Package());
    }
}

TEST_F(Resume, ARangedRequestAnsweredWithTheWholeFileRestartsOnce) {
    server.ignoreRanges = true;
    StartFrom(3000, 3000, kSize, Source());
    RunOnce();
    EXPECT_EQ(server.PackageRanges(), (std::vector<std::string>{"bytes=3000-", ""}));
    EXPECT_EQ(view.CallsWithoutDownloadProgress(), Complete());
    EXPECT_TRUE(ReadFile(Package()) == server.Package()) << "the whole file, once";
}

TEST_F(Resume, AServerThatAlwaysAnswers416IsNotAskedForEver) {
    server.always416 = true;
    StartFrom(3000, 3000, kSize, Source());
    RunOnce();
    EXPECT_EQ(server.PackageRanges(), (std::vector<std::string>{"bytes=3000-", ""}));
    EXPECT_EQ(view.CallsWithoutDownloadProgress(), Failure());
}

TEST_F(Resume, ACompletePackageIsExtractedWithoutAsking) {
    StartFrom(kSize, kSize, kSize, Source());
    RunOnce();
    EXPECT_TRUE(server.PackageRanges().empty());
    EXPECT_EQ(view.Calls(), Complete());
    EXPECT_TRUE(reporter.Calls().size() >= 2u && reporter.Calls()[0] == "event:2");
}

TEST_F(Resume, AResumePast4GiBAsksForTheExactOffset) {
    const long long held = (5LL << 30) + 1;
    WriteFile(Package(), "");
    ASSERT_EQ(truncate(Package().c_str(), held), 0);  // sparse: takes no space
    WriteFile(Record(), FormatResumeRecord(held, 6'000'000'000LL, Source()));
    server.fixedStatus = 500;
    RunOnce();
    EXPECT_EQ(server.PackageRanges(), (std::vector<std::string>{"bytes=5368709121-"}));
    EXPECT_EQ(view.CallsWithoutDownloadProgress(), Failure());
    EXPECT_EQ(static_cast<long long>(fs::file_size(Package())), held) << "error page not added";
    EXPECT_NE(testsupport::LogText().find("] 断点续传开始: 5368709121/6000000000\r\n"),
              std::string::npos);
}

TEST_F(Resume, ProgressCountsTheBytesHeldBeforeThisRun) {
    // 60% held; the server sends another 10% and waits: the window must show 70%.
    StartFrom(kSize * 6 / 10, kSize * 6 / 10, kSize, Source());
    server.pauseNextAfter = kSize / 10;
    auto config = std::make_shared<CGameRemoteConfig>(Context(server.ConfigUrl()));
    UpdateDriverThread thread(config, view);
    thread.Start();
    EXPECT_TRUE(
        view.WaitFor(RecordingView::Progress("", "70%", 70, true), std::chrono::seconds(20)));
    server.Release();
    ASSERT_TRUE(thread.WaitFinished(std::chrono::seconds(20)));
    std::vector<int> percents;
    for (const auto& call : view.Calls()) {
        if (call.rfind("UpdateProgress(|", 0) == 0 && call.ends_with("|1)")) {
            percents.push_back(std::stoi(call.substr(16)));
        }
    }
    // 0% until the server has told the size, then counted from the bytes already held.
    const auto first = std::find_if(percents.begin(), percents.end(), [](int p) { return p; });
    ASSERT_NE(first, percents.end());
    EXPECT_GE(*first, 60);
    EXPECT_EQ(percents.back(), 100);
    EXPECT_TRUE(std::is_sorted(first, percents.end()));
    EXPECT_TRUE(ReadFile(Package()) == server.Package());
}

TEST_F(Resume, AStalledTransferEndsIn104) {
    server.stallAfterHead = true;
    RunOnce();
    EXPECT_EQ(view.CallsWithoutDownloadProgress(), Failure());
    EXPECT_EQ(fs::file_size(Package()), 100u);
    server.stallAfterHead = false;
    server.Server().Stop();
}

TEST_F(Resume, StoppingEndsATransferAndSilencesTheDriver) {
    server.stallAfterHead = true;
    UpdateContext context = Context(server.ConfigUrl());
    context.stallTimeout = std::chrono::milliseconds(60000);
    auto config = std::make_shared<CGameRemoteConfig>(context);
    UpdateDriverThread thread(config, view);
    thread.Start();
    ASSERT_TRUE(view.WaitFor(RecordingView::Progress("", "0%", 0, true), std::chrono::seconds(20)));
    const auto begun = std::chrono::steady_clock::now();
    EXPECT_TRUE(thread.Stop(std::chrono::milliseconds(5000)));
    EXPECT_LT(std::chrono::steady_clock::now() - begun, std::chrono::seconds(3));
    const auto calls = view.Calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), Failed(104)), 0);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), Failed(103)), 0);
    EXPECT_EQ(reporter.Calls().back(),
              "log:game download start, download url:" + server.PackageUrl());
    // The window saves the record as it closes: at most the bytes held, for this package.
    config->SaveResumeRecord();
    const ResumeState saved = config->GetResumeState();
    EXPECT_LE(saved.currentOffset, 100);
    EXPECT_EQ(ReadFile(Record()),
              FormatResumeRecord(saved.currentOffset, saved.totalSize, Source()));
    server.Server().Stop();
}

// A view that closes the launcher while the first entry is reported.
class ClosingView : public RecordingView {
  public:
    void UpdateProgress(const std::string& status, const std::string& percentText, int position,
                        bool downloading) override {
        RecordingView::UpdateProgress(status, percentText, position, downloading);
        if (percentText == "1/50" && config != nullptr) {
            config->RequestStop();
        }
    }
    CGameRemoteConfig* config = nullptr;
};

TEST_F(Resume, StoppingEndsTheExtractionBetweenEntries) {
    std::string code =
        "import zipfile\n"
        "with zipfile.ZipFile('" +
        (Root() / "p.zip").string() +
        "', 'w') as z:\n"
        "    for i in range(50): z.writestr('f%02d.txt' % i, 'x')\n";
    ASSERT_TRUE(testsupport::RunPython(code, Root()));
    const std::string zip = ReadFile(Root() / "p.zip");
    WriteFile(Package(), zip);
    WriteFile(Record(), FormatResumeRecord(zip.size(), zip.size(), Source()));
    ClosingView closing;
    CGameRemoteConfig config(Context(server.ConfigUrl()));
    closing.config = &config;
    config.InitRemoteConfig(&closing);
    EXPECT_EQ(closing.Calls(), (std::vector<std::string>{
                                   "InitWebBrower", RecordingView::Progress("", "1/50", 2, false),
                                   "ShowProgressView"}));
    EXPECT_TRUE(fs::exists(clientDir / "f00.txt"));
    EXPECT_FALSE(fs::exists(clientDir / "f02.txt"));
    EXPECT_TRUE(fs::exists(Package())) << "an unfinished extraction keeps its package";
}

TEST(ResumeWithNginx, RangesAnd416FromARealServer) {
    testsupport::UpdateWorld world;
    const fs::path www = world.Root() / "www";
    const std::string package = testsupport::RandomBytes(kSize, 5);
    WriteFile(www / "p.bin", package);
    testsupport::NginxServer nginx(www);
    ASSERT_TRUE(nginx.Running()) << nginx.ErrorLog();
    WriteFile(www / "config.txt",
              "ClientVersion=2\nClientDownloadUrl=" + nginx.Url("/p.bin") + "\n");
    struct Case {
        const char* what;
        size_t held;
        std::vector<std::string> log;
    } cases[] = {
        {"206", 1000, {"GET /p.bin 206 299000 \"bytes=1000-\""}},
        {"416, then the whole file",
         kSize + 10,
         {"GET /p.bin 416 ", "GET /p.bin 200 300000 \"-\""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t before = nginx.AccessLog().size();
        WriteFile(world.Package(), (package + "0123456789").substr(0, c.held));
        WriteFile(world.Record(), FormatResumeRecord(c.held, 0, {nginx.Url("/p.bin"), "2"}));
        CGameRemoteConfig config(world.Context(nginx.Url("/config.txt")));
        config.InitRemoteConfig(&world.view);
        const auto log = nginx.AccessLog();
        ASSERT_EQ(log.size(), before + 1 + c.log.size());
        for (size_t i = 0; i < c.log.size(); ++i) {
            EXPECT_EQ(log[before + 1 + i].rfind(c.log[i], 0), 0u) << log[before + 1 + i];
        }
        EXPECT_TRUE(ReadFile(world.Package()) == package);
    }
}

}  // namespace
