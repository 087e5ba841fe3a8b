#include "input/file_bytes.h"

#include "platform/atomicfile.h"
#include "platform/debuglog.h"
#include "profiles/jsonfile.h"

namespace orvel::input {
namespace fs = std::filesystem;

namespace {

bool FitsLimit(const fs::path& path, uintmax_t maxBytes)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) {
        return false;
    }
    const uintmax_t size = fs::file_size(path, ec);
    if (ec || size > maxBytes) {
        debuglog::Writef("%s: %ju bytes, at most %ju accepted", path.c_str(), static_cast<uintmax_t>(ec ? 0 : size), maxBytes);
        return false;
    }
    return true;
}

} // namespace

Json::Value LoadSmallJsonFile(const fs::path& path, uintmax_t maxBytes)
{
    if (!FitsLimit(path, maxBytes)) {
        return Json::Value();
    }
    return profiles::LoadJsonFile(path);
}

std::optional<std::string> ReadSmallFile(const fs::path& path, uintmax_t maxBytes)
{
    if (!FitsLimit(path, maxBytes)) {
        return std::nullopt;
    }
    std::error_code ec;
    const uintmax_t size = fs::file_size(path, ec);
    std::string bytes = profiles::readjsonFile(path);
    if (bytes.size() != size) {
        return std::nullopt;
    }
    return bytes;
}

bool CopyFileBytes(const fs::path& source, const fs::path& target)
{
    const auto bytes = ReadSmallFile(source);
    return bytes && atomicfile::WriteFileAtomically(target, *bytes);
}

ImportFile ReadImportFile(const fs::path& source)
{
    ImportFile file;
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        return file;
    }
    if (fs::file_size(source, ec) > kMaxDocumentBytes) {
        file.check = ImportCheck::TooLarge;
        return file;
    }
    auto bytes = ReadSmallFile(source);
    if (!bytes) {
        return file;
    }
    file.bytes = std::move(*bytes);
    file.document = profiles::LoadJsonFile(source);
    file.check = file.document.isNull() ? ImportCheck::NotJson : ImportCheck::Ok;
    return file;
}

} // namespace orvel::input
