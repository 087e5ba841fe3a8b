#include "update/service_address.h"

#include <cstdlib>

#ifndef ORVEL_UPDATE_URL
#define ORVEL_UPDATE_URL ""
#endif

namespace orvel::update {

ServiceAddress MakeServiceAddress(const std::string& configured)
{
    ServiceAddress address;
    if (configured.empty()) {
        address.offText = "updates are switched off in this build (no update service address)";
    } else if (configured.rfind("https://", 0) != 0 || configured.size() <= 8) {
        address.offText = "updates are off: the update service address \"" + configured + "\" is not an https address";
    } else {
        address.baseUrl = configured;
        if (address.baseUrl.back() != '/')
            address.baseUrl += '/';
    }
    return address;
}

ServiceAddress ReadServiceAddress()
{
    const char* environment = std::getenv("ORVEL_UPDATE_URL");
    return MakeServiceAddress(environment != nullptr ? environment : ORVEL_UPDATE_URL);
}

} // namespace orvel::update
