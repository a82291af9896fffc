#include "update/CGameRemoteConfig.h"

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "platform/SelfPath.h"
#include "platform/StringUtil.h"
#include "platform/SystemInfo.h"
#include "update/CurlTransfer.h"

namespace {

constexpr const char* kDriver = "CGameRemoteConfig::InitRemoteConfig";

struct FetchWatch {
    const CGameRemoteConfig* owner;
    StallWatch stall;
};

// Ends the configuration fetch on a stop request or a stall.
int WatchFetch(void* userdata, curl_off_t, curl_off_t dlnow, curl_off_t, curl_off_t) {
    auto* watch = static_cast<FetchWatch*>(userdata);
    if (watch->owner->StopRequested()) {
        return 1;
    }
    if (watch->stall.Stalled(dlnow)) {
        LOG_INFO(kDriver, "transfer stalled");
        return 1;
    }
    return 0;
}

}  // namespace

std::string UpdateFailedText(int code) {
    return platform::Format("更新失败,请检查网络,ErrorCode:%d", code);
}

UpdateContext UpdateContext::ForLauncher(std::filesystem::path installDir,
                                         std::filesystem::path clientDir, IWebReporter& reporter) {
    platform::UserLocations locations = platform::CurrentUserLocations();
    platform::UninstallKey key = platform::UninstallKey::ForUser(locations);
    return UpdateContext{
        .installDir = std::move(installDir),
        .clientDir = std::move(clientDir),
        .ownExecutable = platform::OwnExecutablePath(),
        .configUrl = std::string(g_strConfigUrl),
        .locations = std::move(locations),
        .uninstallKey = std::move(key),
        .reporter = reporter,
        .system64Bit = platform::IsSystem64Bit(),
        .connectTimeout = std::chrono::milliseconds(15000),
        .stallTimeout = std::chrono::milliseconds(30000),
        .iconPng = {},
    };
}

CGameRemoteConfig::CGameRemoteConfig(UpdateContext context)
    : m_context(std::move(context)), m_resume(ResumeRecordPath(m_context.installDir)) {}

CGameRemoteConfig::~CGameRemoteConfig() = default;

std::filesystem::path CGameRemoteConfig::PackagePath() const {
    return m_context.installDir / "vorn.zip";
}

std::filesystem::path CGameRemoteConfig::LauncherCopyPath() const {
    return m_context.installDir / std::string(g_strGameName);
}

void CGameRemoteConfig::RequestStop() {
    m_stopRequested.store(true, std::memory_order_release);
    // Waits for a report in progress; none starts afterwards.
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    m_reportsStopped = true;
}

void CGameRemoteConfig::Show(IUpdateView* view, const std::string& status,
                             const std::string& percentText, int position, bool downloading,
                             bool progressView) {
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    if (m_reportsStopped || view == nullptr) {
        return;
    }
    view->UpdateProgress(status, percentText, position, downloading);
    if (progressView) {
        view->ShowProgressView();
    } else {
        view->ShowStatusView();
    }
}

void CGameRemoteConfig::ShowReady(IUpdateView* view) {
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    if (m_reportsStopped || view == nullptr) {
        return;
    }
    view->UpdateProgress(std::string(kUpdateFinishedText), "", 0, false);
    view->ShowStatusView();
    view->SetReady();
}

void CGameRemoteConfig::InitWebBrowerOn(IUpdateView* view) {
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    if (!m_reportsStopped && view != nullptr) {
        view->InitWebBrower();
    }
}

void CGameRemoteConfig::ReportEvent(int code) {
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    if (!m_reportsStopped) {
        m_context.reporter.LogEvent(code);
    }
}

void CGameRemoteConfig::ReportMessage(std::string_view message) {
    std::lock_guard<std::recursive_mutex> lock(m_reportMutex);
    if (!m_reportsStopped) {
        m_context.reporter.Log(message);
    }
}

void CGameRemoteConfig::InitRemoteConfig(IUpdateView* view) {
    if (view == nullptr) {
        LOG_ERROR(kDriver, "lpParameter is NULL!");
        return;
    }
    LoadResumeRecord();

    const std::string address =
        platform::ReplaceAll(m_context.configUrl, "{ditch_name}", g_strDitchName);
    LOG_INFO(kDriver, address);
    if (!FetchConfiguration(address, view)) {
        return;
    }

    InitWebBrowerOn(view);
    ReadLocalClientVersion(m_context.clientDir, m_installed);

    bool download = true;
    std::string minimumText;
    if (m_config.FindConfigValue("ClientMiniUpdateVersion", &minimumText)) {
        LocalClientVersion minimum;
        CStringToLocalClientVersion(minimum, minimumText);
        download = IsOlderVersion(m_installed.installedVersion, minimum);
    }
    if (StopRequested()) {
        return;
    }
    if (!download) {
        RegisterWithoutDownload(view);
        return;
    }
    if (OnDownLoad(view) != 0) {
        return;
    }
    if (StopRequested()) {
        LOG_INFO(kDriver, "update stopped");
        return;
    }
    Show(view, UpdateFailedText(103), "", 0, false, false);
    LOG_ERROR(kDriver, "download error");
}

bool CGameRemoteConfig::FetchConfiguration(const std::string& address, IUpdateView* view) {
    CurlHandle curl = NewCurlHandle();
    if (!curl) {
        Show(view, UpdateFailedText(101), "", 0, false, false);
        LOG_ERROR(kDriver, "curl is NULL!");
        return false;
    }
    std::string text;
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnConfigWrite);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &text);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    FetchWatch watch{this, StallWatch(m_context.stallTimeout)};
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &WatchFetch);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &watch);
    ApplyTransferLimits(handle, m_context.connectTimeout);

    const CURLcode result = curl_easy_perform(handle);
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (StopRequested()) {
        LOG_INFO(kDriver, "update stopped");
        return false;
    }
    if (result != CURLE_OK || status != 200) {
        LOG_ERROR(kDriver,
                  platform::Format("res:%d, httpStatusCode:%ld", static_cast<int>(result), status));
        Show(view, UpdateFailedText(102), "", 0, false, false);
        return false;
    }
    ParseRemoteConfig(text, m_config);
    return true;
}

void CGameRemoteConfig::RegisterWithoutDownload(IUpdateView* view) {
    SetRegisties();
    LOG_INFO(kDriver, "work_path:" + m_context.ownExecutable.string());
    LOG_INFO(kDriver, "dest_path:" + LauncherCopyPath().string());
    long code = 0;
    if (CopyLauncher(code)) {
        CreateShortcuts();
    }
    ShowReady(view);
    LOG_INFO(kDriver, "update finish!");
}

void CGameRemoteConfig::LoadResumeRecord() {
    m_resume.Load();
}

void CGameRemoteConfig::SaveResumeRecord() {
    m_resume.Save();
}

std::string CGameRemoteConfig::ReadResumeValue(std::string_view key) const {
    return ::ReadResumeValue(m_resume.File(), key);
}
