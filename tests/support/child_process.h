#pragma once
// Programs of the build started from tests and benchmarks: beside the caller in build/bin, with their
// output in files, an environment changed for them only, and a wait with a time-out.

#include "tests/support/file_text.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <map>
#include <optional>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace orvel::testing {

inline std::filesystem::path ProgramBeside(const std::string& name)
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / name;
}

// Environment changes for a child: a value sets the variable, nothing removes it.
using EnvChanges = std::map<std::string, std::optional<std::string>>;

inline std::vector<std::string> ChildEnvironment(const EnvChanges& changes)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (changes.count(entry.substr(0, entry.find('='))) == 0)
            env.push_back(entry);
    }
    for (const auto& [name, value] : changes) {
        if (value)
            env.push_back(name + "=" + *value);
    }
    return env;
}

// Starts the program with its output going to the two files; -1 when it could not start.
inline pid_t Spawn(const std::vector<std::string>& words, const std::filesystem::path& out,
                   const std::filesystem::path& err, const EnvChanges& changes = {})
{
    std::vector<char*> argv;
    for (const std::string& word : words)
        argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> envStrings = ChildEnvironment(changes);
    std::vector<char*> envp;
    for (std::string& e : envStrings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

// The exit code once the child ended within limit; nothing when it still runs.
inline std::optional<int> WaitFor(pid_t pid, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        if (done < 0 || std::chrono::steady_clock::now() > end)
            return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

// Ends a child that is still running (SIGTERM, then SIGKILL after 3 s).
inline void Stop(pid_t pid)
{
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    if (!WaitFor(pid, std::chrono::milliseconds(3000))) {
        ::kill(pid, SIGKILL);
        WaitFor(pid, std::chrono::milliseconds(3000));
    }
}

struct ProgramResult {
    int code = -1;
    std::string out;
    std::string err;
};

// Runs the program to its end (at most limit).
inline ProgramResult RunProgram(const std::vector<std::string>& words, const std::filesystem::path& folder,
                                const EnvChanges& changes = {},
                                std::chrono::milliseconds limit = std::chrono::milliseconds(30000))
{
    const auto out = folder / "run.out";
    const auto err = folder / "run.err";
    ProgramResult result;
    const pid_t pid = Spawn(words, out, err, changes);
    if (pid <= 0)
        return result;
    const std::optional<int> code = WaitFor(pid, limit);
    if (!code)
        Stop(pid);
    result.code = code.value_or(-1);
    result.out = FileText(out);
    result.err = FileText(err);
    return result;
}

} // namespace orvel::testing
