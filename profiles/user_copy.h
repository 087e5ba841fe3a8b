#pragma once
// A file of the user's that has a default copy in the program's default data (the audio
// lighting styles, the colour picker's swatches). A missing user file is made from the default
// one. A user file that is there but cannot be used is never lost: it is kept as
// "<name>.bad" (see MoveAside) before the default takes its place, and the event is logged.

#include <json/value.h>

#include <filesystem>
#include <functional>

namespace orvel::profiles {

// Whether a document read from the user file can be used.
using DocumentCheck = std::function<bool(const Json::Value&)>;

// The user file's document when it passes the check; otherwise the default document, written
// as the user file (its folder made when missing). Null when neither can be used; an unusable
// user file is kept aside then as well, and no user file is written.
Json::Value LoadUserCopy(const std::filesystem::path& user, const std::filesystem::path& defaults,
                         const DocumentCheck& usable);

// The default document written over the user file (folder made when missing); null, and the
// user file left as it is, when the default cannot be read.
Json::Value ResetUserCopy(const std::filesystem::path& user, const std::filesystem::path& defaults);

// The user file's document for a change to be written into it: its document when it passes
// the check, else an empty object (an unusable file is kept aside first, so writing the change
// loses nothing). False when an unusable file could not be moved aside.
bool ReadForUpdate(const std::filesystem::path& user, const DocumentCheck& usable, Json::Value& document);

// SaveJsonFile with the file's folder made first.
bool SaveUserFile(const std::filesystem::path& user, const Json::Value& document);

} // namespace orvel::profiles
