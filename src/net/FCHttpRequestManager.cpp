#include "net/FCHttpRequestManager.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <system_error>

#include "net/CurlTransfer.h"
#include "platform/NoDestructor.h"

namespace {

using Clock = std::chrono::steady_clock;

// Managers to shut down at process end; kept alive past exit() themselves.
struct ExitList {
    std::mutex mutex;
    std::vector<FCHttpRequestManager*> managers;
    bool handlerInstalled = false;
};

ExitList& TheExitList() {
    static platform::NoDestructor<ExitList> list;
    return *list;
}

void ShutdownAllAtExit() {
    std::vector<FCHttpRequestManager*> managers;
    {
        ExitList& list = TheExitList();
        std::lock_guard<std::mutex> lock(list.mutex);
        managers.swap(list.managers);
    }
    for (FCHttpRequestManager* manager : managers) {
        manager->Shutdown();
    }
}

void Unregister(FCHttpRequestManager* manager) {
    ExitList& list = TheExitList();
    std::lock_guard<std::mutex> lock(list.mutex);
    list.managers.erase(std::remove(list.managers.begin(), list.managers.end(), manager),
                        list.managers.end());
}

}  // namespace

void FCHttpRequestManager::MultiCleanup::operator()(void* multi) const {
    curl_multi_cleanup(static_cast<CURLM*>(multi));
}

FCHttpRequestManager::FCHttpRequestManager(IEventDispatcher& dispatcher)
    : m_dispatcher(dispatcher) {
    static std::once_flag curlReady;
    std::call_once(curlReady, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    m_multi.reset(curl_multi_init());
    if (m_multi) {
        try {
            m_worker = std::thread([this] { WorkerMain(); });
        } catch (const std::system_error&) {
            m_multi.reset();
        }
    }
    if (!m_multi) {
        m_stopping = true;  // no transfers possible: requests are refused from the start
    }
}

FCHttpRequestManager::~FCHttpRequestManager() {
    Unregister(this);
    Shutdown();
}

void FCHttpRequestManager::OnResponseHeaders(FCHttpRequest& /*request*/) {}
void FCHttpRequestManager::OnResponseComplete(FCHttpRequest& /*request*/) {}
void FCHttpRequestManager::OnRequestTimeout(FCHttpRequest& /*request*/) {}

int FCHttpRequestManager::AddRequest(const RequestOptions& options) {
    auto request = std::make_unique<FCHttpRequest>(options);
    int taskId = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        taskId = nextTaskId++;
        if (m_stopping) {
            return taskId;
        }
        request->taskId = taskId;
        m_incoming.push_back(request.get());
        running.push_back(std::move(request));
    }
    curl_multi_wakeup(static_cast<CURLM*>(m_multi.get()));
    return taskId;
}

bool FCHttpRequestManager::WaitUntilIdle(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_idle.wait_for(lock, timeout, [this] { return running.empty() && finished.empty(); });
}

void FCHttpRequestManager::Shutdown() {
    std::lock_guard<std::mutex> once(m_shutdownMutex);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_stopping) {
            m_stopping = true;
            m_stopDeadline = Clock::now() + std::chrono::milliseconds(shutdownWaitMs);
        }
    }
    if (m_multi) {
        curl_multi_wakeup(static_cast<CURLM*>(m_multi.get()));
    }
    if (m_worker.joinable()) {
        if (m_worker.get_id() == std::this_thread::get_id()) {
            // exit() from inside one of our callbacks: the worker cannot wait for itself.
            m_worker.detach();
            return;
        }
        m_worker.join();
    }
    m_alive.reset();
    std::deque<std::unique_ptr<FCHttpRequest>> doomedRunning;
    std::deque<std::unique_ptr<FCHttpRequest>> doomedFinished;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        doomedRunning.swap(running);
        doomedFinished.swap(finished);
        m_incoming.clear();
    }
    m_idle.notify_all();
}

void FCHttpRequestManager::ShutdownAtExit() {
    ExitList& list = TheExitList();
    std::lock_guard<std::mutex> lock(list.mutex);
    if (!list.handlerInstalled) {
        // Registered after libcurl's and OpenSSL's own set-up, so it runs before their
        // clean-up at exit.
        list.handlerInstalled = std::atexit(ShutdownAllAtExit) == 0;
    }
    if (std::find(list.managers.begin(), list.managers.end(), this) == list.managers.end()) {
        list.managers.push_back(this);
    }
}

void FCHttpRequestManager::PostStep(FCHttpRequest& request, Step step) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_stopping) {
            return;
        }
    }
    m_dispatcher.Post(
        [this, alive = std::weak_ptr<const bool>(m_alive), taskId = request.taskId, step] {
            if (!alive.expired()) {
                Deliver(taskId, step);
            }
        });
}

