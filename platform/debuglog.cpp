#include "platform/debuglog.h"

#include "platform/text.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unistd.h>

namespace orvel::debuglog {
namespace {

std::mutex& sinkMutex()
{
    static std::mutex m;
    return m;
}

std::function<void(std::string_view)>& sink()
{
    static std::function<void(std::string_view)> s;
    return s;
}

bool envEnabled()
{
    static const bool on = [] {
        const char* v = std::getenv("ORVEL_DEBUG");
        return v != nullptr && std::strcmp(v, "1") == 0;
    }();
    return on;
}

} // namespace

bool Enabled()
{
    if (envEnabled()) {
        return true;
    }
    std::lock_guard lock(sinkMutex());
    return static_cast<bool>(sink());
}

void Write(std::string_view utf8)
{
    std::string line(utf8);
    if (line.empty() || line.back() != '\n') {
        line.push_back('\n');
    }
    std::lock_guard lock(sinkMutex());
    if (sink()) {
        sink()(line);
        return;
    }
    if (!envEnabled()) {
        return;
    }
    // One write() per line keeps lines of different threads whole.
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n <= 0) {
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void Writef(const char* format, ...)
{
    if (!Enabled()) {
        return;
    }
    char small[512];
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n < 0) {
        va_end(copy);
        return;
    }
    if (static_cast<size_t>(n) < sizeof small) {
        va_end(copy);
        Write(std::string_view(small, static_cast<size_t>(n)));
        return;
    }
    std::string big(static_cast<size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), format, copy);
    va_end(copy);
    big.resize(static_cast<size_t>(n));
    Write(big);
}

void SetSinkForTests(std::function<void(std::string_view)> s)
{
    std::lock_guard lock(sinkMutex());
    sink() = std::move(s);
}

} // namespace orvel::debuglog

void OutputDebugStringA(std::string_view utf8)
{
    orvel::debuglog::Write(utf8);
}

void OutputDebugStringW(std::wstring_view text)
{
    if (orvel::debuglog::Enabled()) {
        orvel::debuglog::Write(orvel::text::ToUtf8(text));
    }
}
