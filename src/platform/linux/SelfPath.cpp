#include "platform/SelfPath.h"

#include <system_error>

namespace platform {

std::filesystem::path OwnExecutablePath() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return self;
}

std::string ApplicationName() {
    return OwnExecutablePath().stem().string();
}

}  // namespace platform
