#pragma once
// Whole-file helpers for the macro and shoot files: size-limited reads, byte copies that
// replace the target only once the new bytes are on disk. Every write goes through
// platform/atomicfile; a broken file is moved aside with profiles::MoveAside.

#include <json/value.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace orvel::input {

// Imported and stored macro and shoot files are small; anything larger is refused.
inline constexpr uintmax_t kMaxDocumentBytes = 1024 * 1024;

// The parsed document, or null when the file is missing, larger than maxBytes or broken.
Json::Value LoadSmallJsonFile(const std::filesystem::path& path, uintmax_t maxBytes = kMaxDocumentBytes);

// The file's bytes, or nothing when it is missing, unreadable or larger than maxBytes.
std::optional<std::string> ReadSmallFile(const std::filesystem::path& path, uintmax_t maxBytes = kMaxDocumentBytes);

// Copies source byte for byte over target, as atomicfile writes (a replaced target keeps its
// permissions); false when nothing was copied.
bool CopyFileBytes(const std::filesystem::path& source, const std::filesystem::path& target);

// A file the user chose to import: its bytes and its document, read once the size is known
// to be acceptable.
enum class ImportCheck { Ok, Unreadable, TooLarge, NotJson };
struct ImportFile {
    ImportCheck check = ImportCheck::Unreadable;
    std::string bytes;
    Json::Value document;
};
ImportFile ReadImportFile(const std::filesystem::path& source);

} // namespace orvel::input
