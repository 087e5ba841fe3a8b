// A channel is only opened with the event that lets Close end a read that waits for ever; when
// the process is out of descriptors the open fails instead.
#include "platform/hid/hidraw_backend.h"
#include "platform/hid/vhid_client.h"
#include "tests/hid/descriptor_fixtures.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orvel::hid {
namespace {

namespace fx = testing::fixtures;

// While it lives, no new descriptor can be made: the soft limit is the lowest free number.
class OutOfDescriptors {
public:
    OutOfDescriptors()
    {
        EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &saved_), 0);
        const int lowestFree = ::fcntl(0, F_DUPFD, 0);
        EXPECT_GE(lowestFree, 0);
        ::close(lowestFree);
        rlimit tight = saved_;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        EXPECT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    }
    ~OutOfDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }
    OutOfDescriptors(const OutOfDescriptors&) = delete;
    OutOfDescriptors& operator=(const OutOfDescriptors&) = delete;

private:
    rlimit saved_ {};
};

bool IsOpenDescriptor(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(ChannelWakeTest, WithoutAWakeUpEventTheChannelIsRefusedAndItsDescriptorClosed)
{
    const auto descriptor = ParseReportDescriptor(fx::kConsumerControl);
    ASSERT_TRUE(descriptor);
    const ReportIdFilter filter(*descriptor, 0);
    const struct {
        const char* name;
        std::function<std::unique_ptr<Channel>(int fd)> make;
    } backends[] = {
        {"hidraw", [&](int fd) { return hidraw::MakeChannel(fd, filter, descriptor->usesReportIds); }},
        {"vhid",
         [&](int fd) {
             vhidclient::Session session;
             session.fd = fd;
             return vhidclient::MakeChannel(std::move(session), filter);
         }},
    };
    for (const auto& backend : backends) {
        int fds[2];
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        std::unique_ptr<Channel> channel;
        {
            const OutOfDescriptors limit;
            channel = backend.make(fds[0]);
        }
        EXPECT_EQ(channel, nullptr) << backend.name;
        if (channel == nullptr) {
            EXPECT_FALSE(IsOpenDescriptor(fds[0])) << backend.name << ": descriptor left open";
        }
        // The far end goes first: a channel that was made without its event can only be
        // stopped by a hang-up.
        ::close(fds[1]);
        channel.reset();

        // With descriptors to spare the same channel opens.
        ASSERT_EQ(::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds), 0);
        EXPECT_NE(backend.make(fds[0]), nullptr) << backend.name;
        ::close(fds[1]);
    }
}

} // namespace
} // namespace orvel::hid
