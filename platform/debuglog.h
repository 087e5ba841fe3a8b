#pragma once
// The program's debugger output. Lines go to stderr, one write per line, only when the
// environment variable ORVEL_DEBUG is "1"; otherwise they cost one flag test. Text is UTF-8
// (the status lines are Chinese and pass through unchanged).

#include <cstdarg>
#include <functional>
#include <string>
#include <string_view>

namespace orvel::debuglog {

// True when lines are written (ORVEL_DEBUG=1, read once; or a sink is installed).
bool Enabled();

// Writes one line; a line end is added when the text does not end with one.
void Write(std::string_view utf8);

// printf-style formatting into one line.
void Writef(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Tests capture the lines here instead of stderr; an empty function restores stderr.
void SetSinkForTests(std::function<void(std::string_view)> sink);

} // namespace orvel::debuglog

// The names the device and profile code uses for its debug lines.
void OutputDebugStringA(std::string_view utf8);
void OutputDebugStringW(std::wstring_view text);
