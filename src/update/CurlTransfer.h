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

// The limits every transfer of the update chain gets: the connect time-out, the stall detector
// (no byte for `stall` ends the transfer), a bound on redirects, and no signals (the driver is
// not the main thread).
void ApplyTransferLimits(CURL* handle, std::chrono::milliseconds connect,
                         std::chrono::milliseconds stall);
