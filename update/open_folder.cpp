#include "update/open_folder.h"

#include "platform/debuglog.h"

#include <spawn.h>
#include <sys/wait.h>

#include <string>
#include <thread>

extern char** environ;

namespace orvel::update {

bool OpenFolderInFileManager(const std::filesystem::path& folder)
{
    const std::string program = "xdg-open";
    const std::string target = folder.string();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>(target.c_str()), nullptr};
    pid_t pid = -1;
    if (::posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) {
        OutputDebugStringA("update: xdg-open could not be started for " + target);
        return false;
    }
    // Reaped in the background, so no zombie stays behind while the program runs.
    std::thread([pid] {
        int status = 0;
        ::waitpid(pid, &status, 0);
    }).detach();
    return true;
}

} // namespace orvel::update
