#include "import/http_get.h"

#include <curl/curl.h>
#include <memory>
#include <mutex>

namespace tavrino {
namespace {

struct Transfer {
    std::string body;
    std::size_t maxBytes = 0;
    bool tooLarge = false;
    const std::function<bool()>* cancelled = nullptr;
    bool wasCancelled = false;

    static std::size_t write(char* data, std::size_t size, std::size_t count, void* self) {
        auto* t = static_cast<Transfer*>(self);
        const std::size_t n = size * count;
        if (t->body.size() + n > t->maxBytes) {
            t->tooLarge = true;
            return 0; // stops the transfer
        }
        t->body.append(data, n);
        return n;
    }
    static int progress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
        auto* t = static_cast<Transfer*>(self);
        t->wasCancelled = t->wasCancelled || (*t->cancelled && (*t->cancelled)());
        return t->wasCancelled ? 1 : 0;
    }
};

struct CurlDeleter {
    void operator()(CURL* c) const { curl_easy_cleanup(c); }
};
struct ListDeleter {
    void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};

std::string seconds(std::chrono::milliseconds ms) {
    const auto tenths = ms.count() / 100;
    return std::to_string(tenths / 10) + (tenths % 10 ? "." + std::to_string(tenths % 10) : "") +
           " s";
}

HttpReply failed(std::string problem) {
    return {false, false, {}, std::move(problem)};
}

} // namespace

HttpReply httpGet(const std::string& url, const HttpOptions& options,
                  const std::function<bool()>& cancelled) {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
    const std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    std::unique_ptr<curl_slist, ListDeleter> headers(
        curl_slist_append(nullptr, "Pragma: no-cache"));
    if (headers && !curl_slist_append(headers.get(), "Cache-control: no-cache")) {
        headers.reset();
    }
    if (!curl || !headers) {
        return failed("libcurl could not start a request");
    }
    Transfer transfer;
    transfer.maxBytes = options.maxBytes;
    transfer.cancelled = &cancelled;
    char error[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(c, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(options.timeout.count()));
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode code = curl_easy_perform(c);
    if (transfer.wasCancelled) {
        return {false, true, {}, "cancelled"};
    }
    if (transfer.tooLarge) {
        return failed("the answer is larger than " + std::to_string(options.maxBytes >> 20) +
                      " MiB, far more than a transponder list");
    }
    if (code == CURLE_OPERATION_TIMEDOUT) {
        return failed("no answer within " + seconds(options.timeout));
    }
    if (code != CURLE_OK) {
        return failed(error[0] ? std::string(error) : curl_easy_strerror(code));
    }
    long status = 0;
    curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
    if (status != 200) {
        return failed("the server answered with status " + std::to_string(status));
    }
    return {true, false, std::move(transfer.body), {}};
}

} // namespace tavrino
