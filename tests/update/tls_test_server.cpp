#include "tests/update/tls_test_server.h"

#include <openssl/ssl.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <csignal>
#include <string_view>

namespace orvel::testing {

namespace {

int ListenOnLoopback(int& port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(fd, 64) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Accepts one connection, waking every 20 ms to see whether the server stops.
int AcceptOne(int listener, const std::atomic<bool>& stopping)
{
    while (!stopping.load()) {
        pollfd poll{listener, POLLIN, 0};
        if (::poll(&poll, 1, 20) > 0)
            return ::accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
    }
    return -1;
}

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::size_t ContentLength(const std::string& head)
{
    const std::string lower = Lower(head);
    const std::size_t at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::stoul(head.substr(at + 17));
}

std::string ReasonText(int status)
{
    switch (status) {
    case 200:
        return "OK";
    case 302:
        return "Found";
    case 404:
        return "Not Found";
    case 500:
        return "Internal Server Error";
    default:
        return "Status";
    }
}

} // namespace

char PatternByte(std::int64_t i)
{
    return static_cast<char>((i * 131 + (i >> 9)) & 0xFF);
}

std::string PatternBody(std::int64_t n)
{
    std::string body(static_cast<std::size_t>(n), '\0');
    for (std::int64_t i = 0; i < n; ++i)
        body[static_cast<std::size_t>(i)] = PatternByte(i);
    return body;
}

void ConnectionThreads::Run(int socket, std::function<void(int)> serve)
{
    {
        std::lock_guard lock(mutex_);
        sockets_.insert(socket);
        ++running_;
    }
    std::thread([this, socket, serve = std::move(serve)] {
        serve(socket);
        std::lock_guard lock(mutex_);
        sockets_.erase(socket);
        ::close(socket);
        --running_;
        ended_.notify_all();
    }).detach();
}

void ConnectionThreads::StopAll()
{
    std::unique_lock lock(mutex_);
    for (const int socket : sockets_)
        ::shutdown(socket, SHUT_RDWR);
    ended_.wait(lock, [this] { return running_ == 0; });
}

LoopbackListener::LoopbackListener()
{
    listener_ = ListenOnLoopback(port_);
}

LoopbackListener::~LoopbackListener()
{
    StopServing();
    if (listener_ >= 0)
        ::close(listener_);
}

void LoopbackListener::StartAccepting(std::function<void(int)> serve)
{
    if (listener_ < 0)
        return;
    acceptor_ = std::thread([this, serve = std::move(serve)] {
        for (;;) {
            const int socket = AcceptOne(listener_, stopping_);
            if (socket < 0)
                return;
            connections_.Run(socket, serve);
        }
    });
}

void LoopbackListener::StopServing()
{
    stopping_.store(true);
    if (acceptor_.joinable())
        acceptor_.join();
    connections_.StopAll();
}

bool LoopbackListener::Wait(int ms) const
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (std::chrono::steady_clock::now() < until) {
        if (Stopping())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return !Stopping();
}

TlsTestServer::TlsTestServer(const std::filesystem::path& certificate, const std::filesystem::path& key)
{
    // A client that goes away while an answer is being written must not end the test.
    std::signal(SIGPIPE, SIG_IGN);
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr || SSL_CTX_use_certificate_chain_file(context, certificate.c_str()) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, key.c_str(), SSL_FILETYPE_PEM) != 1) {
        SSL_CTX_free(context);
        return;
    }
    context_ = context;
    StartAccepting([this](int socket) { Serve(socket); });
}

TlsTestServer::~TlsTestServer()
{
    StopServing();
    SSL_CTX_free(static_cast<SSL_CTX*>(context_));
}

std::string TlsTestServer::Origin() const
{
    return "https://127.0.0.1:" + std::to_string(Port());
}

void TlsTestServer::SetHandler(Handler handler)
{
    std::lock_guard lock(mutex_);
    handler_ = std::move(handler);
}

std::vector<RecordedRequest> TlsTestServer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

TlsTestServer::Handler TlsTestServer::CurrentHandler() const
{
    std::lock_guard lock(mutex_);
    return handler_;
}

