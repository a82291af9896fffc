#include "update/UpdateViewQueue.h"

#include <utility>

bool UpdateViewQueue::Push(Call call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_detached) {
        return false;
    }
    if (call.kind == Kind::ShowProgressView && m_dropNextProgressView) {
        m_dropNextProgressView = false;
        return false;
    }
    m_dropNextProgressView = false;
    if (IsProgressReport(call) && m_progressIsLast &&
        call.percentText == m_lastProgress.percentText &&
        call.position == m_lastProgress.position &&
        call.downloading == m_lastProgress.downloading) {
        // Shows nothing new; its view switch goes with it.
        m_dropNextProgressView = true;
        return false;
    }
    if (IsProgressReport(call)) {
        m_progressIsLast = true;
        m_lastProgress = call;
        // Replace the previous progress report (and the view switch after it) unless something
        // else came in between, or the stage changed from download to extraction: the window
        // labels the stage by the first report of each kind.
        size_t tail = m_calls.size();
        if (tail > 0 && m_calls[tail - 1].kind == Kind::ShowProgressView) {
            --tail;
        }
        if (tail > 0 && IsProgressReport(m_calls[tail - 1]) &&
            m_calls[tail - 1].downloading == call.downloading) {
            m_calls.resize(tail - 1);
        }
    } else if (call.kind != Kind::ShowProgressView) {
        m_progressIsLast = false;
    }
    m_calls.push_back(std::move(call));
    const bool first = !m_wakePending;
    m_wakePending = true;
    return first;
}

bool UpdateViewQueue::PushUpdateProgress(const std::string& status, const std::string& percentText,
                                         int position, bool downloading) {
    return Push(Call{Kind::UpdateProgress, status, percentText, position, downloading});
}

bool UpdateViewQueue::PushShowProgressView() {
    return Push(Call{Kind::ShowProgressView, {}, {}, 0, false});
}

bool UpdateViewQueue::PushShowStatusView() {
    return Push(Call{Kind::ShowStatusView, {}, {}, 0, false});
}

bool UpdateViewQueue::PushInitWebBrower() {
    return Push(Call{Kind::InitWebBrower, {}, {}, 0, false});
}

bool UpdateViewQueue::PushSetReady() {
    return Push(Call{Kind::SetReady, {}, {}, 0, false});
}

void UpdateViewQueue::Drain(IUpdateView& view) {
    std::vector<Call> calls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_detached) {
            return;
        }
        calls.swap(m_calls);
        m_wakePending = false;
    }
    // Replayed outside the lock: the view may take its time without holding up the driver.
    for (const Call& call : calls) {
        switch (call.kind) {
            case Kind::UpdateProgress:
                view.UpdateProgress(call.status, call.percentText, call.position, call.downloading);
                break;
            case Kind::ShowProgressView:
                view.ShowProgressView();
                break;
            case Kind::ShowStatusView:
                view.ShowStatusView();
                break;
            case Kind::InitWebBrower:
                view.InitWebBrower();
                break;
            case Kind::SetReady:
                view.SetReady();
                break;
        }
    }
}

void UpdateViewQueue::Detach() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_detached = true;
    m_calls.clear();
}

bool UpdateViewQueue::Detached() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_detached;
}

size_t UpdateViewQueue::Pending() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls.size();
}

QueuedUpdateView::QueuedUpdateView(UpdateViewQueue& queue, std::function<void()> wake)
    : m_queue(queue), m_wake(std::move(wake)) {}

void QueuedUpdateView::Wake(bool first) {
    if (first && m_wake) {
        m_wake();
    }
}

void QueuedUpdateView::UpdateProgress(const std::string& status, const std::string& percentText,
                                      int position, bool downloading) {
    Wake(m_queue.PushUpdateProgress(status, percentText, position, downloading));
}

void QueuedUpdateView::ShowProgressView() {
    Wake(m_queue.PushShowProgressView());
}

void QueuedUpdateView::ShowStatusView() {
    Wake(m_queue.PushShowStatusView());
}

void QueuedUpdateView::InitWebBrower() {
    Wake(m_queue.PushInitWebBrower());
}

void QueuedUpdateView::SetReady() {
    Wake(m_queue.PushSetReady());
}
