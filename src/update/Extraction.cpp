// The package extraction into the client directory, and the installation that follows it.

#include <fcntl.h>
#include <minizip/unzip.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

#include "app/CLocalLog.h"
#include "platform/StringUtil.h"
#include "update/CGameRemoteConfig.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kOnUnzip = "CGameRemoteConfig::OnUnzipFile";
constexpr const char* kUnzip = "CGameRemoteConfig::UnzipFile";
constexpr size_t kNameBuffer = 512;
constexpr size_t kBlock = 8192;
constexpr size_t kWriteBuffer = 128 * 1024;

struct ZipCloser {
    void operator()(void* zip) const { unzClose(static_cast<unzFile>(zip)); }
};
using UniqueZip = std::unique_ptr<void, ZipCloser>;

bool IsInside(const fs::path& root, const fs::path& path) {
    auto r = root.begin();
    auto p = path.begin();
    for (; r != root.end(); ++r, ++p) {
        if (p == path.end() || *p != *r) {
            return false;
        }
    }
    return true;
}

// Decides where entries land, refusing any that would land outside `root` (the client
// directory, resolved): an absolute name, a ".." piece, a NUL byte, or a folder on the way that
// is a link leading out.
class EntryPlacer {
  public:
    explicit EntryPlacer(fs::path root) : m_root(std::move(root)) {}

    bool Place(const std::string& name, fs::path& target) {
        if (name.empty() || name.front() == '/' || name.find('\0') != std::string::npos) {
            return false;
        }
        size_t start = 0;
        while (start <= name.size()) {
            size_t slash = name.find('/', start);
            if (slash == std::string::npos) {
                slash = name.size();
            }
            if (name.compare(start, slash - start, "..") == 0) {
                return false;
            }
            start = slash + 1;
        }
        target = m_root / name;
        // Entries come folder by folder, and the extraction makes only real folders, so the
        // answer for the previous entry's folder still holds.
        const fs::path parent = target.parent_path();
        if (parent != m_lastParent || m_lastParent.empty()) {
            std::error_code error;
            const fs::path resolved = fs::weakly_canonical(parent, error);
            m_lastParent = parent;
            m_lastInside = !error && IsInside(m_root, resolved);
        }
        return m_lastInside;
    }

  private:
    fs::path m_root;
    fs::path m_lastParent;
    bool m_lastInside = false;
};

// Executable bits of an entry made on a Unix system, so that the game's programs can run; other
// entries get ordinary file permissions.
mode_t EntryMode(const unz_file_info64& info) {
    const bool unixMade = (info.version >> 8) == 3;
    const auto unixMode = static_cast<mode_t>(info.external_fa >> 16);
    return unixMade && (unixMode & 0111) != 0 ? 0755 : 0644;
}

// minizip cannot open an archive whose end record is its very first byte, which is what an
// archive without entries is; such an archive is recognised here and has nothing to extract.
bool IsEmptyArchive(const fs::path& package) {
    FILE* in = std::fopen(package.c_str(), "rbe");
    if (in == nullptr) {
        return false;
    }
    unsigned char record[22] = {};
    const size_t got = std::fread(record, 1, sizeof record, in);
    std::fseek(in, 0, SEEK_END);
    const long size = std::ftell(in);
    std::fclose(in);
    const auto word = [&](size_t at) { return record[at] | (record[at + 1] << 8); };
    return got == sizeof record && record[0] == 'P' && record[1] == 'K' && record[2] == 5 &&
           record[3] == 6 && word(8) == 0 && word(10) == 0 && size == 22 + word(20);
}

}  // namespace

bool CGameRemoteConfig::ExtractEntry(void* zipHandle, const std::string& name,
                                     const fs::path& target, unsigned mode) {
    auto zip = static_cast<unzFile>(zipHandle);
    if (unzOpenCurrentFile(zip) != UNZ_OK) {
        return false;
    }
    // No link is followed at the last step either: it could point anywhere.
    const int fd = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW,
                        static_cast<mode_t>(mode));
    FILE* out = fd >= 0 ? fdopen(fd, "wb") : nullptr;
    if (out == nullptr) {
        if (fd >= 0) {
            close(fd);
        }
        unzCloseCurrentFile(zip);
        return false;
    }
    // The blocks are small; larger writes save most of the system calls of a big file.
    char buffer[kWriteBuffer];
    std::setvbuf(out, buffer, _IOFBF, sizeof buffer);
    char block[kBlock];
    bool ok = true;
    while (true) {
        const int got = unzReadCurrentFile(zip, block, sizeof block);
        if (got < 0) {
            LOG_ERROR(kOnUnzip, platform::Format("data error %d: ", got) + name);
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        if (std::fwrite(block, 1, static_cast<size_t>(got), out) != static_cast<size_t>(got)) {
            ok = false;
            break;
        }
    }
    ok = std::fclose(out) == 0 && ok;
    // The checksum is only compared here, once all data has been read.
    const int closed = unzCloseCurrentFile(zip);
    if (ok && closed == UNZ_CRCERROR) {
        LOG_ERROR(kOnUnzip, "crc error: " + name);
        ok = false;
    }
    if (!ok) {
        // A cut or corrupted file must not pass for part of the game.
        std::error_code ignored;
        fs::remove(target, ignored);
    }
    return ok;
}

