#include "net/CurlTransfer.h"

#include "net/FCHttpRequest.h"
#include "platform/StringUtil.h"

namespace inner {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' ||
                             text.back() == '\n')) {
        text.remove_suffix(1);
    }
    return text;
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           platform::EqualsIgnoreAsciiCase(text.substr(0, prefix.size()), prefix);
}

// Whether one of the caller's header lines names `name` (given with its colon).
bool HasHeader(std::string_view lines, std::string_view name) {
    size_t pos = 0;
    while (pos < lines.size()) {
        size_t end = lines.find_first_of("\r\n", pos);
        if (end == std::string_view::npos) {
            end = lines.size();
        }
        if (StartsWithIgnoreCase(lines.substr(pos, end - pos), name)) {
            return true;
        }
        pos = end + 1;
    }
    return false;
}

}  // namespace

CurlTransfer::CurlTransfer(FCHttpRequest& request,
                           std::optional<std::chrono::steady_clock::time_point> deadline)
    : m_request(request), m_deadline(deadline), m_easy(curl_easy_init()) {
    CURL* const h = m_easy.get();
    if (h == nullptr) {
        return;
    }
    const RequestOptions& options = m_request.options;
    curl_easy_setopt(h, CURLOPT_URL, options.url.c_str());
    curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(h, CURLOPT_MAXREDIRS, 10L);
    curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
    // An aborted request must never hold the worker up waiting for a stuck name lookup.
    curl_easy_setopt(h, CURLOPT_QUICK_EXIT, 1L);
    // The answer of a proxy's CONNECT is not the response the owner asked for.
    curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &CurlTransfer::OnHeader);
    curl_easy_setopt(h, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &CurlTransfer::OnBody);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, VerbText(options.verb));
    if (!options.postBody.empty()) {
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE,
                         static_cast<curl_off_t>(options.postBody.size()));
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, options.postBody.data());
    }
    if (!options.userAgent.empty()) {
        curl_easy_setopt(h, CURLOPT_USERAGENT, options.userAgent.c_str());
    }

    // The caller's lines in their order, then the range: nothing is reordered or merged.
    size_t pos = 0;
    const std::string& extra = options.extraHeaders;
    while (pos < extra.size()) {
        size_t end = extra.find_first_of("\r\n", pos);
        if (end == std::string::npos) {
            end = extra.size();
        }
        if (end > pos) {
            AppendHeader(extra.substr(pos, end - pos));
        }
        pos = end + 1;
    }
    if (options.rangeStart != 0) {
        AppendHeader(platform::Format("Range: bytes=%d-", options.rangeStart));
    }
    // A body goes out as given: no form content type or Expect handshake of libcurl's own.
    if (!options.postBody.empty()) {
        if (!HasHeader(extra, "Content-Type:")) {
            AppendHeader("Content-Type:");
        }
        if (!HasHeader(extra, "Expect:")) {
            AppendHeader("Expect:");
        }
    }
    curl_easy_setopt(h, CURLOPT_HTTPHEADER, m_headers.get());

    if (!options.proxyHost.empty()) {
        m_proxy = platform::Format("%s:%d", options.proxyHost.c_str(), options.proxyPort);
        curl_easy_setopt(h, CURLOPT_PROXY, m_proxy.c_str());
        // A proxy given by the caller is used for every host, whatever no_proxy says.
        curl_easy_setopt(h, CURLOPT_NOPROXY, "");
        if (!options.proxyUser.empty()) {
            curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, options.proxyUser.c_str());
        }
        if (!options.proxyPassword.empty()) {
            curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, options.proxyPassword.c_str());
        }
    }
}

CurlTransfer::~CurlTransfer() = default;

bool CurlTransfer::AppendHeader(const std::string& line) {
    curl_slist* const list = curl_slist_append(m_headers.get(), line.c_str());
    if (list == nullptr) {
        return false;
    }
    static_cast<void>(m_headers.release());  // `list` is the same list, grown
    m_headers.reset(list);
    return true;
}

size_t CurlTransfer::OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<CurlTransfer*>(self)->HeaderLine(std::string_view(data, size * count));
    return size * count;
}

size_t CurlTransfer::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* const transfer = static_cast<CurlTransfer*>(self);
    const size_t bytes = size * count;
    // Body bytes only come for the response libcurl settled on, so its headers are final.
    if (!transfer->m_published) {
        transfer->PublishHeaders();
    }
    transfer->m_request.body.Append(std::string_view(data, bytes));
    transfer->m_request.bytesReceived.fetch_add(static_cast<std::int64_t>(bytes));
    return bytes;
}

void CurlTransfer::HeaderLine(std::string_view line) {
    if (m_published) {
        return;  // trailers
    }
    line = TrimBlanks(line);
    if (line.substr(0, 5) == "HTTP/") {
        m_status = 0;
        m_contentLength.clear();
        m_lastModified.clear();
        m_server.clear();
        m_sawLocation = false;
        m_blockComplete = false;
        const size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            m_status = platform::ParseDecimal32(line.substr(space + 1));
        }
        return;
    }
    if (line.empty()) {
        if (m_status >= 100 && m_status < 200) {
            return;  // an interim answer; the real one follows
        }
        m_blockComplete = true;
        // A redirect that libcurl is about to follow is not the owner's response.
        if (!(m_status >= 300 && m_status < 400 && m_sawLocation)) {
            PublishHeaders();
        }
        return;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        return;
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = TrimBlanks(line.substr(colon + 1));
    if (platform::EqualsIgnoreAsciiCase(name, "Content-Length")) {
        m_contentLength = value;
    } else if (platform::EqualsIgnoreAsciiCase(name, "Last-Modified")) {
        m_lastModified = value;
    } else if (platform::EqualsIgnoreAsciiCase(name, "Server")) {
        m_server = value;
    } else if (platform::EqualsIgnoreAsciiCase(name, "Location")) {
        m_sawLocation = true;
    }
}

void CurlTransfer::PublishHeaders() {
    m_published = true;
    if (m_status != 0) {
        m_request.statusCode = m_status;
    }
    if (!m_contentLength.empty()) {
        m_request.contentLength = platform::ParseDecimal64(m_contentLength);
    }
    m_request.lastModified = m_lastModified;
    m_request.serverName = m_server;
}

bool CurlTransfer::TakeHeadersReady() {
    if (!m_published || m_headersTaken) {
        return false;
    }
    m_headersTaken = true;
    return true;
}

void CurlTransfer::Finish(CURLcode result) {
    m_request.readSucceeded.store(result == CURLE_OK);
    if (!m_published) {
        if (!m_blockComplete) {
            // No response got as far as a full header block: nothing of it counts.
            m_status = 0;
            m_contentLength.clear();
            m_lastModified.clear();
            m_server.clear();
        }
        PublishHeaders();
    }
}

}  // namespace inner
