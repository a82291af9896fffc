#pragma once
// Stands in for a window's UI thread where there is no toolkit: the view the driver gets
// queues its calls, and this thread replays them on `ui` whenever it is woken, at most once
// per `frame` (zero: at once). The destructor drains what is left and joins.

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "update/UpdateViewQueue.h"

namespace testsupport {

class DrainingUiThread {
  public:
    explicit DrainingUiThread(IUpdateView& ui,
                              std::chrono::milliseconds frame = std::chrono::milliseconds(0))
        : m_view(m_queue, [this] { Wake(); }), m_thread([this, &ui, frame] { Run(ui, frame); }) {}
    ~DrainingUiThread() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_woken.notify_one();
        m_thread.join();
    }
    DrainingUiThread(const DrainingUiThread&) = delete;
    DrainingUiThread& operator=(const DrainingUiThread&) = delete;

    // The view to hand to the driver.
    IUpdateView& View() { return m_view; }

  private:
    void Wake() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_wake = true;
        m_woken.notify_one();
    }
    void Run(IUpdateView& ui, std::chrono::milliseconds frame) {
        auto nextFrame = std::chrono::steady_clock::now();
        std::unique_lock<std::mutex> lock(m_mutex);
        while (true) {
            m_woken.wait(lock, [this] { return m_wake || m_done; });
            const bool last = m_done;
            m_wake = false;
            lock.unlock();
            if (!last && frame.count() > 0) {
                std::this_thread::sleep_until(nextFrame);
            }
            m_queue.Drain(ui);
            nextFrame = std::chrono::steady_clock::now() + frame;
            lock.lock();
            if (last) {
                return;
            }
        }
    }

    UpdateViewQueue m_queue;
    std::mutex m_mutex;
    std::condition_variable m_woken;
    bool m_wake = false;
    bool m_done = false;
    QueuedUpdateView m_view;
    std::thread m_thread;  // last: it starts running in the constructor
};

}  // namespace testsupport
