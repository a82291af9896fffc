#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::error_code& error, mode_t mode) {
    error.clear();
    std::string temp = target.string() + ".tmpXXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (ok && left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            ok = false;
            break;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    ok = ok && fsync(fd) == 0;
    if (!ok) {
        error.assign(errno != 0 ? errno : EIO, std::generic_category());
    }
    if (close(fd) != 0 && ok) {
        error.assign(errno, std::generic_category());
        ok = false;
    }
    if (ok && rename(temp.c_str(), target.c_str()) != 0) {
        error.assign(errno, std::generic_category());
        ok = false;
    }
    if (!ok) {
        unlink(temp.c_str());
    }
    return ok;
}

}  // namespace platform
