#include "support/EventLoop.h"

namespace testsupport {

void EventLoop::Post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_posted.notify_all();
}

bool EventLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        std::function<void()> task;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            if (!m_posted.wait_until(lock, deadline, [this] { return !m_tasks.empty(); })) {
                return done();
            }
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        task();
    }
    return true;
}

bool EventLoop::WaitUntilQueued(std::size_t count, std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_posted.wait_for(lock, timeout, [&] { return m_tasks.size() >= count; });
}

std::size_t EventLoop::RunPending() {
    std::deque<std::function<void()>> tasks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        tasks.swap(m_tasks);
    }
    for (auto& task : tasks) {
        task();
    }
    return tasks.size();
}

}  // namespace testsupport
