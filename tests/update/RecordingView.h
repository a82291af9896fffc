#pragma once
// An update view that records every call, in order, from any thread, as text:
//   "UpdateProgress(<status>|<percent text>|<position>|<0 or 1>)", "ShowProgressView",
//   "ShowStatusView", "InitWebBrower", "SetReady".

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "update/IUpdateView.h"

namespace testsupport {

class RecordingView : public IUpdateView {
  public:
    void UpdateProgress(const std::string& status, const std::string& percentText, int position,
                        bool downloading) override;
    void ShowProgressView() override;
    void ShowStatusView() override;
    void InitWebBrower() override;
    void SetReady() override;

    std::vector<std::string> Calls() const;
    void Clear();
    // The calls without the progress reports of the download ("<n>%" with the progress view).
    std::vector<std::string> CallsWithoutDownloadProgress() const;
    // Waits until a call equal to `call` has been recorded; false after `bound`.
    bool WaitFor(const std::string& call, std::chrono::milliseconds bound) const;

    static std::string Progress(const std::string& status, const std::string& percentText,
                                int position, bool downloading);

  private:
    void Record(std::string call);

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    std::vector<std::string> m_calls;
};

}  // namespace testsupport
