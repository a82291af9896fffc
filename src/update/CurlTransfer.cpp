#include "update/CurlTransfer.h"

#include <mutex>

CurlHandle NewCurlHandle() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    return CurlHandle(curl_easy_init());
}

void ApplyTransferLimits(CURL* handle, std::chrono::milliseconds connect) {
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connect.count()));
    // A redirect loop would otherwise hold the update for ever.
    curl_easy_setopt(handle, CURLOPT_MAXREDIRS, 20L);
}

bool StallWatch::Stalled(curl_off_t received) {
    const auto now = std::chrono::steady_clock::now();
    if (received != m_lastReceived) {
        m_lastReceived = received;
        m_lastChange = now;
        return false;
    }
    return now - m_lastChange >= m_limit;
}
