#pragma once
// Where the update service is: the build's ORVEL_UPDATE_URL, or the environment variable of
// the same name when it is set (also when it is set empty). An empty address switches
// updates off; an address that is not https is refused, so updates are off then too.

#include <string>

namespace orvel::update {

struct ServiceAddress {
    std::string baseUrl;  // "https://host/api/" when updates are on; empty when off
    std::string offText;  // why updates are off, for the user; empty when they are on

    bool On() const { return !baseUrl.empty(); }
    // The query address: the base followed by "updates".
    std::string UpdatesUrl() const { return baseUrl + "updates"; }
};

// Checks an address as the build or the environment gives it.
ServiceAddress MakeServiceAddress(const std::string& configured);

// The environment's ORVEL_UPDATE_URL when set, else the build's.
ServiceAddress ReadServiceAddress();

} // namespace orvel::update
