#include "platform/hid/vhid_wire.h"

#include "platform/paths.h"

#include "platform/json_text.h"

#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <sys/socket.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace orvel::vhid {

std::vector<uint8_t> EncodeFrame(uint8_t type, std::span<const uint8_t> payload)
{
    const uint32_t length = static_cast<uint32_t>(payload.size() + 1);
    std::vector<uint8_t> frame;
    frame.reserve(payload.size() + 5);
    for (int shift = 0; shift < 32; shift += 8) {
        frame.push_back(static_cast<uint8_t>(length >> shift));
    }
    frame.push_back(type);
    frame.insert(frame.end(), payload.begin(), payload.end());
    return frame;
}

void FrameReader::Append(const uint8_t* data, size_t size)
{
    if (failed_ || size == 0) {
        return;
    }
    if (start_ > 0 && start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    }
    buffer_.insert(buffer_.end(), data, data + size);
}

FrameReader::Result FrameReader::Next(Message& out)
{
    if (failed_) {
        return Result::kError;
    }
    const size_t available = buffer_.size() - start_;
    if (available < 4) {
        return Result::kNeedMore;
    }
    const uint8_t* p = buffer_.data() + start_;
    const uint32_t length = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    if (length == 0 || length > kMaxFrameLength) {
        failed_ = true;
        buffer_.clear();
        start_ = 0;
        return Result::kError;
    }
    if (available < 4 + size_t(length)) {
        return Result::kNeedMore;
    }
    out.type = p[4];
    out.payload.assign(p + 5, p + 4 + length);
    start_ += 4 + size_t(length);
    if (start_ == buffer_.size()) {
        buffer_.clear();
        start_ = 0;
    } else if (start_ > 65536) {
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start_));
        start_ = 0;
    }
    return Result::kMessage;
}

bool SendFrame(int fd, uint8_t type, std::span<const uint8_t> payload)
{
    if (payload.size() + 1 > kMaxFrameLength) {
        return false;
    }
    const std::vector<uint8_t> frame = EncodeFrame(type, payload);
    size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::send(fd, frame.data() + sent, frame.size() - sent, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        sent += static_cast<size_t>(n);
    }
    return true;
}

namespace {

// Calls use(address) with an address for the socket path; a long path is reached through
// /proc/self/fd/<folder descriptor>/<name>.
template <typename Use>
bool WithAddress(const std::filesystem::path& socket, Use use)
{
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::string path = socket.string();
    int folder = -1;
    if (path.size() >= sizeof(address.sun_path)) {
        folder = ::open(socket.parent_path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (folder < 0) {
            return false;
        }
        path = "/proc/self/fd/" + std::to_string(folder) + "/" + socket.filename().string();
    }
    bool ok = false;
    if (path.size() < sizeof(address.sun_path)) {
        path.copy(address.sun_path, path.size());
        ok = use(reinterpret_cast<const sockaddr*>(&address), socklen_t(sizeof(address)));
    }
    if (folder >= 0) {
        ::close(folder);
    }
    return ok;
}

std::string ToHex(const std::vector<uint8_t>& bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& text)
{
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int hi = HexDigit(text[i]);
        const int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(hi << 4 | lo));
    }
    return bytes;
}

// A JSON member that must be a whole number in [0, max].
std::optional<uint32_t> Number(const Json::Value& object, const char* key, uint32_t max)
{
    const Json::Value& v = object[key];
    if (!v.isIntegral() || v.asLargestInt() < 0 || v.asLargestUInt() > max) {
        return std::nullopt;
    }
    return static_cast<uint32_t>(v.asLargestUInt());
}

std::string Text(const Json::Value& object, const char* key)
{
    const Json::Value& v = object[key];
    return v.isString() ? v.asString() : std::string();
}

} // namespace

int ConnectUnixSocket(const std::filesystem::path& socket)
{
    // Non-blocking, so a server whose queue of new connections is full is refused at once
    // instead of holding the caller.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return -1;
    }
    if (!WithAddress(socket, [fd](const sockaddr* a, socklen_t n) { return ::connect(fd, a, n) == 0; })) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool BindUnixSocket(int fd, const std::filesystem::path& socket)
{
    return WithAddress(socket, [fd](const sockaddr* a, socklen_t n) { return ::bind(fd, a, n) == 0; });
}

std::string EncodeHello(const Hello& hello)
{
    Json::Value root(Json::objectValue);
    root["vendorId"] = hello.vendorId;
    root["productId"] = hello.productId;
    root["version"] = hello.version;
    root["manufacturer"] = hello.manufacturer;
    root["product"] = hello.product;
    root["serial"] = hello.serial;
    root["interface"] = hello.interfaceNumber;
    root["reportDescriptor"] = ToHex(hello.reportDescriptor);
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    return Json::writeString(builder, root);
}

std::optional<Hello> DecodeHello(std::string_view json)
{
    const std::optional<Json::Value> parsed = json::Parse(json);
    if (!parsed || !parsed->isObject()) {
        return std::nullopt;
    }
    const Json::Value& root = *parsed;
    const auto vendor = Number(root, "vendorId", 0xFFFF);
    const auto product = Number(root, "productId", 0xFFFF);
    const auto version = Number(root, "version", 0xFFFF);
    const auto interfaceNumber = Number(root, "interface", 0xFF);
    if (!vendor || !product || !version || !interfaceNumber || !root["reportDescriptor"].isString()) {
        return std::nullopt;
    }
    auto descriptor = FromHex(root["reportDescriptor"].asString());
    if (!descriptor) {
        return std::nullopt;
    }
    Hello hello;
    hello.vendorId = static_cast<uint16_t>(*vendor);
    hello.productId = static_cast<uint16_t>(*product);
    hello.version = static_cast<uint16_t>(*version);
    hello.interfaceNumber = *interfaceNumber;
    hello.manufacturer = Text(root, "manufacturer");
    hello.product = Text(root, "product");
    hello.serial = Text(root, "serial");
    hello.reportDescriptor = std::move(*descriptor);
    return hello;
}

std::filesystem::path Folder()
{
    const char* dir = std::getenv("ORVEL_VHID_DIR");
    if (dir != nullptr && *dir != '\0') {
        return std::filesystem::path(dir);
    }
    return paths::RuntimeFolder() / "vhid";
}

bool EnsureFolder(const std::filesystem::path& folder)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) {
        return true;
    }
    if (folder.has_parent_path() && !folder.parent_path().empty()) {
        std::filesystem::path parent = folder.parent_path();
        if (!std::filesystem::is_directory(parent, ec)) {
            if (!EnsureFolder(parent)) {
                return false;
            }
        }
    }
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    return std::filesystem::is_directory(folder, ec);
}

bool FolderIsPrivate(const std::filesystem::path& folder)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    return st.st_uid == ::getuid() && (st.st_mode & 077) == 0;
}

} // namespace orvel::vhid