void FCHttpRequestManager::Deliver(int taskId, Step step) {
    FCHttpRequest* request = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& r : running) {
            if (r->taskId == taskId) {
                request = r.get();
                break;
            }
        }
    }
    if (request == nullptr) {
        return;  // already retired: a late event for it means nothing
    }
    // Only this thread retires or deletes requests, so `request` stays valid without the lock.
    switch (step) {
        case Step::Headers:
            OnResponseHeaders(*request);
            return;
        case Step::Complete:
            OnResponseComplete(*request);
            break;
        case Step::Timeout:
            OnRequestTimeout(*request);
            break;
    }
    Retire(taskId);
}

void FCHttpRequestManager::Retire(int taskId) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = std::find_if(running.begin(), running.end(),
                                     [taskId](const auto& r) { return r->taskId == taskId; });
        if (it != running.end()) {
            finished.push_back(std::move(*it));
            running.erase(it);
        }
    }
    CollectFinished();
}

void FCHttpRequestManager::CollectFinished() {
    std::vector<std::unique_ptr<FCHttpRequest>> doomed;
    bool idle = false;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = finished.begin(); it != finished.end();) {
            if ((*it)->m_released.load()) {
                doomed.push_back(std::move(*it));
                it = finished.erase(it);
            } else {
                ++it;
            }
        }
        idle = running.empty() && finished.empty();
    }
    doomed.clear();
    if (idle) {
        m_idle.notify_all();
    }
}

void FCHttpRequestManager::WorkerMain() {
    CURLM* const multi = static_cast<CURLM*>(m_multi.get());
    std::vector<std::unique_ptr<inner::CurlTransfer>> transfers;

    // Hands a transfer that is over to the owner: its headers if not yet told, then `last`.
    const auto end = [this](std::unique_ptr<inner::CurlTransfer> transfer, Step last) {
        FCHttpRequest& request = transfer->Request();
        const bool headers = transfer->TakeHeadersReady();
        transfer.reset();
        if (headers) {
            PostStep(request, Step::Headers);
        }
        request.m_released.store(true);
        PostStep(request, last);
    };

    for (;;) {
        std::vector<FCHttpRequest*> incoming;
        bool stopping = false;
        Clock::time_point stopDeadline;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            incoming.swap(m_incoming);
            stopping = m_stopping;
            stopDeadline = m_stopDeadline;
        }
        for (FCHttpRequest* request : incoming) {
            std::optional<Clock::time_point> deadline;
            if (request->options.timeoutMs != 0) {
                deadline =
                    request->m_created + std::chrono::milliseconds(request->options.timeoutMs);
            }
            auto transfer = std::make_unique<inner::CurlTransfer>(*request, deadline);
            if (transfer->Handle() != nullptr &&
                curl_multi_add_handle(multi, transfer->Handle()) == CURLM_OK) {
                transfers.push_back(std::move(transfer));
            } else {
                transfer->Finish(CURLE_FAILED_INIT);
                end(std::move(transfer), Step::Complete);
            }
        }

        int active = 0;
        curl_multi_perform(multi, &active);
        for (const auto& transfer : transfers) {
            if (transfer->TakeHeadersReady()) {
                PostStep(transfer->Request(), Step::Headers);
            }
        }
        int queued = 0;
        while (CURLMsg* const message = curl_multi_info_read(multi, &queued)) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            CURL* const easy = message->easy_handle;
            const CURLcode result = message->data.result;
            const auto it = std::find_if(transfers.begin(), transfers.end(),
                                         [easy](const auto& t) { return t->Handle() == easy; });
            curl_multi_remove_handle(multi, easy);
            if (it == transfers.end()) {
                continue;
            }
            auto transfer = std::move(*it);
            transfers.erase(it);
            transfer->Finish(result);
            end(std::move(transfer), Step::Complete);
        }

        const Clock::time_point now = Clock::now();
        for (auto it = transfers.begin(); it != transfers.end();) {
            const auto& deadline = (*it)->Deadline();
            if (deadline && now >= *deadline) {
                curl_multi_remove_handle(multi, (*it)->Handle());
                auto transfer = std::move(*it);
                it = transfers.erase(it);
                end(std::move(transfer), Step::Timeout);
            } else {
                ++it;
            }
        }

        if (stopping) {
            if (transfers.empty()) {
                break;
            }
            if (now >= stopDeadline) {
                for (const auto& transfer : transfers) {
                    curl_multi_remove_handle(multi, transfer->Handle());
                }
                transfers.clear();
                break;
            }
        }

        Clock::time_point wakeAt = now + std::chrono::seconds(1);
        for (const auto& transfer : transfers) {
            if (transfer->Deadline()) {
                wakeAt = std::min(wakeAt, *transfer->Deadline());
            }
        }
        if (stopping) {
            wakeAt = std::min(wakeAt, stopDeadline);
        }
        const auto waitMs = std::chrono::ceil<std::chrono::milliseconds>(wakeAt - now).count();
        curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::max<long long>(waitMs, 0)),
                        nullptr);
    }
}
