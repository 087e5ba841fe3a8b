#pragma once
// One question to the update service: is there a newer version of this product?

#include "update/http_client.h"
#include "update/service_address.h"
#include "update/update_answer.h"
#include "update/update_products.h"

#include <string_view>

namespace orvel::update {

// POSTs the query body with its terminating zero byte to the service's "updates" address and
// reads the answer. A service that was not reached gives the name "NO_LINK_SERVER"; every
// failure (also updates switched off) is in the result's failure and failureText.
UpdateInfo QueryUpdate(HttpClient& client, const ServiceAddress& address, std::string_view appKey,
                       std::int32_t currentVersion, bool hexVersions);

// QueryUpdate for a product, with its app key and version format.
UpdateInfo QueryProduct(HttpClient& client, const ServiceAddress& address, const UpdateProduct& product);

} // namespace orvel::update
