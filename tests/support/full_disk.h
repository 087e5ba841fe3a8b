#pragma once
// While one lives, no file of the process may grow beyond a few bytes: writes fail half-way as
// on a full disk (the size limit signal is ignored, so the write just returns an error).

#include <sys/resource.h>

#include <csignal>

namespace orvel::testing {

class FullDisk {
public:
    explicit FullDisk(rlim_t bytes = 4096)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old_;
        small.rlim_cur = bytes;
        active_ = setrlimit(RLIMIT_FSIZE, &small) == 0;
    }
    ~FullDisk()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

    bool Active() const { return active_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool active_ = false;
};

} // namespace orvel::testing
