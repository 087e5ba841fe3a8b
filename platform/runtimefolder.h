#pragma once
// The per-user folder of sockets and lock files (paths::RuntimeFolder()). It is created with
// mode 0700 and refused when another user owns it, when others may enter it, or when it is not
// a plain folder, since any program that can write there could pose as our windows.

#include <filesystem>
#include <string>

namespace orvel::ipc {

struct RuntimeFolder {
    std::filesystem::path folder; // empty on failure
    std::string error;            // why the folder cannot be used; empty on success
    bool ok() const { return error.empty(); }
};

RuntimeFolder OpenRuntimeFolder();

} // namespace orvel::ipc
