#pragma once
// A plain event loop for owners of a request manager in tests: the manager's worker posts,
// the test's thread runs the tasks while it waits for what it expects.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "net/IEventDispatcher.h"

namespace testsupport {

class EventLoop : public IEventDispatcher {
  public:
    void Post(std::function<void()> task) override;

    // Runs posted tasks on the calling thread until `done()` holds; false after `timeout`.
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
    // Waits, running nothing, until at least `count` tasks are queued; false after `timeout`.
    bool WaitUntilQueued(std::size_t count, std::chrono::milliseconds timeout);
    // Runs the tasks queued now; returns how many ran.
    std::size_t RunPending();

  private:
    std::mutex m_mutex;
    std::condition_variable m_posted;
    std::deque<std::function<void()>> m_tasks;
};

}  // namespace testsupport
