#include "platform/DeferredRemoval.h"

#include "platform/ProcessSpawn.h"

#include <sys/stat.h>

#include <fstream>
#include <string>
#include <system_error>
#include <vector>

namespace platform {
namespace fs = std::filesystem;

namespace {

// $1 the pid to wait for, $2 the directory, $3 the longest wait in tenths of a second. The
// state field follows the last ") " of /proc/<pid>/stat, since the command name may hold
// anything; an unreaped zombie (Z) has ended as far as its files are concerned.
constexpr const char* kRemovalScript =
    "n=0\n"
    "while [ \"$n\" -lt \"$3\" ] && read -r s < \"/proc/$1/stat\"; do\n"
    "  case \"${s##*) }\" in Z* | X*) break ;; esac\n"
    "  sleep 0.1\n"
    "  n=$((n + 1))\n"
    "done\n"
    "exec rm -rf -- \"$2\"\n";

// Absolute, symbolic links resolved as far as the path exists, no trailing separator.
fs::path Resolved(const fs::path& path) {
    std::error_code error;
    fs::path resolved = fs::weakly_canonical(path, error);
    if (error) {
        resolved = path.lexically_normal();
    }
    if (!resolved.has_filename() && resolved.has_relative_path()) {
        resolved = resolved.parent_path();
    }
    return resolved;
}

// Whether `ancestor` is `path` or one of the folders above it.
bool IsSameOrAbove(const fs::path& ancestor, const fs::path& path) {
    auto a = ancestor.begin();
    auto p = path.begin();
    for (; a != ancestor.end(); ++a, ++p) {
        if (p == path.end() || *a != *p) {
            return false;
        }
    }
    return true;
}

bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

// The mount points of /proc/self/mountinfo (the fifth field), with the kernel's octal escapes
// of blanks, tabs, line feeds and backslashes undone.
bool IsListedMountPoint(const fs::path& directory) {
    std::ifstream mounts("/proc/self/mountinfo");
    std::string line;
    while (std::getline(mounts, line)) {
        size_t start = 0;
        for (int field = 0; field < 4 && start != std::string::npos; ++field) {
            start = line.find(' ', start);
            if (start != std::string::npos) {
                ++start;
            }
        }
        if (start == std::string::npos) {
            continue;
        }
        const size_t end = line.find(' ', start);
        const std::string escaped = line.substr(start, end - start);
        std::string point;
        for (size_t i = 0; i < escaped.size(); ++i) {
            if (escaped[i] == '\\' && i + 3 < escaped.size() && IsOctal(escaped[i + 1]) &&
                IsOctal(escaped[i + 2]) && IsOctal(escaped[i + 3])) {
                point += static_cast<char>((escaped[i + 1] - '0') * 64 +
                                           (escaped[i + 2] - '0') * 8 + (escaped[i + 3] - '0'));
                i += 3;
            } else {
                point += escaped[i];
            }
        }
        if (fs::path(point) == directory) {
            return true;
        }
    }
    return false;
}

bool IsFileSystemRoot(const fs::path& resolved) {
    if (resolved == resolved.root_path()) {
        return true;
    }
    struct stat self {};
    struct stat parent {};
    if (stat(resolved.c_str(), &self) == 0 && stat(resolved.parent_path().c_str(), &parent) == 0 &&
        self.st_dev != parent.st_dev) {
        return true;
    }
    // A bind mount keeps the device of the file system it comes from.
    return IsListedMountPoint(resolved);
}

}  // namespace

std::string_view RemovalCheckText(RemovalCheck check) {
    switch (check) {
        case RemovalCheck::Allowed:
            return "";
        case RemovalCheck::NotAbsolute:
            return "not an absolute path";
        case RemovalCheck::NotADirectory:
            return "not a directory";
        case RemovalCheck::FileSystemRoot:
            return "a file-system root";
        case RemovalCheck::HomeOrAncestor:
            return "the home folder or above it";
        case RemovalCheck::NoRequiredEntry:
            return "not the launcher's folder";
    }
    return "";
}

RemovalCheck CheckDirectoryLocation(const fs::path& directory, const fs::path& home) {
    if (directory.empty() || !directory.is_absolute()) {
        return RemovalCheck::NotAbsolute;
    }
    const fs::path resolved = Resolved(directory);
    if (IsFileSystemRoot(resolved)) {
        return RemovalCheck::FileSystemRoot;
    }
    if (!home.empty() && IsSameOrAbove(resolved, Resolved(home))) {
        return RemovalCheck::HomeOrAncestor;
    }
    return RemovalCheck::Allowed;
}

RemovalCheck CheckRemovableDirectory(const fs::path& directory, const fs::path& home,
                                     std::string_view requiredEntry) {
    const RemovalCheck location = CheckDirectoryLocation(directory, home);
    if (location != RemovalCheck::Allowed) {
        return location;
    }
    std::error_code error;
    if (fs::symlink_status(directory, error).type() != fs::file_type::directory) {
        return RemovalCheck::NotADirectory;
    }
    if (!requiredEntry.empty() &&
        fs::symlink_status(directory / requiredEntry, error).type() != fs::file_type::regular) {
        return RemovalCheck::NoRequiredEntry;
    }
    return RemovalCheck::Allowed;
}

DeferredRemovalResult ScheduleDirectoryRemoval(const DeferredRemoval& removal) {
    DeferredRemovalResult result;
    result.check = CheckRemovableDirectory(removal.directory, removal.home, removal.requiredEntry);
    if (result.check != RemovalCheck::Allowed) {
        return result;
    }
    const auto tenths = (removal.longestWait.count() + 99) / 100;
    std::vector<std::string> argv = {"sh",
                                     "-c",
                                     kRemovalScript,
                                     "sh",
                                     std::to_string(removal.waitFor > 0 ? removal.waitFor : 0),
                                     removal.directory.string(),
                                     std::to_string(tenths > 0 ? tenths : 0)};
    // A fixed environment: nothing of the caller's may change what the shell runs.
    const std::vector<std::string> environment = {"PATH=/usr/bin:/bin", "LC_ALL=C"};
    const SpawnResult spawned =
        SpawnProcess("/bin/sh", argv, SpawnOptions{"/", true, &environment});
    result.started = spawned.started;
    result.pid = spawned.pid;
    result.error = spawned.error;
    return result;
}

}  // namespace platform
