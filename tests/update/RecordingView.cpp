#include "RecordingView.h"

namespace testsupport {

std::string RecordingView::Progress(const std::string& status, const std::string& percentText,
                                    int position, bool downloading) {
    return "UpdateProgress(" + status + "|" + percentText + "|" + std::to_string(position) + "|" +
           (downloading ? "1" : "0") + ")";
}

void RecordingView::Record(std::string call) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    m_changed.notify_all();
}

void RecordingView::UpdateProgress(const std::string& status, const std::string& percentText,
                                   int position, bool downloading) {
    Record(Progress(status, percentText, position, downloading));
}

void RecordingView::ShowProgressView() {
    Record("ShowProgressView");
}

void RecordingView::ShowStatusView() {
    Record("ShowStatusView");
}

void RecordingView::InitWebBrower() {
    Record("InitWebBrower");
}

void RecordingView::SetReady() {
    Record("SetReady");
}

std::vector<std::string> RecordingView::Calls() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_calls;
}

void RecordingView::Clear() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.clear();
}

std::vector<std::string> RecordingView::CallsWithoutDownloadProgress() const {
    std::vector<std::string> out;
    const std::vector<std::string> calls = Calls();
    for (size_t i = 0; i < calls.size(); ++i) {
        if (calls[i].rfind("UpdateProgress(|", 0) == 0 && calls[i].ends_with("|1)") &&
            i + 1 < calls.size() && calls[i + 1] == "ShowProgressView") {
            ++i;
            continue;
        }
        out.push_back(calls[i]);
    }
    return out;
}

bool RecordingView::WaitFor(const std::string& call, std::chrono::milliseconds bound) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, bound, [&] {
        for (const auto& c : m_calls) {
            if (c == call) {
                return true;
            }
        }
        return false;
    });
}

}  // namespace testsupport
