#pragma once
// The response body: appended by the manager's worker while the owner may read it.

#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

namespace inner {

class CReceiveBuffer {
  public:
    void Append(std::string_view bytes) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bytes.append(bytes);
    }
    // A consistent copy of what has arrived so far.
    std::string Copy() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes;
    }
    std::size_t Size() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_bytes.size();
    }

  private:
    mutable std::mutex m_mutex;
    std::string m_bytes;
};

}  // namespace inner
