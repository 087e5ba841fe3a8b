#include "tools/orvel-msg/orvel_msg.h"

#include <csignal>
#include <iostream>

namespace {

std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void onSignal(int)
{
    interrupted = true;
}

} // namespace

int main(int argc, char** argv)
{
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    const std::vector<std::string> words(argv + 1, argv + argc);
    return orvel::msgtool::Run(words, std::cout, std::cerr, {&interrupted});
}
