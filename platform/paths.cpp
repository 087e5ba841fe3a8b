#include "platform/paths.h"

#include <cstdlib>
#include <string>
#include <system_error>
#include <unistd.h>

namespace orvel::paths {
namespace {

fs::path envPath(const char* name)
{
    const char* v = std::getenv(name);
    if (v == nullptr || *v == '\0') {
        return {};
    }
    fs::path p(v);
    return p.is_absolute() ? p : fs::path{};
}

fs::path home()
{
    fs::path h = envPath("HOME");
    return h.empty() ? fs::path("/tmp") : h;
}

fs::path xdg(const char* var, const char* fallbackUnderHome)
{
    fs::path p = envPath(var);
    return p.empty() ? home() / fallbackUnderHome : p;
}

} // namespace

fs::path ExecutableFolder()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) {
        return fs::current_path(ec);
    }
    return exe.parent_path();
}

fs::path ProgramFolder()
{
    fs::path overridden = envPath("ORVEL_PROGRAM_DIR");
    if (!overridden.empty()) {
        return overridden;
    }
    fs::path exeDir = ExecutableFolder();
    std::error_code ec;
    fs::path installed = exeDir.parent_path() / ORVEL_SHARE_SUBDIR;
    if (fs::is_directory(installed / "skin", ec) || fs::is_directory(installed / "DefaultData", ec)) {
        return installed;
    }
    return exeDir;
}

fs::path LocalAppData()
{
    return xdg("XDG_DATA_HOME", ".local/share");
}

fs::path UserDataFolder()
{
    return LocalAppData() / kProductFolder;
}

fs::path ConfigFolder()
{
    return xdg("XDG_CONFIG_HOME", ".config") / kProductFolder;
}

fs::path CacheFolder()
{
    return xdg("XDG_CACHE_HOME", ".cache") / "varno-orvel-80";
}

fs::path RuntimeFolder()
{
    fs::path runtime = envPath("XDG_RUNTIME_DIR");
    if (!runtime.empty()) {
        return runtime / "varno-orvel-80";
    }
    return TempFolder() / ("varno-orvel-80-" + std::to_string(::getuid()));
}

fs::path TempFolder()
{
    fs::path t = envPath("TMPDIR");
    return t.empty() ? fs::path("/tmp") : t;
}

bool CreateFolders(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    return fs::is_directory(folder, ec);
}

fs::path FromBackslashName(const fs::path& base, std::string_view name)
{
    fs::path out = base;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string_view::npos) {
            end = name.size();
        }
        if (end > start) {
            out /= std::string(name.substr(start, end - start));
        }
        start = end + 1;
    }
    return out;
}

bool IsPlainName(std::string_view name)
{
    if (name.empty() || name.size() > 200) {
        return false;
    }
    for (char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) {
            return false;
        }
    }
    return true;
}

} // namespace orvel::paths
