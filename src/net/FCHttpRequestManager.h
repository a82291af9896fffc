#pragma once
// Runs HTTP requests without ever blocking the thread that starts them. One worker thread
// drives every transfer through libcurl's multi interface; the owner hears of each request
// through three virtual callbacks, delivered on the owner's thread by its event dispatcher:
//   OnResponseHeaders   once the final response's headers are in (for a request that failed
//                       before that: status 0, empty texts),
//   OnResponseComplete  when the request has ended (a failed connection completes too, with
//                       status 0, an empty body and readSucceeded false),
//   OnRequestTimeout    instead of OnResponseComplete when the request's time-out comes
//                       first; the transfer is abandoned and nothing more is reported for it.
// The request may be read during its callbacks; the manager deletes it after the last one.
//
// The manager must be destroyed on its dispatcher's thread (or once that no longer runs
// tasks); events still queued for it are then dropped.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "net/FCHttpRequest.h"
#include "net/IEventDispatcher.h"
#include "net/RequestOptions.h"

class FCHttpRequestManager {
  public:
    // How long destruction lets outstanding requests finish before it aborts them.
    static constexpr std::uint32_t shutdownWaitMs = 3000;

    // `dispatcher` must outlive the manager. The default runs callbacks on the worker thread,
    // where a slow callback holds up every transfer.
    explicit FCHttpRequestManager(IEventDispatcher& dispatcher = ImmediateDispatcher());
    virtual ~FCHttpRequestManager();
    FCHttpRequestManager(const FCHttpRequestManager&) = delete;
    FCHttpRequestManager& operator=(const FCHttpRequestManager&) = delete;

    // Queues a request and returns its task id at once (100, 101, ... in call order). Safe
    // from any thread. After Shutdown has begun the id is still given, but nothing is sent.
    int AddRequest(const RequestOptions& options);

    // Waits until every request so far has had its last callback and been freed; false after
    // `timeout`. Never call it on the dispatcher's thread: the callbacks could not come.
    bool WaitUntilIdle(std::chrono::milliseconds timeout);

    // Gives outstanding requests up to shutdownWaitMs to finish, aborts the rest and joins
    // the worker. No callback starts once it has begun. Idempotent; the destructor calls it.
    // Like destruction, it belongs on the dispatcher's thread (or at process end).
    // A derived class whose callbacks run on the worker calls it first in its destructor, so
    // that no callback can run while the derived part is being torn down.
    void Shutdown();

    // For a process-wide manager that is never destroyed: Shutdown when the process ends,
    // exit() included, so that reports issued just before still get their time to leave.
    void ShutdownAtExit();

  protected:
    virtual void OnResponseHeaders(FCHttpRequest& request);
    virtual void OnResponseComplete(FCHttpRequest& request);
    virtual void OnRequestTimeout(FCHttpRequest& request);

  private:
    enum class Step { Headers, Complete, Timeout };
    struct MultiCleanup {
        void operator()(void* multi) const;
    };

    void WorkerMain();
    void PostStep(FCHttpRequest& request, Step step);
    void Deliver(int taskId, Step step);
    void Retire(int taskId);
    void CollectFinished();

    IEventDispatcher& m_dispatcher;
    std::unique_ptr<void, MultiCleanup> m_multi;  // CURLM, driven by the worker only

    mutable std::mutex m_mutex;  // guards everything below up to m_stopDeadline
    std::condition_variable m_idle;
    std::deque<std::unique_ptr<FCHttpRequest>> running;   // not yet retired, in added order
    std::deque<std::unique_ptr<FCHttpRequest>> finished;  // retired, awaiting the collector
    std::vector<FCHttpRequest*> m_incoming;               // added, not yet seen by the worker
    int nextTaskId = 100;
    bool m_stopping = false;
    std::chrono::steady_clock::time_point m_stopDeadline;

    std::mutex m_shutdownMutex;  // one Shutdown at a time
    std::shared_ptr<const bool> m_alive = std::make_shared<const bool>(true);
    std::thread m_worker;  // last: started once everything above exists
};
