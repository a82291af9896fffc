#include "update/ResumeRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/StringUtil.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

TEST(ResumeRecord, FileFormatByteForByte) {
    EXPECT_EQ(FormatResumeRecord(1048576, 5242880, {}), "offset=1048576\ntotalSize=5242880\n");
    EXPECT_EQ(FormatResumeRecord(1048576, 5242880, {}).size(), 33u);
    EXPECT_EQ(FormatResumeRecord(-1, 0, {}), "offset=-1\ntotalSize=0\n");
    EXPECT_EQ(FormatResumeRecord(5, 9, {"http://h/p.zip", "1.0.0.3\r"}),
              "offset=5\ntotalSize=9\nurl=http://h/p.zip\nversion=1.0.0.3\r\n");
}

TEST(ResumeRecord, ReadResumeValueAsTheRecordHasAlwaysBeenRead) {
    testsupport::TempHome home;
    const fs::path file = home.Root() / "tempdownload.dat";
    const std::string longLine(99, 'x');  // 100 characters with its line feed
    struct Case {
        const char* what;
        std::string content;
        const char* key;
        std::string expected;
    } cases[] = {
        {"plain", "offset=600\ntotalSize=1000\n", "totalSize", "1000"},
        {"any order, extra lines", "junk\ntotalSize=7\nother=1\noffset=3\n", "offset", "3"},
        {"carriage returns kept", "offset=600\r\ntotalSize=1000\r\n", "offset", "600\r"},
        {"first match wins", "offset=1\noffset=2\n", "offset", "1"},
        {"split at the first '='", "offset=1=2\n", "offset", "1=2"},
        {"no final line feed", "totalSize=1\noffset=42", "offset", "42"},
        {"a line without '=' is its own value", "offset\n", "offset", "offset"},
        {"case-sensitive key", "Offset=5\n", "offset", ""},
        {"a long line ends the reading", longLine + "\noffset=5\n", "offset", ""},
        {"a line just short enough", std::string(97, 'x') + "\noffset=5\n", "offset", "5"},
        {"long line after the key", "offset=5\n" + longLine + "\n", "offset", "5"},
    };
    for (const auto& c : cases) {
        WriteFile(file, c.content);
        EXPECT_EQ(ReadResumeValue(file, c.key), c.expected) << c.what;
    }
    EXPECT_EQ(ReadResumeValue(home.Root() / "missing.dat", "offset"), "");
}

TEST(ResumeRecord, LoadGivesBothOffsetsTheRecordedValueAndKeepsALongSource) {
    testsupport::TempHome home;
    const fs::path file = home.Root() / "tempdownload.dat";
    const std::string url = "http://127.0.0.1:1/" + std::string(150, 'p') + ".zip";
    WriteFile(file, FormatResumeRecord(600, 1000, {url, "1.0.0.3"}));
    // The old reader still finds both values ahead of the long line.
    EXPECT_EQ(ReadResumeValue(file, "offset"), "600");
    EXPECT_EQ(ReadResumeValue(file, "totalSize"), "1000");

    ResumeRecord record(file);
    record.Load();
    EXPECT_EQ(record.State().startOffset, 600);
    EXPECT_EQ(record.State().currentOffset, 600);
    EXPECT_EQ(record.State().totalSize, 1000);
    EXPECT_EQ(record.RecordedSource(), (ResumeSource{url, "1.0.0.3"}));

    WriteFile(file, "offset=abc\ntotalSize=99999999999999999999999\n");
    record.Load();
    EXPECT_EQ(record.State().currentOffset, 0);
    EXPECT_EQ(record.State().totalSize, INT64_MAX);
    EXPECT_FALSE(record.RecordedSource().Known());
}

TEST(ResumeRecord, SaveWithoutADownloadWritesTheLoadedValues) {
    testsupport::TempHome home;
    ResumeRecord record(home.Root() / "tempdownload.dat");
    record.Load();
    ASSERT_TRUE(record.Save());
    EXPECT_EQ(ReadFile(record.File()), "offset=0\ntotalSize=0\n");
}

TEST(ResumeRecord, ProgressCountsFromTheResumeOffset) {
    testsupport::TempHome home;
    ResumeRecord record(home.Root() / "tempdownload.dat");
    record.Begin(600, 1000, {"u", "v"});
    // The server announces only the rest of the package.
    const ResumeState state = record.Advance(100, 400);
    EXPECT_EQ(state.startOffset, 600);
    EXPECT_EQ(state.currentOffset, 700);
    EXPECT_EQ(state.totalSize, 1000);
    // Past 4 GiB nothing is cut to 32 bits.
    record.Begin(5'000'000'000LL, 0, {"u", "v"});
    EXPECT_EQ(record.Advance(1, 2).currentOffset, 5'000'000'001LL);
}

TEST(ResumeRecord, ASaveDuringATransferWritesAConsistentPair) {
    testsupport::TempHome home;
    ResumeRecord record(home.Root() / "tempdownload.dat");
    record.Begin(0, 0, {"u", "v"});
    std::atomic<bool> stop{false};
    // Every state the transfer passes through has totalSize == 2 * offset.
    std::thread transfer([&] {
        for (std::int64_t n = 1; !stop.load(); ++n) {
            record.Advance(n, 2 * n);
        }
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(record.Save());
        const std::int64_t offset =
            platform::ParseDecimal64(ReadResumeValue(record.File(), "offset"));
        const std::int64_t total =
            platform::ParseDecimal64(ReadResumeValue(record.File(), "totalSize"));
        ASSERT_EQ(total, 2 * offset) << "save " << i;
    }
    stop = true;
    transfer.join();
}

TEST(ResumeRecord, RetiringRemovesTheRecordForGood) {
    testsupport::TempHome home;
    ResumeRecord record(home.Root() / "tempdownload.dat");
    record.Begin(1000, 1000, {"u", "v"});
    ASSERT_TRUE(record.Save());
    record.Retire();
    EXPECT_FALSE(fs::exists(record.File()));
    EXPECT_EQ(record.State().currentOffset, 0);
    // The window saves again when it closes: the finished download does not come back.
    ASSERT_TRUE(record.Save());
    EXPECT_EQ(ReadFile(record.File()), "offset=0\ntotalSize=0\n");
}

}  // namespace
