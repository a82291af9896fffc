#pragma once
// The worker's side of one request: its libcurl easy handle, set up from the request's
// options, and the parsing of what comes back into the request's response fields. Used only
// on the manager's worker thread.

#include <curl/curl.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

class FCHttpRequest;

namespace inner {

class CurlTransfer {
  public:
    // Handle() is null when libcurl could not give a handle; the request then just fails.
    CurlTransfer(FCHttpRequest& request,
                 std::optional<std::chrono::steady_clock::time_point> deadline);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    CURL* Handle() const { return m_easy.get(); }
    FCHttpRequest& Request() const { return m_request; }
    const std::optional<std::chrono::steady_clock::time_point>& Deadline() const {
        return m_deadline;
    }

    // True once, when the final response's headers have been stored in the request.
    bool TakeHeadersReady();
    // The transfer has ended with `result`: stores readSucceeded, and the headers if no final
    // response got that far (status 0 and empty texts for a request that never connected).
    void Finish(CURLcode result);

  private:
    struct EasyDeleter {
        void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
    };
    struct ListDeleter {
        void operator()(curl_slist* list) const { curl_slist_free_all(list); }
    };

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    void HeaderLine(std::string_view line);
    void PublishHeaders();
    bool AppendHeader(const std::string& line);

    FCHttpRequest& m_request;
    std::optional<std::chrono::steady_clock::time_point> m_deadline;
    std::unique_ptr<CURL, EasyDeleter> m_easy;
    std::unique_ptr<curl_slist, ListDeleter> m_headers;
    std::string m_proxy;

    // The response being received; a followed redirect starts a new one.
    int m_status = 0;
    std::string m_contentLength;
    std::string m_lastModified;
    std::string m_server;
    bool m_sawLocation = false;
    bool m_blockComplete = false;  // its header block has ended
    bool m_published = false;
    bool m_headersTaken = false;
};

}  // namespace inner
