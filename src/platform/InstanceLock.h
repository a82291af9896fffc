#pragma once
// The single-instance rule: an exclusive advisory lock on a file, held for the life of the
// process. The descriptor is close-on-exec so that the game does not inherit the lock.

#include <filesystem>
#include <string_view>

#include "platform/UserLocations.h"

namespace platform {

class InstanceLock {
  public:
    enum class State {
        Acquired,       // this process holds the lock
        HeldElsewhere,  // another process holds it
        Unavailable,    // the lock file could not be opened: the rule cannot be applied
    };

    InstanceLock() = default;
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    static InstanceLock TryAcquire(const std::filesystem::path& lockFile);

    // $XDG_RUNTIME_DIR/<name>.lock, or /tmp/<name>-<uid>.lock without a runtime folder.
    static std::filesystem::path PathFor(const UserLocations& locations, std::string_view name);

    State GetState() const { return m_state; }
    bool Held() const { return m_state == State::Acquired; }
    void Release();

  private:
    int m_fd = -1;
    State m_state = State::Unavailable;
};

}  // namespace platform
