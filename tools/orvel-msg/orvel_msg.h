#pragma once
// orvel-msg: the registered messages of VARNO Orvel 80 from a terminal. Every command runs
// in-process through Run, so tests can call it with their own streams.

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

namespace orvel::msgtool {

struct Environment {
    const std::atomic<bool>* interrupted = nullptr; // 'listen' ends once it is set
};

// Runs one call (the words after the program name); returns the exit code: 0 done, 1 the
// message did not arrive or was refused, 2 a wrong command line.
int Run(const std::vector<std::string>& words, std::ostream& out, std::ostream& err, const Environment& env = {});

} // namespace orvel::msgtool
