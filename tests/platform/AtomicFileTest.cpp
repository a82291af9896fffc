#include "platform/AtomicFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/ErrorCodes.h"
#include "platform/SystemInfo.h"
#include "support/TempHome.h"

namespace {
namespace fs = std::filesystem;
using testsupport::ReadFile;
using testsupport::WriteFile;

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

size_t EntriesIn(const fs::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) {
        ++n;
    }
    return n;
}

TEST(CopyFileAtomically, ReplacesTheTargetWithTheSourceBytesAndMode) {
    testsupport::TempHome home;
    const fs::path dir = home.Root() / "d";
    std::string bytes(200000, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    WriteFile(dir / "src", bytes);
    WriteFile(dir / "dst", "old content that is longer than nothing");
    std::error_code error;
    ASSERT_TRUE(platform::CopyFileAtomically(dir / "src", dir / "dst", error, 0755)) << error;
    EXPECT_EQ(ReadFile(dir / "dst"), bytes);
    EXPECT_EQ(ModeOf(dir / "dst"), 0755u);
    EXPECT_EQ(EntriesIn(dir), 2u) << "no temporary file left";
}

TEST(CopyFileAtomically, TheSameFileUnderAnyNameIsRefusedAndKept) {
    testsupport::TempHome home;
    const fs::path dir = home.Root() / "d";
    WriteFile(dir / "self", "running program");
    fs::create_hard_link(dir / "self", dir / "hard");
    fs::create_symlink(dir / "self", dir / "soft");
    for (const char* target : {"self", "hard", "soft"}) {
        std::error_code error;
        EXPECT_FALSE(platform::CopyFileAtomically(dir / "self", dir / target, error)) << target;
        EXPECT_EQ(platform::ToSystemCode(error), platform::kErrorSharingViolation) << target;
    }
    EXPECT_EQ(ReadFile(dir / "self"), "running program");
    EXPECT_EQ(EntriesIn(dir), 3u);
}

TEST(CopyFileAtomically, AMissingSourceLeavesTheTargetAlone) {
    testsupport::TempHome home;
    const fs::path dir = home.Root() / "d";
    WriteFile(dir / "dst", "kept");
    std::error_code error;
    EXPECT_FALSE(platform::CopyFileAtomically(dir / "missing", dir / "dst", error));
    EXPECT_EQ(platform::ToSystemCode(error), platform::kErrorFileNotFound);
    EXPECT_EQ(ReadFile(dir / "dst"), "kept");
    EXPECT_FALSE(platform::CopyFileAtomically(dir / "dst", dir / "no-folder" / "x", error));
    EXPECT_EQ(EntriesIn(dir), 1u);
}

TEST(SystemInfo, SixtyFourBitMachinesAreRecognised) {
    for (const char* machine : {"x86_64", "aarch64", "ppc64le", "s390x", "riscv64", "alpha"}) {
        EXPECT_TRUE(platform::IsSystem64Bit(machine)) << machine;
    }
    for (const char* machine : {"i686", "i386", "armv7l", "armv6l", "mips", "ppc", "s390", ""}) {
        EXPECT_FALSE(platform::IsSystem64Bit(machine)) << machine;
    }
    // A 64-bit process can only run on a 64-bit kernel.
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(platform::IsSystem64Bit()) << platform::MachineName();
    }
}

}  // namespace
