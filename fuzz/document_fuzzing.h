#pragma once
// What the document fuzzers share. They run their parsers and getters in memory on every
// input, and the file operations around them (which flush every save to disk, a few
// milliseconds each) only for the first input of each shape, so they run thousands of inputs
// a second.

#include "platform/json_text.h"

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string_view>

namespace orvel::fuzzing {

// True the first time a shape (a small number the fuzzer makes of what its file operations
// branch on) is seen in this run.
inline bool FirstOfItsShape(unsigned shape)
{
    static std::set<unsigned> seen;
    return seen.insert(shape).second;
}

// The fuzzer's bytes read as every document file is read (comments kept); null when they are
// not JSON.
inline Json::Value DocumentOf(std::string_view bytes)
{
    return json::Parse(bytes, json::Comments::Keep).value_or(Json::Value());
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
