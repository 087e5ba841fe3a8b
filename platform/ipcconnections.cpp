#include "platform/ipcconnections.h"

#include "platform/ipcframe.h"

#include <algorithm>
#include <cerrno>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::ipc::detail {
namespace {

// Reads the answers owed that have come; false when the connection is not in step (a short or
// foreign answer, or the peer closed).
bool readOwedAnswers(KeptConnection& c)
{
    while (c.unanswered > 0) {
        std::uint8_t reply[kReplyBytes];
        const ssize_t n = ::recv(c.fd, reply, sizeof reply, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return true;
        }
        if (n != static_cast<ssize_t>(sizeof reply) || !DecodeReply(reply)) {
            return false;
        }
        --c.unanswered;
    }
    return true;
}

// In step: no answer owed, nothing posted still unread at the peer. A peer that closed is
// found out by the next write, which fails before the peer could see anything of it.
bool ready(KeptConnection& c)
{
    if (!readOwedAnswers(c) || c.unanswered > 0) {
        return false;
    }
    int unread = 0;
    return !c.posted || (::ioctl(c.fd, SIOCOUTQ, &unread) == 0 && unread == 0);
}

} // namespace

std::optional<KeptConnection> KeptConnections::Take(const std::filesystem::path& socket)
{
    std::lock_guard lock(mutex_);
    for (auto it = kept_.rbegin(); it != kept_.rend();) {
        if (it->socket != socket) {
            ++it;
            continue;
        }
        KeptConnection c = it->connection;
        it = decltype(it)(kept_.erase(std::next(it).base()));
        if (ready(c)) {
            return c;
        }
        ::close(c.fd);
    }
    return std::nullopt;
}

void KeptConnections::Give(const std::filesystem::path& socket, KeptConnection connection)
{
    std::lock_guard lock(mutex_);
    kept_.push_back({socket, connection});
    const auto forPeer = [&] {
        return std::count_if(kept_.begin(), kept_.end(), [&](const Entry& e) { return e.socket == socket; });
    };
    while (kept_.size() > kKeptInAll || static_cast<std::size_t>(forPeer()) > kKeptPerPeer) {
        const auto oldest = kept_.size() > kKeptInAll
                                ? kept_.begin()
                                : std::find_if(kept_.begin(), kept_.end(), [&](const Entry& e) { return e.socket == socket; });
        ::close(oldest->connection.fd);
        kept_.erase(oldest);
    }
}

KeptConnections& Kept()
{
    static KeptConnections kept;
    return kept;
}

} // namespace orvel::ipc::detail
