#pragma once
// Named mutexes between processes of one user, as the single-instance rule and the audio
// capture program use them: an exclusive flock on "<name>.lock" in the runtime folder. The
// lock goes with the process, so a crashed holder never leaves it taken.

#include <string>
#include <string_view>

namespace orvel::ipc {

class NamedMutex {
public:
    enum class Status {
        Created,       // this object holds the mutex
        AlreadyExists, // another holder has it (ERROR_ALREADY_EXISTS)
        Failed,        // the lock file could not be used; error() says why
    };

    // CreateMutexW with initial ownership.
    static NamedMutex CreateMutexW(std::string_view name);

    NamedMutex(NamedMutex&& other) noexcept;
    NamedMutex& operator=(NamedMutex&& other) noexcept;
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    ~NamedMutex(); // CloseHandle: an owned mutex is given up

    Status status() const { return status_; }
    const std::string& error() const { return error_; }
    bool owned() const { return status_ == Status::Created; }

private:
    NamedMutex(Status status, int fd, std::string error) : status_(status), fd_(fd), error_(std::move(error)) {}
    Status status_;
    int fd_;
    std::string error_;
};

// OpenMutexW: true when a mutex of that name exists, that is, some process holds it now.
bool OpenMutexW(std::string_view name);

// The lock file's name for a mutex name: bytes outside [A-Za-z0-9 ._-] are written as %XX.
std::string LockFileName(std::string_view name);

} // namespace orvel::ipc
