// The resumable package download. The package on disk is what counts: a transfer resumes where
// the file ends, and only when the record says the file belongs to the same address and version.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <type_traits>
#include <vector>

#include "app/BuildConstants.h"
#include "app/CLocalLog.h"
#include "platform/StringUtil.h"
#include "update/CGameRemoteConfig.h"
#include "update/CurlTransfer.h"

static_assert(std::is_same_v<curl_off_t, std::int64_t>, "progress callback signature");

namespace {

constexpr const char* kDownload = "CGameRemoteConfig::OnDownLoad";

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<FILE, FileCloser>;

std::int64_t FileSize(FILE* file) {
    struct stat info {};
    if (fstat(fileno(file), &info) != 0) {
        return 0;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool Truncate(FILE* file) {
    std::fflush(file);
    return ftruncate(fileno(file), 0) == 0;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           platform::EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

// One attempt of the package transfer, seen by the callbacks.
struct CGameRemoteConfig::Transfer {
    CGameRemoteConfig* owner = nullptr;
    IUpdateView* view = nullptr;
    FILE* file = nullptr;
    CURL* curl = nullptr;
    std::int64_t startOffset = 0;
    std::int64_t expectedTotal = 0;  // from the record; 0 when unknown
    StallWatch stall{std::chrono::milliseconds(0)};

    // "Content-Range: bytes <first>-<last>/<total>" of the final response, -1 when absent.
    std::int64_t rangeFirst = -1;
    std::int64_t rangeTotal = -1;

    bool inspected = false;  // the response has been judged (at its first body bytes)
    bool accepted = false;   // its body continues the package on disk
    bool restart = false;    // a ranged request was not answered with the range asked for
};

size_t CGameRemoteConfig::OnDownloadHeader(char* data, size_t size, size_t count, void* userdata) {
    auto* transfer = static_cast<Transfer*>(userdata);
    const size_t total = size * count;
    const std::string_view line(data, total);
    if (StartsWithNoCase(line, "HTTP/")) {
        // A new response (after a redirect): forget what the previous one said.
        transfer->rangeFirst = -1;
        transfer->rangeTotal = -1;
    } else if (StartsWithNoCase(line, "Content-Range:")) {
        std::string_view value = line.substr(14);
        const size_t bytes = value.find("bytes");
        if (bytes != std::string_view::npos) {
            value.remove_prefix(bytes + 5);
            transfer->rangeFirst = platform::ParseDecimal64(value);
            const size_t slash = value.find('/');
            if (slash != std::string_view::npos && value.substr(slash + 1, 1) != "*") {
                transfer->rangeTotal = platform::ParseDecimal64(value.substr(slash + 1));
            }
        }
    }
    return total;
}

size_t CGameRemoteConfig::OnDownloadWrite(char* data, size_t size, size_t count, void* userdata) {
    auto* transfer = static_cast<Transfer*>(userdata);
    if (transfer == nullptr || transfer->file == nullptr || transfer->owner->StopRequested()) {
        return 0;
    }
    if (!transfer->inspected) {
        transfer->inspected = true;
        long status = 0;
        curl_easy_getinfo(transfer->curl, CURLINFO_RESPONSE_CODE, &status);
        if (transfer->startOffset > 0) {
            const bool rightRange = status == 206 &&
                                    transfer->rangeFirst == transfer->startOffset &&
                                    (transfer->expectedTotal <= 0 || transfer->rangeTotal < 0 ||
                                     transfer->rangeTotal == transfer->expectedTotal);
            if (rightRange) {
                transfer->accepted = true;
            } else if (status == 200 || status == 206 || status == 416) {
                // The whole file again, another range, or none: appending would corrupt the
                // package. Abort; the caller starts once more from the beginning.
                transfer->restart = true;
                return 0;
            }
        } else {
            transfer->accepted = status == 200 || (status == 206 && transfer->rangeFirst <= 0);
        }
    }
    if (!transfer->accepted) {
        // An error page is not part of the package: read and dropped.
        return size * count;
    }
    return std::fwrite(data, size, count, transfer->file);
}

int CGameRemoteConfig::OnDownloadProgress(void* userdata, std::int64_t dltotal, std::int64_t dlnow,
                                          std::int64_t /*ultotal*/, std::int64_t /*ulnow*/) {
    auto* transfer = static_cast<Transfer*>(userdata);
    CGameRemoteConfig& self = *transfer->owner;
    if (self.StopRequested()) {
        return 1;
    }
    if (transfer->stall.Stalled(dlnow)) {
        LOG_INFO(kDownload, "transfer stalled");
        return 1;
    }
    if (transfer->restart || (transfer->inspected && !transfer->accepted)) {
        return 0;
    }
    const ResumeState state = self.m_resume.Advance(dlnow, dltotal);
    int percent = 0;
    if (dltotal != 0 && state.totalSize > 0) {
        std::int64_t wide = state.currentOffset * 100 / state.totalSize;
        if (wide > 100) {
            wide = 100;
        }
        percent = static_cast<int>(wide);
    }
    self.Show(transfer->view, "", platform::Format("%d%%", percent), percent, true, true);
    return 0;
}

int CGameRemoteConfig::OnDownLoad(IUpdateView* view) {
    LOG_INFO(kDownload, "OnDownLoad begin");
    if (view == nullptr) {
        LOG_ERROR(kDownload, "lpParameter is NULL!");
        return 0;
    }
    const std::filesystem::path package = PackagePath();
    LOG_INFO(kDownload, package.string());
    // Declared first so that it outlives the stream; the transfer hands over 16 KiB at a time.
    std::vector<char> buffer(128 * 1024);
    UniqueFile file(std::fopen(package.c_str(), "abe"));
    if (!file) {
        file.reset(std::fopen(package.c_str(), "wbe"));
    }
    if (!file) {
        LOG_ERROR(kDownload, "install_dir is NULL!");
        return 0;
    }
    std::setvbuf(file.get(), buffer.data(), _IOFBF, buffer.size());
    CurlHandle curl = NewCurlHandle();
    if (!curl) {
        LOG_ERROR(kDownload, "curl is NULL!");
        return 0;
    }
    const char* urlKey = m_context.system64Bit ? "ClientDownloadUrl" : "Client32DownloadUrl";
    std::string urlTemplate;
    if (!m_config.FindConfigValue(urlKey, &urlTemplate)) {
        LOG_ERROR(kDownload, "ClientDownloadUrl is NotFound!");
        return 0;
    }
    std::string version;
    if (!m_config.FindConfigValue("ClientVersion", &version)) {
        LOG_ERROR(kDownload, "ClientVersion is NotFound!");
        return 0;
    }
    const std::string address = platform::ReplaceAll(
        platform::ReplaceAll(urlTemplate, "{ditch_name}", g_strDitchName), "{version}", version);
    LOG_INFO(kDownload, address);
    ReportEvent(2);
    ReportMessage("game download start, download url:" + address);

    // Where to resume: at the end of the file on disk, if the record says it holds this package.
    const ResumeSource source{address, version};
    const ResumeState recorded = m_resume.State();
    const std::int64_t held = FileSize(file.get());
    std::int64_t start = 0;
    std::int64_t total = 0;
    if (m_resume.RecordedSource() == source) {
        total = recorded.totalSize;
        start = held;
        if (held != recorded.currentOffset) {
            LOG_INFO(kDownload, platform::Format("package holds %lld bytes, record %lld",
                                                 static_cast<long long>(held),
                                                 static_cast<long long>(recorded.currentOffset)));
        }
        if (total > 0 && start > total) {
            start = 0;
        }
    } else if (held > 0 || recorded.currentOffset > 0) {
        LOG_INFO(kDownload, "download record of another package: starting afresh");
    }
    if (start == 0) {
        total = 0;
        if (held > 0 && !Truncate(file.get())) {
            LOG_ERROR(kDownload, "install_dir is NULL!");
            return 0;
        }
    }
    m_resume.Begin(start, total, source);
    if (start > 0) {
        if (start == total) {
            file.reset();
            return UnzipFile(package, view);
        }
        LOG_INFO(kDownload,
                 platform::Format("断点续传开始: %lld/%lld", static_cast<long long>(start),
                                  static_cast<long long>(total)));
    }

    CURLcode result = CURLE_OK;
    long status = 0;
    bool restarted = false;
    while (true) {
        Transfer transfer;
        transfer.owner = this;
        transfer.view = view;
        transfer.file = file.get();
        transfer.curl = curl.get();
        transfer.startOffset = start;
        transfer.expectedTotal = total;
        transfer.stall = StallWatch(m_context.stallTimeout);
        CURL* handle = curl.get();
        curl_easy_setopt(handle, CURLOPT_URL, address.c_str());
        curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &OnDownloadWrite);
        curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &OnDownloadProgress);
        curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);
        curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(handle, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(start));
        curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &OnDownloadHeader);
        curl_easy_setopt(handle, CURLOPT_HEADERDATA, &transfer);
        ApplyTransferLimits(handle, m_context.connectTimeout);

        result = curl_easy_perform(handle);
        status = 0;
        curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
        std::fflush(file.get());
        if (StopRequested()) {
            LOG_INFO(kDownload, "download stopped");
            return 0;
        }
        const bool wrongAnswer =
            transfer.restart || (start > 0 && (status == 200 || status == 416));
        if (!wrongAnswer) {
            break;
        }
        if (restarted) {
            // Once is enough: a server that keeps answering so would make this loop for ever.
            result = result == CURLE_OK ? CURLE_RANGE_ERROR : result;
            break;
        }
        restarted = true;
        LOG_INFO(kDownload,
                 platform::Format("range from %lld answered with %ld: downloading afresh",
                                  static_cast<long long>(start), status));
        if (!Truncate(file.get())) {
            LOG_ERROR(kDownload, "install_dir is NULL!");
            return 0;
        }
        start = 0;
        total = 0;
        m_resume.Begin(0, 0, source);
    }

    if (result == CURLE_OK && (status == 200 || status == 206)) {
        curl.reset();
        if (std::fclose(file.release()) != 0) {
            result = CURLE_WRITE_ERROR;
        }
    }
    if (result == CURLE_OK && (status == 200 || status == 206)) {
        ReportEvent(3);
        ReportMessage("game download success");
        LOG_INFO(kDownload, "download is finish");
        return UnzipFile(package, view);
    }
    Show(view, UpdateFailedText(104), "", 0, false, false);
    LOG_INFO(kDownload,
             platform::Format("res:%d, httpStatusCode:%ld", static_cast<int>(result), status));
    LOG_INFO(kDownload, "download is error!");
    ReportMessage("game download failed");
    return 0;
}
