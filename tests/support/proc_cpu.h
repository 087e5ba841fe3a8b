#pragma once
// User + system time from /proc, for the benchmarks: of another process, and of this process's
// threads by name (the names the audio library's threads carry).

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace orvel::testing {

// The seconds of CPU a /proc/.../stat file reports; 0 when it cannot be read.
inline double CpuSecondsOfStat(const std::filesystem::path& statFile)
{
    std::ifstream stat(statFile);
    const std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos)
        return 0;
    std::vector<std::string> fields;
    std::size_t at = close + 2;
    while (at < text.size()) {
        const std::size_t space = text.find(' ', at);
        fields.push_back(text.substr(at, space - at));
        if (space == std::string::npos)
            break;
        at = space + 1;
    }
    // After the name: state is field 0, utime field 11, stime field 12.
    if (fields.size() < 13)
        return 0;
    return (std::stod(fields[11]) + std::stod(fields[12])) / double(sysconf(_SC_CLK_TCK));
}

inline double ProcessCpuSecondsOf(pid_t pid)
{
    return CpuSecondsOfStat("/proc/" + std::to_string(pid) + "/stat");
}

// The CPU of every thread of this process called name (the thread's comm); -1 when there is
// no such thread.
inline double ThreadCpuSeconds(const std::string& name)
{
    double seconds = -1;
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        std::ifstream comm(task.path() / "comm");
        std::string line;
        if (std::getline(comm, line) && line == name)
            seconds = std::max(seconds, 0.0) + CpuSecondsOfStat(task.path() / "stat");
    }
    return seconds;
}

} // namespace orvel::testing
