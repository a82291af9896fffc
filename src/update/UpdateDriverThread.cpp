#include "update/UpdateDriverThread.h"

UpdateDriverThread::UpdateDriverThread(std::shared_ptr<CGameRemoteConfig> config, IUpdateView& view)
    : m_config(std::move(config)), m_view(view) {}

UpdateDriverThread::~UpdateDriverThread() {
    Stop();
}

void UpdateDriverThread::Start() {
    if (m_thread.joinable()) {
        return;
    }
    // The thread holds the component and the finish flag itself, so that it can outlive this
    // object when it has to be left behind.
    m_thread =
        std::thread([config = m_config, shared = m_shared, prologue = m_prologue, view = &m_view] {
            if (prologue) {
                prologue();
            }
            config->InitRemoteConfig(view);
            std::lock_guard<std::mutex> lock(shared->mutex);
            shared->finished = true;
            shared->changed.notify_all();
        });
}

bool UpdateDriverThread::WaitFinished(std::chrono::milliseconds bound) const {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, bound, [this] { return m_shared->finished; });
}

bool UpdateDriverThread::Finished() const {
    std::lock_guard<std::mutex> lock(m_shared->mutex);
    return m_shared->finished;
}

bool UpdateDriverThread::Stop(std::chrono::milliseconds bound) {
    m_config->RequestStop();
    if (!m_thread.joinable()) {
        return true;
    }
    if (WaitFinished(bound)) {
        m_thread.join();
        return true;
    }
    m_thread.detach();
    return false;
}
