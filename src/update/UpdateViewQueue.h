#pragma once
// The hand-over of update-view calls from the driver's thread to the UI thread.
//
// The driver never waits for drawing: its calls are queued, and the UI thread replays them in
// order with Drain(). Consecutive progress reports (an UpdateProgress without status text and
// the progress view that follows it) collapse into the latest one, so a fast transfer queues at
// most one of them between two drains, and a report equal to the one before it (the transfer
// reports far more often than its percentage changes) is dropped, even when that one has been
// replayed already. Every other call is kept. Once the window is gone, Detach() makes later
// calls disappear.

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "update/IUpdateView.h"

class UpdateViewQueue {
  public:
    // Queues one call. Returns true when it is the first call since the last drain, i.e. when
    // the UI thread has to be woken up.
    bool PushUpdateProgress(const std::string& status, const std::string& percentText, int position,
                            bool downloading);
    bool PushShowProgressView();
    bool PushShowStatusView();
    bool PushInitWebBrower();
    bool PushSetReady();

    // Replays everything queued so far on `view`, in order. Call on the UI thread.
    void Drain(IUpdateView& view);
    // Drops what is queued and everything pushed later.
    void Detach();

    bool Detached() const;
    size_t Pending() const;

  private:
    enum class Kind { UpdateProgress, ShowProgressView, ShowStatusView, InitWebBrower, SetReady };
    struct Call {
        Kind kind;
        std::string status;
        std::string percentText;
        int position = 0;
        bool downloading = false;
    };

    static bool IsProgressReport(const Call& call) {
        return call.kind == Kind::UpdateProgress && call.status.empty();
    }
    bool Push(Call call);

    mutable std::mutex m_mutex;
    std::vector<Call> m_calls;
    // The last progress report pushed, while nothing but its progress view has followed it.
    bool m_progressIsLast = false;
    Call m_lastProgress{};
    bool m_dropNextProgressView = false;
    bool m_wakePending = false;
    bool m_detached = false;
};

// The view the driver is given: forwards every call into the queue and calls `wake` once per
// batch (when the queue was empty), so the UI thread drains once for many calls.
class QueuedUpdateView : public IUpdateView {
  public:
    QueuedUpdateView(UpdateViewQueue& queue, std::function<void()> wake);

    void UpdateProgress(const std::string& status, const std::string& percentText, int position,
                        bool downloading) override;
    void ShowProgressView() override;
    void ShowStatusView() override;
    void InitWebBrower() override;
    void SetReady() override;

  private:
    void Wake(bool first);

    UpdateViewQueue& m_queue;
    std::function<void()> m_wake;
};
