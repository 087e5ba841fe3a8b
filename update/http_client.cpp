#include "update/http_client.h"

#include "platform/debuglog.h"
#include "update/no_case.h"

#include <curl/curl.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>

namespace orvel::update {

namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kUserAgent = "WinHTTP Client/1.0";
// How long one wait for the sockets may last: the longest a cancel or a stall goes unseen
// when the wake-up is missed.
constexpr int kPollMs = 50;

void InitCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] {
        curl_global_init(CURL_GLOBAL_DEFAULT);
        // With CURLOPT_NOSIGNAL (needed for worker threads) libcurl leaves SIGPIPE alone, and a
        // server that closes while TLS writes would end the program. A handler someone else
        // installed stays.
        struct sigaction current {};
        if (::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            std::signal(SIGPIPE, SIG_IGN);
    });
}

std::string TrustedAuthorities()
{
    const char* file = std::getenv("ORVEL_UPDATE_CA");
    return file != nullptr ? file : "";
}

std::string Seconds(int ms)
{
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

} // namespace

HttpOptions QueryOptions()
{
    HttpOptions options;
    options.timeouts.totalMs = 120000;
    options.caFile = TrustedAuthorities();
    return options;
}

HttpOptions DownloadOptions()
{
    HttpOptions options;
    options.caFile = TrustedAuthorities();
    return options;
}

struct HttpClient::Transfer {
    Transfer() : easy(curl_easy_init()) {}
    ~Transfer()
    {
        curl_slist_free_all(headers);
        if (easy != nullptr)
            curl_easy_cleanup(easy);
    }
    Transfer(const Transfer&) = delete;
    Transfer& operator=(const Transfer&) = delete;

    CURL* easy;
    curl_slist* headers = nullptr;
    char errorText[CURL_ERROR_SIZE] = {};
    std::function<bool(std::string_view)> sink;
    std::string sinkText;
    bool sinkRefused = false;
    curl_off_t sent = -1;
    curl_off_t received = -1;
    Clock::time_point lastActivity = Clock::now();
};

namespace {

std::size_t TakeBody(char* data, std::size_t size, std::size_t count, void* user)
{
    auto* transfer = static_cast<HttpClient::Transfer*>(user);
    if (transfer->sink && !transfer->sink(std::string_view(data, size * count))) {
        transfer->sinkRefused = true;
        return 0;
    }
    return size * count;
}

int NoteActivity(void* user, curl_off_t, curl_off_t received, curl_off_t, curl_off_t sent)
{
    auto* transfer = static_cast<HttpClient::Transfer*>(user);
    if (received != transfer->received || sent != transfer->sent) {
        transfer->received = received;
        transfer->sent = sent;
        transfer->lastActivity = Clock::now();
    }
    return 0;
}

} // namespace

HttpClient::HttpClient(HttpOptions options) : options_(std::move(options))
{
    InitCurlOnce();
    multi_ = curl_multi_init();
}

HttpClient::~HttpClient()
{
    if (multi_ != nullptr)
        curl_multi_cleanup(static_cast<CURLM*>(multi_));
}

void HttpClient::Cancel()
{
    cancelled_.store(true);
    if (multi_ != nullptr)
        curl_multi_wakeup(static_cast<CURLM*>(multi_));
}

