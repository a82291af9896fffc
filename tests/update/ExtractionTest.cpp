// Extraction of archives made at run time by real archivers.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "UpdateWorld.h"
#include "support/Programs.h"

namespace {
namespace fs = std::filesystem;
using testsupport::DescribeTree;
using testsupport::ReadFile;
using testsupport::RecordingView;
using testsupport::RunProgram;
using testsupport::RunPython;
using testsupport::WriteFile;

class Extraction : public ::testing::Test, protected testsupport::UpdateWorld {
  protected:
    // A small game tree: nested folders, a Chinese name, an executable.
    fs::path MakeSourceTree() {
        const fs::path src = Root() / "src";
        WriteFile(src / "readme.txt", "read me\n");
        WriteFile(src / "vorn" / "vorn", "#!/bin/sh\necho game\n");
        fs::permissions(src / "vorn" / "vorn", fs::perms::owner_exec, fs::perm_options::add);
        WriteFile(src / "vorn" / "data" / "a.txt", std::string(100000, 'a'));
        WriteFile(src / "vorn" / "数据" / "说明.txt", "中文内容");
        return src;
    }

    std::vector<std::string> ExtractionRows() const {
        std::vector<std::string> rows;
        for (const auto& call : view.Calls()) {
            if (call.rfind("UpdateProgress(|", 0) == 0) {
                rows.push_back(call);
            }
        }
        return rows;
    }

