#pragma once
// The update window as the update driver sees it. Every call comes from the driver's thread;
// the window's implementation carries them out on the UI thread, in order, and may coalesce
// progress. After the window has closed the calls are dropped.

#include <string>

class IUpdateView {
  public:
    virtual ~IUpdateView() = default;

    // Status line, percent text, position (0..100) and whether a download (rather than an
    // extraction) is in progress.
    virtual void UpdateProgress(const std::string& status, const std::string& percentText,
                                int position, bool downloading) = 0;
    // The two control views: progress bar, stage and percent shown; or the status line alone.
    virtual void ShowProgressView() = 0;
    virtual void ShowStatusView() = 0;
    // The configuration is known: load the login page.
    virtual void InitWebBrower() = 0;
    // The client is installed and current.
    virtual void SetReady() = 0;
};
