#pragma once
// The document fuzzers run their parsers and getters in memory on every input, and the file
// operations around them (which flush every save to disk, a few milliseconds each) only for
// the first input of each shape, so the fuzzer runs thousands of inputs a second.

#include <cstdio>
#include <cstdlib>
#include <set>

namespace orvel::fuzzing {

// True the first time a shape (a small number the fuzzer makes of what its file operations
// branch on) is seen in this run.
inline bool FirstOfItsShape(unsigned shape)
{
    static std::set<unsigned> seen;
    return seen.insert(shape).second;
}

// A property every input must keep; a broken one stops the run as a crash does.
inline void Require(bool holds, const char* what)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

} // namespace orvel::fuzzing
