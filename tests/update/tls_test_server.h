#pragma once
// A small HTTPS server on 127.0.0.1 (a free port) for the update tests: every request is
// recorded byte for byte, and a handler scripts each answer: status, headers, a body of any
// size, a wait before answering, a connection that breaks off half-way or stalls.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace orvel::testing {

struct RecordedRequest {
    std::string raw;     // the request line, headers and body exactly as received
    std::string method;
    std::string target;  // "/api/updates"
    std::string body;
};

struct ScriptedReply {
    int status = 200;
    std::vector<std::string> headers;  // extra lines, "Location: https://..."
    std::string body;
    std::int64_t generatedBytes = -1;  // >= 0: a body of this many pattern bytes instead of body
    std::int64_t announced = -1;       // Content-Length sent: -1 the body's size, -2 none
    std::int64_t breakAfter = -1;      // >= 0: only this many body bytes, then ...
    int stallMs = 0;                   // ... wait this long before closing the connection
    int delayMs = 0;                   // wait before the answer starts
};

// The byte at offset i of a generated body.
char PatternByte(std::int64_t i);
// The whole generated body of n bytes (for hashes in tests).
std::string PatternBody(std::int64_t n);

// The threads that serve open connections: a stop shuts their sockets down, which wakes
// them, and waits until every one has ended.
class ConnectionThreads {
public:
    ~ConnectionThreads() { StopAll(); }
    // serve(socket) on a thread of its own; the socket is closed after it.
    void Run(int socket, std::function<void(int)> serve);
    void StopAll();

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    std::set<int> sockets_;
    std::size_t running_ = 0;
};

// A listening socket on 127.0.0.1 at a free port whose connections are each served on a
// thread of their own.
class LoopbackListener {
public:
    bool Listening() const { return listener_ >= 0; }
    int Port() const { return port_; }

protected:
    LoopbackListener();
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    void StartAccepting(std::function<void(int)> serve);
    // Ends accepting and every connection; a derived class calls it first in its destructor,
    // before the members its serve function uses are gone.
    void StopServing();
    bool Stopping() const { return stopping_.load(); }
    // Waits ms; false when the listener stops meanwhile.
    bool Wait(int ms) const;

private:
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    ConnectionThreads connections_;
    std::thread acceptor_;
};

class TlsTestServer : public LoopbackListener {
public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    TlsTestServer(const std::filesystem::path& certificate, const std::filesystem::path& key);
    ~TlsTestServer();
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;

    bool Listening() const { return LoopbackListener::Listening() && context_ != nullptr; }
    // "https://127.0.0.1:<port>"
    std::string Origin() const;

    void SetHandler(Handler handler);
    std::vector<RecordedRequest> Requests() const;

private:
    void Serve(int socket);
    Handler CurrentHandler() const;

    void* context_ = nullptr;  // SSL_CTX*
    mutable std::mutex mutex_;
    Handler handler_;
    std::vector<RecordedRequest> requests_;
};

// A plain HTTP proxy on 127.0.0.1 that takes CONNECT requests and passes the bytes through,
// recording each CONNECT line.
class ConnectProxy : public LoopbackListener {
public:
    ConnectProxy();
    ~ConnectProxy();

    std::vector<std::string> Tunnels() const;

private:
    void Pass(int client);

    mutable std::mutex mutex_;
    std::vector<std::string> tunnels_;
};

} // namespace orvel::testing
