// Answers of the update service: any bytes must parse to a result or a bad answer, and a
// result that offers a newer version must carry an https package address and a usable hash.
#include "update/update_answer.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace orvel::update;
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    for (const bool hex : {true, false}) {
        const UpdateInfo info = ParseUpdateAnswer(answer, hex ? 0x0102 : 1000, hex);
        if (info.Answered() != info.failureText.empty())
            std::abort();
        if (info.status == kStatusNewer &&
            (!info.Answered() || info.path.rfind("https://", 0) != 0 || info.newVersionText.empty()))
            std::abort();
        if (!info.sha256.empty() && info.sha256.size() != 64)
            std::abort();
    }
    return 0;
}
