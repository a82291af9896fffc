#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace platform {

InstanceLock::InstanceLock(InstanceLock&& other) noexcept
    : m_fd(other.m_fd), m_state(other.m_state) {
    other.m_fd = -1;
    other.m_state = State::Unavailable;
}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        Release();
        m_fd = other.m_fd;
        m_state = other.m_state;
        other.m_fd = -1;
        other.m_state = State::Unavailable;
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    Release();
}

void InstanceLock::Release() {
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    m_state = State::Unavailable;
}

InstanceLock InstanceLock::TryAcquire(const std::filesystem::path& lockFile) {
    InstanceLock lock;
    lock.m_fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock.m_fd < 0) {
        return lock;
    }
    int result;
    do {
        result = flock(lock.m_fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result == 0) {
        lock.m_state = State::Acquired;
        return lock;
    }
    const bool busy = errno == EWOULDBLOCK;
    close(lock.m_fd);
    lock.m_fd = -1;
    lock.m_state = busy ? State::HeldElsewhere : State::Unavailable;
    return lock;
}

std::filesystem::path InstanceLock::PathFor(const UserLocations& locations, std::string_view name) {
    if (!locations.runtimeDir.empty()) {
        return locations.runtimeDir / (std::string(name) + ".lock");
    }
    return std::filesystem::path("/tmp") /
           (std::string(name) + "-" + std::to_string(getuid()) + ".lock");
}

}  // namespace platform
