#pragma once
// libcurl plumbing shared by the configuration fetch and the package download. Internal to the
// update layer.

#include <curl/curl.h>

#include <chrono>
#include <memory>

struct CurlHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlHandleDeleter>;

// A new easy handle, or null. libcurl's global set-up runs once per process, here, so that two
// threads creating their first handles at once cannot race on it.
CurlHandle NewCurlHandle();

// The limits every transfer of the update chain gets: the connect time-out, a bound on
// redirects, and no signals (the driver is not the main thread).
void ApplyTransferLimits(CURL* handle, std::chrono::milliseconds connect);

// The stall detector, fed from a transfer's progress callback: a transfer whose received count
// has not moved for `limit` is stalled. libcurl's own low-speed check averages over several
// seconds, so a server that stops after a burst would be noticed only much later.
class StallWatch {
  public:
    explicit StallWatch(std::chrono::milliseconds limit) : m_limit(limit) {}
    bool Stalled(curl_off_t received);

  private:
    std::chrono::milliseconds m_limit;
    std::chrono::steady_clock::time_point m_lastChange{};
    curl_off_t m_lastReceived = -1;
};
