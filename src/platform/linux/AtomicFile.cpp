#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {

namespace {

bool WriteAll(int fd, const char* data, size_t left) {
    while (left > 0) {
        const ssize_t written = write(fd, data, left);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            if (written == 0) {
                errno = EIO;
            }
            return false;
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    return true;
}

// Runs `fill` on a fresh temporary file beside `target`, then flushes it and renames it over
// `target`. The temporary file is removed again on any failure.
template <typename Fill>
bool ReplaceThroughTemporary(const std::filesystem::path& target, mode_t mode,
                             std::error_code& error, Fill fill) {
    error.clear();
    std::string temp = target.string() + ".tmpXXXXXX";
    const int fd = mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    errno = 0;
    bool ok = fchmod(fd, mode) == 0 && fill(fd) && fsync(fd) == 0;
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

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes,
                         std::error_code& error, mode_t mode) {
    return ReplaceThroughTemporary(
        target, mode, error, [&](int fd) { return WriteAll(fd, bytes.data(), bytes.size()); });
}

bool CopyFileAtomically(const std::filesystem::path& source, const std::filesystem::path& target,
                        std::error_code& error, mode_t mode) {
    error.clear();
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        error.assign(errno, std::generic_category());
        return false;
    }
    struct stat from {};
    struct stat to {};
    if (fstat(in, &from) != 0) {
        error.assign(errno, std::generic_category());
        close(in);
        return false;
    }
    // The rename would succeed and leave the file as it was, which hides that nothing was
    // installed; a program cannot replace its own running file on the other platforms either.
    if (stat(target.c_str(), &to) == 0 && to.st_dev == from.st_dev && to.st_ino == from.st_ino) {
        error.assign(ETXTBSY, std::generic_category());
        close(in);
        return false;
    }
    const bool ok = ReplaceThroughTemporary(target, mode, error, [&](int out) {
        char buffer[64 * 1024];
        while (true) {
            const ssize_t got = read(in, buffer, sizeof buffer);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return false;
            }
            if (got == 0) {
                return true;
            }
            if (!WriteAll(out, buffer, static_cast<size_t>(got))) {
                return false;
            }
        }
    });
    close(in);
    return ok;
}

}  // namespace platform