bool HttpClient::Perform(Transfer& transfer)
{
    outcome_ = {};
    CURL* easy = transfer.easy;
    if (easy == nullptr || multi_ == nullptr) {
        lastError_ = CURLE_FAILED_INIT;
        outcome_ = {CheckFailure::Unreachable, "the network library could not be started", 0, false};
        return false;
    }
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    if (!options_.caFile.empty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, options_.caFile.c_str());
        curl_easy_setopt(easy, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options_.timeouts.connectMs));
    if (options_.timeouts.totalMs > 0)
        curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(options_.timeouts.totalMs));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, transfer.errorText);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, TakeBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, NoteActivity);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, &transfer);

    auto* multi = static_cast<CURLM*>(multi_);
    CURLcode result = CURLE_OK;
    bool done = false;
    bool stalled = false;
    if (!cancelled_.load()) {
        curl_multi_add_handle(multi, easy);
        transfer.lastActivity = Clock::now();
        while (!cancelled_.load()) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                done = true;
                break;
            }
            if (running == 0) {
                int left = 0;
                while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                    if (message->msg == CURLMSG_DONE)
                        result = message->data.result;
                }
                done = true;
                break;
            }
            // Until the connection stands (TLS included) the connect time-out governs.
            curl_off_t connected = 0;
            curl_easy_getinfo(easy, CURLINFO_PRETRANSFER_TIME_T, &connected);
            const Clock::time_point now = Clock::now();
            if (connected == 0) {
                transfer.lastActivity = now;
            } else if (now - transfer.lastActivity > std::chrono::milliseconds(options_.timeouts.stallMs)) {
                stalled = true;
                break;
            }
            curl_multi_poll(multi, nullptr, 0, kPollMs, nullptr);
        }
        curl_multi_remove_handle(multi, easy);
    }
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &outcome_.httpStatus);
    const bool responded = outcome_.httpStatus != 0;
    const std::string detail = transfer.errorText[0] != '\0' ? std::string(transfer.errorText)
                                                              : std::string(curl_easy_strerror(result));

    if (!done && !stalled) {
        lastError_ = CURLE_ABORTED_BY_CALLBACK;
        outcome_.cancelled = true;
        outcome_.failure = CheckFailure::Unreachable;
        outcome_.text = "stopped";
    } else if (stalled || result == CURLE_OPERATION_TIMEDOUT) {
        lastError_ = CURLE_OPERATION_TIMEDOUT;
        const int limit = stalled ? options_.timeouts.stallMs
                                  : (options_.timeouts.totalMs > 0 ? options_.timeouts.totalMs : options_.timeouts.connectMs);
        outcome_.failure = responded ? CheckFailure::BadAnswer : CheckFailure::Unreachable;
        outcome_.text = (responded ? "the answer stopped coming for " : "no answer within ") + Seconds(limit);
    } else if (transfer.sinkRefused) {
        lastError_ = result;
        outcome_.failure = CheckFailure::BadAnswer;
        outcome_.text = transfer.sinkText;
    } else if (result == CURLE_UNSUPPORTED_PROTOCOL && responded) {
        lastError_ = result;
        outcome_.failure = CheckFailure::BadAnswer;
        outcome_.text = "refused a redirect to an address that is not https";
    } else if (result == CURLE_TOO_MANY_REDIRECTS) {
        lastError_ = result;
        outcome_.failure = CheckFailure::BadAnswer;
        outcome_.text = "too many redirects";
    } else if (result == CURLE_PEER_FAILED_VERIFICATION) {
        lastError_ = result;
        outcome_.failure = CheckFailure::Unreachable;
        outcome_.text = "the server's certificate was refused: " + detail;
    } else if (result != CURLE_OK) {
        lastError_ = result;
        outcome_.failure = responded ? CheckFailure::BadAnswer : CheckFailure::Unreachable;
        outcome_.text = (responded ? "the answer broke off: " : "no connection: ") + detail;
    } else if (outcome_.httpStatus < 200 || outcome_.httpStatus > 299) {
        lastError_ = 0;
        outcome_.failure = CheckFailure::BadAnswer;
        outcome_.text = "the server answered HTTP " + std::to_string(outcome_.httpStatus);
    } else {
        lastError_ = 0;
        return true;
    }
    OutputDebugStringA("update: " + outcome_.text);
    return false;
}

long HttpClient::HttpRequest(std::string_view method, const std::string& url, const char* body, std::size_t bodyLength,
                             std::string& response, std::size_t capacity)
{
    response.clear();
    const bool post = SameNoCase(method, "POST");
    if (!post && !SameNoCase(method, "GET")) {
        lastError_ = kErrorBadMethod;
        return -1;
    }
    if (url.empty()) {
        lastError_ = kErrorNoUrl;
        return -1;
    }
    Transfer transfer;
    if (transfer.easy == nullptr) {
        lastError_ = CURLE_FAILED_INIT;
        return -1;
    }
    transfer.sink = [&response, capacity](std::string_view piece) {
        if (response.size() + piece.size() > capacity)
            return false;
        response.append(piece);
        return true;
    };
    transfer.sinkText = "the answer is longer than " + std::to_string(capacity) + " bytes";
    curl_easy_setopt(transfer.easy, CURLOPT_URL, url.c_str());
    if (post) {
        curl_easy_setopt(transfer.easy, CURLOPT_POST, 1L);
        curl_easy_setopt(transfer.easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyLength));
        curl_easy_setopt(transfer.easy, CURLOPT_POSTFIELDS, body != nullptr ? body : "");
    }
    transfer.headers = curl_slist_append(transfer.headers, "Content-Type: application/x-www-form-urlencoded");
    transfer.headers = curl_slist_append(transfer.headers, "Accept:application/prs.Zenta.v1+json");
    curl_easy_setopt(transfer.easy, CURLOPT_HTTPHEADER, transfer.headers);
    Perform(transfer);
    if (outcome_.failure == CheckFailure::Unreachable) {
        response = std::string(kNoLinkServer);
        return 0;
    }
    return static_cast<long>(response.size());
}

std::int64_t HttpClient::QuerySize(const std::string& url)
{
    Transfer transfer;
    curl_easy_setopt(transfer.easy, CURLOPT_URL, url.c_str());
    curl_easy_setopt(transfer.easy, CURLOPT_NOBODY, 1L);
    if (!Perform(transfer))
        return -1;
    curl_off_t length = -1;
    curl_easy_getinfo(transfer.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length < 0) {
        outcome_.failure = CheckFailure::BadAnswer;
        outcome_.text = "the server gives no size for the package";
        return -1;
    }
    return length;
}

bool HttpClient::Fetch(const std::string& url, const std::function<bool(std::string_view)>& sink,
                       const std::string& sinkText)
{
    Transfer transfer;
    transfer.sink = sink;
    transfer.sinkText = sinkText;
    curl_easy_setopt(transfer.easy, CURLOPT_URL, url.c_str());
    return Perform(transfer);
}

} // namespace orvel::update
