#pragma once
// Runs the update driver on a thread of its own, as the update window needs it: started once
// the window exists, and stopped when the launcher closes, within a bound, so that a transfer
// that hangs cannot keep the launcher from ending.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "update/CGameRemoteConfig.h"
#include "update/IUpdateView.h"

class UpdateDriverThread {
  public:
    // `view` must stay valid until Stop() has returned or the thread has finished, and its calls
    // must not wait for the thread that stops the driver (QueuedUpdateView never waits): a stop
    // request waits for a view call in progress.
    UpdateDriverThread(std::shared_ptr<CGameRemoteConfig> config, IUpdateView& view);
    ~UpdateDriverThread();  // stops with the default bound
    UpdateDriverThread(const UpdateDriverThread&) = delete;
    UpdateDriverThread& operator=(const UpdateDriverThread&) = delete;

    // Starts InitRemoteConfig on the new thread; once only.
    void Start();
    // Asks the driver to stop (no view call or report is made after this has begun) and waits
    // for the thread at most `bound`. Returns true when it ended; otherwise the thread is left
    // to end by itself, holding its own reference to the component.
    bool Stop(std::chrono::milliseconds bound = std::chrono::milliseconds(3000));
    // Waits for the driver to end by itself, at most `bound`.
    bool WaitFinished(std::chrono::milliseconds bound) const;
    bool Finished() const;

    // Runs on the driver's thread before the driver itself, e.g. to set up crash reporting for
    // the thread.
    void SetThreadPrologue(std::function<void()> prologue) { m_prologue = std::move(prologue); }

  private:
    struct Shared {
        std::mutex mutex;
        std::condition_variable changed;
        bool finished = false;
    };

    std::shared_ptr<CGameRemoteConfig> m_config;
    IUpdateView& m_view;
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    std::function<void()> m_prologue;
    std::thread m_thread;
};