void TlsTestServer::Serve(int socket)
{
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(context_));
    SSL_set_fd(ssl, socket);
    if (SSL_accept(ssl) != 1) {
        SSL_free(ssl);
        return;
    }
    RecordedRequest request;
    char buffer[16384];
    std::size_t headEnd = std::string::npos;
    while (headEnd == std::string::npos) {
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0) {
            SSL_free(ssl);
            return;
        }
        request.raw.append(buffer, static_cast<std::size_t>(n));
        headEnd = request.raw.find("\r\n\r\n");
    }
    const std::string head = request.raw.substr(0, headEnd + 2);
    const std::size_t bodyLength = ContentLength(head);
    while (request.raw.size() < headEnd + 4 + bodyLength) {
        const int n = SSL_read(ssl, buffer, sizeof buffer);
        if (n <= 0)
            break;
        request.raw.append(buffer, static_cast<std::size_t>(n));
    }
    request.method = head.substr(0, head.find(' '));
    const std::size_t targetStart = head.find(' ') + 1;
    request.target = head.substr(targetStart, head.find(' ', targetStart) - targetStart);
    request.body = request.raw.substr(headEnd + 4);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    const Handler handler = CurrentHandler();
    const ScriptedReply reply = handler ? handler(request) : ScriptedReply{404, {}, "no handler"};
    if (!Wait(reply.delayMs)) {
        SSL_free(ssl);
        return;
    }
    const std::int64_t size = reply.generatedBytes >= 0 ? reply.generatedBytes : std::int64_t(reply.body.size());
    std::string answer = "HTTP/1.1 " + std::to_string(reply.status) + " " + ReasonText(reply.status) + "\r\n";
    if (reply.announced != -2)
        answer += "Content-Length: " + std::to_string(reply.announced >= 0 ? reply.announced : size) + "\r\n";
    answer += "Connection: close\r\n";
    for (const std::string& line : reply.headers)
        answer += line + "\r\n";
    answer += "\r\n";
    bool written = SSL_write(ssl, answer.data(), static_cast<int>(answer.size())) > 0;

    const std::int64_t sent = request.method == "HEAD" ? 0 : (reply.breakAfter >= 0 ? std::min(size, reply.breakAfter) : size);
    std::string piece;
    for (std::int64_t at = 0; written && at < sent && !Stopping();) {
        const std::int64_t n = std::min<std::int64_t>(sent - at, 65536);
        if (reply.generatedBytes >= 0) {
            piece.resize(static_cast<std::size_t>(n));
            for (std::int64_t i = 0; i < n; ++i)
                piece[static_cast<std::size_t>(i)] = PatternByte(at + i);
        } else {
            piece = reply.body.substr(static_cast<std::size_t>(at), static_cast<std::size_t>(n));
        }
        written = SSL_write(ssl, piece.data(), static_cast<int>(n)) > 0;
        at += n;
    }
    if (reply.breakAfter >= 0) {
        Wait(reply.stallMs);  // then the connection just ends, without TLS's closing message
    } else if (written) {
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
}

ConnectProxy::ConnectProxy()
{
    StartAccepting([this](int socket) { Pass(socket); });
}

ConnectProxy::~ConnectProxy()
{
    StopServing();
}

std::vector<std::string> ConnectProxy::Tunnels() const
{
    std::lock_guard lock(mutex_);
    return tunnels_;
}

void ConnectProxy::Pass(int client)
{
    std::string head;
    char c = 0;
    while (head.find("\r\n\r\n") == std::string::npos && ::recv(client, &c, 1, 0) == 1)
        head += c;
    const std::string line = head.substr(0, head.find("\r\n"));
    {
        std::lock_guard lock(mutex_);
        tunnels_.push_back(line);
    }
    // Only tunnels to this machine: "CONNECT 127.0.0.1:<port> HTTP/1.1".
    const std::string prefix = "CONNECT 127.0.0.1:";
    if (line.rfind(prefix, 0) != 0)
        return;
    const int port = std::stoi(line.substr(prefix.size()));
    const int server = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    if (::connect(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(server);
        return;
    }
    const std::string_view established = "HTTP/1.1 200 Connection established\r\n\r\n";
    ::send(client, established.data(), established.size(), MSG_NOSIGNAL);
    char buffer[16384];
    while (!Stopping()) {
        pollfd polls[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
        if (::poll(polls, 2, 20) <= 0)
            continue;
        const bool fromClient = (polls[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
        const int from = fromClient ? client : server;
        const int to = fromClient ? server : client;
        const ssize_t n = ::recv(from, buffer, sizeof buffer, 0);
        if (n <= 0 || ::send(to, buffer, static_cast<std::size_t>(n), MSG_NOSIGNAL) != n)
            break;
    }
    ::close(server);
}

} // namespace orvel::testing
