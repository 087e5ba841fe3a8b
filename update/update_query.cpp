#include "update/update_query.h"

namespace orvel::update {

UpdateInfo QueryUpdate(HttpClient& client, const ServiceAddress& address, std::string_view appKey,
                       std::int32_t currentVersion, bool hexVersions)
{
    UpdateInfo info;
    info.currentVersionText = VersionText(currentVersion, hexVersions);
    if (!address.On()) {
        info.failure = CheckFailure::Off;
        info.failureText = address.offText;
        return info;
    }
    const std::string body = QueryBody(appKey, currentVersion, hexVersions);
    std::string answer;
    const long received = client.HttpRequest("POST", address.UpdatesUrl(), body.c_str(), body.size() + 1, answer);
    const HttpOutcome& outcome = client.Outcome();
    if (received < 0) {
        info.failure = CheckFailure::Unreachable;
        info.failureText = "the request could not be made";
        return info;
    }
    if (outcome.failure != CheckFailure::None) {
        info.failure = outcome.failure;
        info.failureText = outcome.text;
        if (received == 0)
            info.name = answer;
        return info;
    }
    if (received == 0) {
        info.failure = CheckFailure::BadAnswer;
        info.failureText = "the answer is empty";
        return info;
    }
    return ParseUpdateAnswer(answer, currentVersion, hexVersions);
}

UpdateInfo QueryProduct(HttpClient& client, const ServiceAddress& address, const UpdateProduct& product)
{
    return QueryUpdate(client, address, BuildAppKey(product), product.currentVersion, product.HexVersions());
}

} // namespace orvel::update
