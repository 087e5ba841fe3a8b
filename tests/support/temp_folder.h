#pragma once
// A fresh folder under the system temp folder, removed with everything in it at the end of
// the test; the environment variables a test points into it are restored too.

#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <system_error>

namespace orvel::testing {

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orvel-test-XXXXXX").string();
        char* made = ::mkdtemp(pattern.data());
        path_ = made != nullptr ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
    }
    ~TempFolder()
    {
        for (const auto& [name, old] : savedEnv_) {
            if (old) {
                ::setenv(name.c_str(), old->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    // Sets an environment variable for the lifetime of this object.
    void setEnv(const std::string& name, const std::string& value)
    {
        if (!savedEnv_.count(name)) {
            const char* old = std::getenv(name.c_str());
            savedEnv_[name] = old ? std::optional<std::string>(old) : std::nullopt;
        }
        ::setenv(name.c_str(), value.c_str(), 1);
    }

private:
    std::filesystem::path path_;
    std::map<std::string, std::optional<std::string>> savedEnv_;
};

} // namespace orvel::testing
