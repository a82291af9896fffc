#pragma once
// Holds a process-wide object that is built on first use and never torn down, so that a thread
// still running while exit() destroys the statics never finds it half-destroyed.

#include <new>
#include <utility>

namespace platform {

template <class T>
class NoDestructor {
  public:
    template <class... Args>
    explicit NoDestructor(Args&&... args) {
        ::new (static_cast<void*>(m_storage)) T(std::forward<Args>(args)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;

    T& Get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }
    T* operator->() { return &Get(); }
    T& operator*() { return Get(); }

  private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

}  // namespace platform
