#pragma once
// HTTPS requests to the update service on libcurl. Every request is https only (a redirect
// to another scheme is refused), verifies the certificate and the host name with the
// system's authorities, and honours the proxy variables (https_proxy, no_proxy, ...). A
// request can be cancelled from any thread; it then ends within a few milliseconds, so a
// worker that waits in one can always be stopped.
//
// ORVEL_UPDATE_CA, when set, names a file of PEM certificates that are trusted in place of
// the system's (for tests against a local server; verification stays on).

#include "update/update_answer.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace orvel::update {

struct HttpTimeouts {
    int connectMs = 60000;  // connection and TLS handshake
    int stallMs = 30000;    // once connected: longest time without a byte sent or received
    int totalMs = 0;        // whole request, 0 for no limit
};

struct HttpOptions {
    HttpTimeouts timeouts;
    std::string caFile;     // trusted in place of the system's authorities when not empty
};

// The time-outs of the service's queries, and ORVEL_UPDATE_CA.
HttpOptions QueryOptions();
// The same for package downloads: no limit on the whole transfer, only on stalls.
HttpOptions DownloadOptions();

// What became of the last request.
struct HttpOutcome {
    CheckFailure failure = CheckFailure::None;  // None, Unreachable or BadAnswer
    std::string text;                           // the reason, for the user
    long httpStatus = 0;                        // of the last response; 0 when none came
    bool cancelled = false;
};

inline constexpr std::size_t kAnswerCapacity = 102400;

// Last error codes of HttpRequest (else the libcurl code of the failing call).
inline constexpr int kErrorBadMethod = 87;
inline constexpr int kErrorNoUrl = 3;

class HttpClient {
public:
    explicit HttpClient(HttpOptions options);
    ~HttpClient();
    HttpClient(const HttpClient&) = delete;
    HttpClient& operator=(const HttpClient&) = delete;

    // "GET" or "POST" (any case) to url with body (bodyLength bytes, which may include a
    // terminating zero), headers "Content-Type: application/x-www-form-urlencoded" and
    // "Accept:application/prs.Zenta.v1+json", user agent "WinHTTP Client/1.0". The response
    // body replaces response; an answer longer than capacity ends the request as a bad
    // answer. Returns the number of bytes received, or -1 for a bad method (last error 87),
    // an empty url (3) or when libcurl cannot be set up. When the service was not reached,
    // response is "NO_LINK_SERVER" and 0 is returned.
    long HttpRequest(std::string_view method, const std::string& url, const char* body, std::size_t bodyLength,
                     std::string& response, std::size_t capacity = kAnswerCapacity);

    // A HEAD request: the response's Content-Length, or -1 when it has none or the request
    // failed (see Outcome()).
    std::int64_t QuerySize(const std::string& url);

    // A GET request whose body goes to sink piece by piece; sink returns false to end the
    // transfer, which then fails as a bad answer with the text sinkText. True when the whole
    // body arrived with a 2xx status.
    bool Fetch(const std::string& url, const std::function<bool(std::string_view)>& sink, const std::string& sinkText);

    const HttpOutcome& Outcome() const { return outcome_; }
    int LastError() const { return lastError_; }

    // From any thread: ends the running request at once and refuses every later one.
    void Cancel();
    bool Cancelled() const { return cancelled_.load(); }

    struct Transfer; // one request's state, for libcurl's callbacks

private:
    bool Perform(Transfer& transfer);

    HttpOptions options_;
    void* multi_ = nullptr;  // CURLM*
    std::atomic<bool> cancelled_{false};
    HttpOutcome outcome_;
    int lastError_ = 0;
};

} // namespace orvel::update