int CGameRemoteConfig::OnUnzipFile(const fs::path& package, IUpdateView* view) {
    LOG_INFO(kOnUnzip, platform::Format("unzip file:%s begin", package.c_str()));
    ReportMessage("game unzip start");
    UniqueZip zip(unzOpen64(package.c_str()));
    if (!zip && !IsEmptyArchive(package)) {
        LOG_ERROR(kOnUnzip, "zipfile is NULL!");
        return 0;
    }
    auto handle = static_cast<unzFile>(zip.get());
    unz_global_info64 global{};
    if (handle != nullptr && unzGetGlobalInfo64(handle, &global) != UNZ_OK) {
        zip.reset();
        LOG_ERROR(kOnUnzip, "unzGetGlobalInfo is error!");
        return 0;
    }
    std::error_code error;
    const fs::path root = fs::weakly_canonical(m_context.clientDir, error);
    if (error) {
        LOG_ERROR(kOnUnzip, "client directory unusable: " + m_context.clientDir.string());
        return 0;
    }
    EntryPlacer placer(root);
    const auto count = static_cast<long long>(global.number_entry);
    for (long long index = 1; index <= count; ++index) {
        if (StopRequested()) {
            LOG_INFO(kOnUnzip, "unzip stopped");
            return 0;
        }
        unz_file_info64 info{};
        char nameBuffer[kNameBuffer] = {};
        if (unzGetCurrentFileInfo64(handle, &info, nameBuffer, sizeof nameBuffer, nullptr, 0,
                                    nullptr, 0) != UNZ_OK) {
            return 0;
        }
        if (info.size_filename >= kNameBuffer) {
            LOG_ERROR(kOnUnzip, platform::Format("entry name of %lu bytes is too long",
                                                 static_cast<unsigned long>(info.size_filename)));
            return 0;
        }
        const std::string name(nameBuffer, info.size_filename);
        LOG_INFO(kOnUnzip, name);
        fs::path target;
        if (!placer.Place(name, target)) {
            LOG_ERROR(kOnUnzip, "entry outside the client directory: " + name);
            return 0;
        }
        if (name.back() == '/') {
            // One level, and an existing folder is fine.
            fs::create_directory(target, error);
        } else {
            if (!ExtractEntry(handle, name, target, EntryMode(info))) {
                return 0;
            }
        }
        if (index < count && unzGoToNextFile(handle) != UNZ_OK) {
            return 0;
        }
        Show(view, "", platform::Format("%lld/%lld", index, count),
             static_cast<int>(100 * index / count), false, true);
    }
    zip.reset();
    LOG_INFO(kOnUnzip, "unzip is finish!");
    ReportEvent(6);
    ReportMessage("game unzip success");
    return 1;
}

int CGameRemoteConfig::UnzipFile(const fs::path& package, IUpdateView* view) {
    if (OnUnzipFile(package, view) == 1) {
        std::error_code ignored;
        fs::remove(package, ignored);
        // The download is over for good: a later save must not bring it back.
        m_resume.Retire();
        SetRegisties();
        LOG_INFO(kUnzip, m_context.ownExecutable.string());
        long code = 0;
        if (CopyLauncher(code)) {
            CreateShortcuts();
        } else {
            LOG_ERROR(kUnzip, platform::Format("CopyFile ret:%ld", code));
        }
        WriteLocalClientVersion(m_context.clientDir, m_config);
        ShowReady(view);
        LOG_INFO(kUnzip, "unzip is finish!");
        return 1;
    }
    if (StopRequested()) {
        return 0;
    }
    Show(view, std::string(kUnzipFailedText), "", 0, false, false);
    LOG_INFO(kUnzip, "unzip is error!");
    ReportMessage("game unzip failed");
    return 0;
}
