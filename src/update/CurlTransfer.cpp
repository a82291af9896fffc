#include "update/CurlTransfer.h"

#include <mutex>

CurlHandle NewCurlHandle() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

void ApplyTransferLimits(CURL* handle, std::chrono::milliseconds connect,
                         std::chrono::milliseconds stall) {
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect.count()));
    // The low-speed check counts whole seconds: a stall of any shorter bound waits one second.
    const long seconds = static_cast<long>((stall.count() + 999) / 1000);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, seconds < 1 ? 1L : seconds);
    // A redirect loop would otherwise hold the update for ever.
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 20L);
}
