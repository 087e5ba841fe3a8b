#include "platform/runtimefolder.h"

#include "platform/debuglog.h"
#include "platform/paths.h"

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvel::ipc {

RuntimeFolder OpenRuntimeFolder()
{
    const std::filesystem::path folder = paths::RuntimeFolder();
    auto fail = [&](const std::string& why) {
        RuntimeFolder r{{}, "runtime folder " + folder.string() + ": " + why};
        debuglog::Write(r.error);
        return r;
    };
    if (folder.has_parent_path() && !paths::CreateFolders(folder.parent_path())) {
        return fail("its parent folder cannot be created");
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return fail(std::string("cannot be created: ") + std::strerror(errno));
    }
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) {
        return fail(std::string("cannot be examined: ") + std::strerror(errno));
    }
    if (!S_ISDIR(st.st_mode)) {
        return fail("is not a folder");
    }
    if (st.st_uid != ::getuid()) {
        return fail("belongs to another user (uid " + std::to_string(st.st_uid) + ")");
    }
    if ((st.st_mode & 077) != 0) {
        return fail("is open to other users (mode " + std::to_string((st.st_mode >> 6) & 7) + std::to_string((st.st_mode >> 3) & 7)
                    + std::to_string(st.st_mode & 7) + "); it must be 700");
    }
    return RuntimeFolder{folder, {}};
}

} // namespace orvel::ipc
