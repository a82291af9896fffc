#include "net/FCHttpRequest.h"

#include <curl/curl.h>

#include <memory>

namespace {

struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::string UrlPart(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK || text == nullptr) {
        return {};
    }
    std::string out(text);
    curl_free(text);
    return out;
}

}  // namespace

FCHttpRequest::FCHttpRequest(const RequestOptions& requestOptions) : options(requestOptions) {
    const std::unique_ptr<CURLU, UrlDeleter> url(curl_url());
    if (!url || curl_url_set(url.get(), CURLUPART_URL, options.url.c_str(), 0) != CURLUE_OK) {
        return;
    }
    scheme = UrlPart(url.get(), CURLUPART_SCHEME);
    hostName = UrlPart(url.get(), CURLUPART_HOST);
    objectPath = UrlPart(url.get(), CURLUPART_PATH);
    const std::string query = UrlPart(url.get(), CURLUPART_QUERY);
    if (!query.empty()) {
        objectPath += '?' + query;
    }
}
