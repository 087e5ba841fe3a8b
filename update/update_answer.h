#pragma once
// The update service's answer to one product query, and the query's body. The answer is
// outside input: it is parsed with its explicit length, and anything that cannot be used is
// reported as a failed check, never as "no newer version".

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel::update {

inline constexpr int kStatusNewer = 1;    // a newer version is offered
inline constexpr int kStatusNoNewer = 7;  // no newer version, or no usable answer

// The name a query result carries when the service was not reached.
inline constexpr std::string_view kNoLinkServer = "NO_LINK_SERVER";

// Why a check gave no usable answer.
enum class CheckFailure {
    None,         // the service answered and the answer was used
    Unreachable,  // no answer at all (no connection, refused certificate, time-out, ...)
    BadAnswer,    // an answer came, but not one that can be used (HTTP error, not JSON, ...)
    Off,          // updates are switched off in this build
};

struct UpdateInfo {
    int status = kStatusNoNewer;
    std::int64_t deviceId = 0;        // "device_id"; 1 is the program itself
    std::string name;                 // "name"; "NO_LINK_SERVER" when the service was not reached
    std::string currentVersionText;   // "V%04x" / "V%d" of the current version
    std::string versionName;          // "version_name"
    std::string newVersionText;       // "V" + "version" (hexadecimal), the version name (decimal)
    std::string path;                 // "path": the package's https address
    std::string sha256;               // "sha256": the package's hash in hexadecimal, when offered
    std::string localFile;            // where the package is stored once downloaded

    CheckFailure failure = CheckFailure::None;
    std::string failureText;          // what went wrong, in plain English, for messages and logs

    bool Answered() const { return failure == CheckFailure::None; }
};

// "app_key=<key>&version=<%x or %d of the version>". It is sent with its terminating zero
// byte, so the request body is one byte longer than this text.
std::string QueryBody(std::string_view appKey, std::int32_t currentVersion, bool hexVersions);

// Reads an answer of exactly answer.size() bytes (no terminator is needed or looked for).
// A JSON object (comments allowed) whose "version" is a number in the product's base: status
// 1 when it is above the current version, else 7. An object without "version" offers nothing
// (status 7). Anything else is a bad answer: not JSON, not an object, a "version" that is not
// a number text, a newer version without an https "path", a "sha256" that is not 64
// hexadecimal digits. Other fields of the wrong type read as missing.
UpdateInfo ParseUpdateAnswer(std::string_view answer, std::int32_t currentVersion, bool hexVersions);

} // namespace orvel::update
