#pragma once
// One request in flight, created and owned by FCHttpRequestManager. The owner reads it during
// the manager's callbacks; the manager deletes it after the last one.
//
// statusCode, contentLength, lastModified and serverName are written by the worker before
// OnResponseHeaders and never after. readSucceeded is final by OnResponseComplete; it, the body
// and bytesReceived may still change before that and are safe to read at any time.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>

#include "net/ReceiveBuffer.h"
#include "net/RequestOptions.h"

class FCHttpRequestManager;

class FCHttpRequest {
  public:
    explicit FCHttpRequest(const RequestOptions& requestOptions);
    FCHttpRequest(const FCHttpRequest&) = delete;
    FCHttpRequest& operator=(const FCHttpRequest&) = delete;

    int taskId = 0;
    const RequestOptions options;
    // Cracked from options.url; empty when it cannot be parsed (the request then fails).
    std::string scheme;
    std::string hostName;
    std::string objectPath;  // path and query

    int statusCode = 0;
    std::int64_t contentLength = 0;
    std::string lastModified;
    std::string serverName;
    std::atomic<bool> readSucceeded{false};
    inner::CReceiveBuffer body;
    std::atomic<std::int64_t> bytesReceived{0};

  private:
    friend class FCHttpRequestManager;
    std::chrono::steady_clock::time_point m_created = std::chrono::steady_clock::now();
    // Set by the worker once it holds nothing of this request any more.
    std::atomic<bool> m_released{false};
};
