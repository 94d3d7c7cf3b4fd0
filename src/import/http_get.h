#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

namespace tavrino {

struct HttpOptions {
    std::chrono::milliseconds timeout{10000}; // the whole request, connecting included
    std::size_t maxBytes = 4u << 20;          // a transponder list is a few kB
};

struct HttpReply {
    bool ok = false; // status 200 and the whole body arrived
    bool cancelled = false;
    std::string body;
    std::string problem; // one line when not ok
};

// One GET of an http:// or https:// address with "Pragma: no-cache" and
// "Cache-control: no-cache", following redirects; only a final status 200 counts.
// `cancelled` is asked while the request waits and stops it.
HttpReply httpGet(const std::string& url, const HttpOptions& options,
                  const std::function<bool()>& cancelled);

} // namespace tavrino
