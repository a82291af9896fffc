#pragma once
// The update and installation component: the update driver with the state it owns (the
// configuration, the installed version, the download's resume state), the resumable download,
// the extraction and the registration of the installation.
//
// The driver runs on a thread of its own (see UpdateDriverThread) and reports to the window only
// through IUpdateView, and to the server through IWebReporter. RequestStop() ends a running
// transfer or extraction early; after it returns, nothing more is reported.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>

#include "update/ClientVersion.h"
#include "update/IUpdateView.h"
#include "update/RemoteConfig.h"
#include "update/ResumeRecord.h"
#include "update/UpdateContext.h"

class CGameRemoteConfig {
  public:
    explicit CGameRemoteConfig(UpdateContext context);
    CGameRemoteConfig(const CGameRemoteConfig&) = delete;
    CGameRemoteConfig& operator=(const CGameRemoteConfig&) = delete;
    ~CGameRemoteConfig();

    // The update driver: one pass from the configuration fetch to "ready" or a failure code.
    void InitRemoteConfig(IUpdateView* view);

    // Download (resuming where the package on disk ends), extraction and installation; non-zero
    // when the client is installed.
    int OnDownLoad(IUpdateView* view);
    // Extracts the package into the client directory and finishes the installation.
    int UnzipFile(const std::filesystem::path& package, IUpdateView* view);
    // The extraction loop alone; 1 when every entry was extracted.
    int OnUnzipFile(const std::filesystem::path& package, IUpdateView* view);

    void LoadResumeRecord();
    // Called by the window when the launcher stops, on the window's thread, also while a
    // transfer runs.
    void SaveResumeRecord();
    std::string ReadResumeValue(std::string_view key) const;

    // The uninstall entry's five values; failures are logged only.
    void SetRegisties();
    void RemoveRegisties();
    // The four desktop entries pointing at the launcher copy.
    void CreateShortcuts();
    void CreateShortcut(std::string_view name, const std::filesystem::path& folder,
                        const std::filesystem::path& target, std::string_view arguments);
    bool CreateLink(const std::filesystem::path& target, const std::filesystem::path& linkPath,
                    std::string_view arguments);

    // Transfer callbacks; `userdata` is the running transfer.
    static size_t OnDownloadWrite(char* data, size_t size, size_t count, void* userdata);
    static int OnDownloadProgress(void* userdata, std::int64_t dltotal, std::int64_t dlnow,
                                  std::int64_t ultotal, std::int64_t ulnow);

    // Stops a running transfer (through its callbacks) and the extraction between entries, and
    // drops every later view call and web report. Safe from any thread.
    void RequestStop();
    bool StopRequested() const { return m_stopRequested.load(std::memory_order_acquire); }

    // Written by the driver before it calls InitWebBrower, unchanged afterwards.
    const RemoteConfigMap& Config() const { return m_config; }
    const InstalledClientState& Installed() const { return m_installed; }
    ResumeState GetResumeState() const { return m_resume.State(); }
    const UpdateContext& Context() const { return m_context; }

    std::filesystem::path PackagePath() const;
    std::filesystem::path LauncherCopyPath() const;

    // One attempt of the package transfer, as the callbacks see it.
    struct Transfer;

  private:
    static size_t OnDownloadHeader(char* data, size_t size, size_t count, void* userdata);

    // Every call into the window and to the server passes here, so that a stop request cuts
    // them off at once.
    void Show(IUpdateView* view, const std::string& status, const std::string& percentText,
              int position, bool downloading, bool progressView);
    void ShowReady(IUpdateView* view);
    void InitWebBrowerOn(IUpdateView* view);
    void ReportEvent(int code);
    void ReportMessage(std::string_view message);

    bool FetchConfiguration(const std::string& address, IUpdateView* view);
    void RegisterWithoutDownload(IUpdateView* view);
    // Copies the running launcher to LauncherCopyPath(); `code` gets the system error code.
    bool CopyLauncher(long& code) const;
    // The shortcuts' icon: the given PNG written beside the launcher copy (once), or a theme
    // icon name.
    std::string ShortcutIcon();
    // Writes the current entry of the open archive `zip` to `target`; a file that fails is
    // removed again.
    bool ExtractEntry(void* zip, const std::string& name, const std::filesystem::path& target,
                      unsigned mode);

    UpdateContext m_context;
    RemoteConfigMap m_config;
    InstalledClientState m_installed;
    ResumeRecord m_resume;

    std::atomic<bool> m_stopRequested{false};
    std::recursive_mutex m_reportMutex;  // held while a report is made; RequestStop waits for it
    bool m_reportsStopped = false;
    std::string m_shortcutIcon;
};

// The texts of the status line.
inline constexpr std::string_view kUpdateFinishedText = "更新已完成";
inline constexpr std::string_view kUnzipFailedText = "解压失败";
// "更新失败,请检查网络,ErrorCode:<code>", codes 101 to 104.
std::string UpdateFailedText(int code);
