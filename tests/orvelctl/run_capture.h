#pragma once
// Runs orvelctl in-process and keeps what it printed.

#include "tools/orvelctl/orvelctl.h"

#include <sstream>
#include <string>
#include <vector>

namespace orvel::testing {

struct CtlResult {
    int code = -1;
    std::string out;
    std::string err;
};

inline CtlResult RunCtl(const std::vector<std::string>& words, const ctl::Environment& env)
{
    std::ostringstream out;
    std::ostringstream err;
    CtlResult result;
    result.code = ctl::Run(words, out, err, env);
    result.out = out.str();
    result.err = err.str();
    return result;
}

} // namespace orvel::testing