    // Every entry k of n reported once, in order, with 100 * k / n.
    void ExpectProgressRows(size_t entries) {
        const auto rows = ExtractionRows();
        ASSERT_EQ(rows.size(), entries);
        const auto calls = view.Calls();
        for (size_t k = 1; k <= entries; ++k) {
            EXPECT_EQ(rows[k - 1],
                      RecordingView::Progress("", std::to_string(k) + "/" + std::to_string(entries),
                                              static_cast<int>(100 * k / entries), false));
            EXPECT_EQ(calls[2 * k - 1], "ShowProgressView");
        }
    }
};

TEST_F(Extraction, ArchivesOfThreeArchiversExtractWholeWithTheirFolders) {
    const fs::path src = MakeSourceTree();
    const std::string expected = DescribeTree(src);
    struct Archiver {
        const char* name;
        std::vector<std::string> command;
    } archivers[] = {
        {"zip", {"zip", "-r", "-q", Package().string(), "."}},
        {"bsdtar", {"bsdtar", "--format", "zip", "-cf", Package().string(), "."}},
    };
    for (const auto& archiver : archivers) {
        SCOPED_TRACE(archiver.name);
        fs::remove_all(clientDir);
        fs::create_directories(clientDir);
        view.Clear();
        ASSERT_EQ(RunProgram(archiver.command, src).exitCode, 0);
        auto config = NewConfig();
        ASSERT_EQ(config->OnUnzipFile(Package(), &view), 1);
        EXPECT_EQ(DescribeTree(clientDir), expected);
        struct stat info {};
        ASSERT_EQ(stat((clientDir / "vorn" / "vorn").c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0755u) << "the game's program stays executable";
        ExpectProgressRows(view.Calls().size() / 2);
        fs::remove(Package());
    }
}

TEST_F(Extraction, PythonArchiveOfThreeChineseNamedFilesReportsEachEntry) {
    ASSERT_TRUE(
        RunPython("import zipfile\n"
                  "with zipfile.ZipFile('" +
                      Package().string() +
                      "', 'w') as z:\n"
                      "    z.writestr('一.txt', 'one')\n"
                      "    z.writestr('二.txt', 'two')\n"
                      "    z.writestr('三.txt', 'three')\n",
                  Root()));
    WriteFile(clientDir / "二.txt", "an older, longer file");
    auto config = NewConfig();
    ASSERT_EQ(config->OnUnzipFile(Package(), &view), 1);
    EXPECT_EQ(DescribeTree(clientDir), "一.txt=one\n三.txt=three\n二.txt=two\n");
    EXPECT_EQ(view.Calls(), (std::vector<std::string>{
                                RecordingView::Progress("", "1/3", 33, false),
                                "ShowProgressView",
                                RecordingView::Progress("", "2/3", 66, false),
                                "ShowProgressView",
                                RecordingView::Progress("", "3/3", 100, false),
                                "ShowProgressView",
                            }));
    EXPECT_EQ(reporter.Calls(), (std::vector<std::string>{"log:game unzip start", "event:6",
                                                          "log:game unzip success"}));
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[INFO][CGameRemoteConfig::OnUnzipFile::"), std::string::npos);
    EXPECT_NE(log.find("] unzip file:" + Package().string() + " begin\r\n"), std::string::npos);
    EXPECT_NE(log.find("] 三.txt\r\n"), std::string::npos);
    EXPECT_NE(log.find("] unzip is finish!\r\n"), std::string::npos);
}

TEST_F(Extraction, AnEmptyArchiveInstallsWithoutProgress) {
    ASSERT_TRUE(RunPython(
        "import zipfile\nzipfile.ZipFile('" + Package().string() + "', 'w').close()\n", Root()));
    auto config = NewConfig();
    ASSERT_EQ(config->UnzipFile(Package(), &view), 1) << testsupport::LogText();
    EXPECT_EQ(view.Calls(),
              (std::vector<std::string>{RecordingView::Progress("更新已完成", "", 0, false),
                                        "ShowStatusView", "SetReady"}));
    EXPECT_FALSE(fs::exists(Package()));
}

TEST_F(Extraction, AnInstallationRunFromTheCopyItselfLogsTheFailedCopy) {
    ASSERT_TRUE(RunPython(
        "import zipfile\nzipfile.ZipFile('" + Package().string() + "', 'w').close()\n", Root()));
    launcher = installDir / "Brannoc";
    WriteFile(launcher, "the installed launcher");
    auto config = NewConfig();
    EXPECT_EQ(config->UnzipFile(Package(), &view), 1) << "still a complete installation";
    EXPECT_EQ(view.Calls().back(), "SetReady");
    EXPECT_EQ(ReadFile(launcher), "the installed launcher");
    EXPECT_FALSE(fs::exists(installDir / "Brannoc-卸载.desktop")) << "no shortcuts";
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("[ERROR][CGameRemoteConfig::UnzipFile::"), std::string::npos);
    EXPECT_NE(log.find("][CopyFile ret:32]\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("] " + launcher.string() + "\r\n"), std::string::npos);
}

TEST_F(Extraction, FailuresShowTheFailureTextAndKeepThePackage) {
    const fs::path src = MakeSourceTree();
    ASSERT_EQ(RunProgram({"zip", "-r", "-q", Package().string(), "."}, src).exitCode, 0);
    const std::string whole = ReadFile(Package());
    struct Case {
        const char* what;
        std::string package;
        const char* logged;
    } cases[] = {
        {"truncated", whole.substr(0, whole.size() / 2),
         "[ERROR][CGameRemoteConfig::OnUnzipFile::"},
        {"not an archive", "<html>404</html>", "][zipfile is NULL!]"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        view.Clear();
        WriteFile(Package(), c.package);
        auto config = NewConfig();
        EXPECT_EQ(config->UnzipFile(Package(), &view), 0);
        EXPECT_EQ(view.Calls(),
                  (std::vector<std::string>{RecordingView::Progress("解压失败", "", 0, false),
                                            "ShowStatusView"}));
        EXPECT_EQ(ReadFile(Package()), c.package);
        const std::string log = testsupport::LogText();
        EXPECT_NE(log.find(c.logged), std::string::npos);
        EXPECT_NE(log.find("[INFO][CGameRemoteConfig::UnzipFile::"), std::string::npos);
        EXPECT_NE(log.find("] unzip is error!\r\n"), std::string::npos);
        EXPECT_EQ(reporter.Calls().back(), "log:game unzip failed");
    }
}

TEST_F(Extraction, HostileNamesFailBeforeAnythingLandsOutside) {
    const fs::path outside = Root() / "outside";
    fs::create_directories(outside);
    fs::create_directory_symlink(outside, clientDir / "link");
    const std::string absolute = (outside / "absolute.txt").string();
    const std::string names[] = {
        "../escape.txt", "a/../../escape.txt",  "../", absolute, "link/inside.txt",
        "link/sub/",     std::string(600, 'n'),
    };
    for (const auto& name : names) {
        SCOPED_TRACE(name.substr(0, 40));
        ASSERT_TRUE(
            RunPython("import zipfile\n"
                      "with zipfile.ZipFile('" +
                          Package().string() +
                          "', 'w') as z:\n"
                          "    z.writestr('fine.txt', 'fine')\n"
                          "    z.writestr(zipfile.ZipInfo('" +
                          name + "'), 'bad')\n",
                      Root()));
        auto config = NewConfig();
        EXPECT_EQ(config->OnUnzipFile(Package(), &view), 0);
        EXPECT_TRUE(fs::is_empty(outside));
        EXPECT_FALSE(fs::exists(Root() / "games" / "escape.txt"));
        EXPECT_FALSE(fs::exists(installDir / "escape.txt"));
    }
    const std::string log = testsupport::LogText();
    EXPECT_NE(log.find("][entry outside the client directory: ../escape.txt]"), std::string::npos);
    EXPECT_NE(log.find("][entry name of 600 bytes is too long]"), std::string::npos);
}

TEST_F(Extraction, ACorruptedEntryFailsAndLeavesNoFileBehind) {
    // Entry data located by its content, then damaged: in a stored entry only the checksum can
    // tell; in a deflated one the stream itself breaks.
    struct Case {
        const char* what;
        const char* compression;
    } cases[] = {{"stored, checksum", "ZIP_STORED"}, {"deflated, data", "ZIP_DEFLATED"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(clientDir);
        fs::create_directories(clientDir);
        ASSERT_TRUE(
            RunPython("import zipfile, random\n"
                      "random.seed(7)\n"
                      "data = bytes(random.choice(b'abcdefgh ') for _ in range(200000))\n"
                      "path = '" +
                          Package().string() +
                          "'\n"
                          "with zipfile.ZipFile(path, 'w', zipfile." +
                          c.compression +
                          ") as z:\n"
                          "    z.writestr('good.txt', 'good')\n"
                          "    z.writestr('bad.bin', data)\n"
                          "raw = bytearray(open(path, 'rb').read())\n"
                          "info = zipfile.ZipFile(path).getinfo('bad.bin')\n"
                          "start = info.header_offset + 30 + len(info.filename)\n"
                          "middle = start + info.compress_size // 2\n"
                          "for i in range(middle, middle + 64): raw[i] ^= 0x5A\n"
                          "open(path, 'wb').write(raw)\n",
                      Root()));
        auto config = NewConfig();
        EXPECT_EQ(config->OnUnzipFile(Package(), &view), 0);
        EXPECT_EQ(ReadFile(clientDir / "good.txt"), "good");
        EXPECT_FALSE(fs::exists(clientDir / "bad.bin"));
    }
}

TEST_F(Extraction, AFileNeedsItsFolderToExistOrHaveAnEntry) {
    ASSERT_TRUE(
        RunPython("import zipfile\n"
                  "with zipfile.ZipFile('" +
                      Package().string() +
                      "', 'w') as z:\n"
                      "    z.writestr('nodir/x.txt', 'x')\n",
                  Root()));
    auto config = NewConfig();
    EXPECT_EQ(config->OnUnzipFile(Package(), &view), 0);
    EXPECT_FALSE(fs::exists(clientDir / "nodir"));
    // The folder exists already: fine.
    fs::create_directory(clientDir / "nodir");
    EXPECT_EQ(config->OnUnzipFile(Package(), &view), 1);
    EXPECT_EQ(ReadFile(clientDir / "nodir" / "x.txt"), "x");
}

}  // namespace
