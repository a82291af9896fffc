#include "platform/ProcessTable.h"

#include <fstream>
#include <string>
#include <system_error>

namespace platform {
namespace fs = std::filesystem;

namespace {

bool IsPidName(const std::string& name) {
    if (name.empty())
        return false;
    for (char c : name) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

std::string BaseName(std::string path) {
    // A replaced binary shows up as "<path> (deleted)"; the process is still the same program.
    static constexpr std::string_view kDeleted = " (deleted)";
    if (path.size() > kDeleted.size() &&
        path.compare(path.size() - kDeleted.size(), kDeleted.size(), kDeleted) == 0) {
        path.resize(path.size() - kDeleted.size());
    }
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string ExecutableName(const fs::path& processDir) {
    std::error_code error;
    const fs::path exe = fs::read_symlink(processDir / "exe", error);
    if (!error) {
        return BaseName(exe.string());
    }
    std::ifstream cmdline(processDir / "cmdline", std::ios::binary);
    std::string argv0;
    if (cmdline && std::getline(cmdline, argv0, '\0')) {
        return BaseName(argv0);
    }
    return {};
}

}  // namespace

ProcessLookup FindProcessByName(std::string_view exeName, const fs::path& procRoot) {
    std::error_code error;
    fs::directory_iterator it(procRoot, error);
    if (error) {
        return ProcessLookup::Unreadable;
    }
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) {
            return ProcessLookup::Unreadable;
        }
        const std::string name = it->path().filename().string();
        if (IsPidName(name) && ExecutableName(it->path()) == exeName) {
            return ProcessLookup::Found;
        }
    }
    return ProcessLookup::NotFound;
}

}  // namespace platform
