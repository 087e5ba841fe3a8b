#pragma once
// The vhid wire: length-prefixed messages between a virtual HID interface (a server on a Unix
// stream socket) and the HID layer (its client). Shared by both sides so they cannot drift.
//
// Frame: u32 length (little-endian, type byte included, 1..65536), u8 type, length-1 bytes.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::vhid {

enum MessageType : uint8_t {
    kHello = 0x01,      // server -> client, once, first: JSON object
    kOutput = 0x02,     // client -> server: output report, byte 0 = report id
    kInput = 0x03,      // server -> client: input report, byte 0 = report id
    kGetFeature = 0x04, // client -> server: one byte, the report id
    kFeature = 0x05,    // server -> client: feature report, empty = request failed
    kSetFeature = 0x06, // client -> server: feature report, byte 0 = report id
};

inline constexpr uint32_t kMaxFrameLength = 65536;

struct Message {
    uint8_t type = 0;
    std::vector<uint8_t> payload;
};

// One frame ready to send.
std::vector<uint8_t> EncodeFrame(uint8_t type, std::span<const uint8_t> payload);

// Cuts a byte stream into messages. A length of 0 or above kMaxFrameLength is a protocol
// error, after which the reader stays failed.
class FrameReader {
public:
    enum class Result { kMessage, kNeedMore, kError };

    void Append(const uint8_t* data, size_t size);
    Result Next(Message& out);
    bool Failed() const { return failed_; }

private:
    std::vector<uint8_t> buffer_;
    size_t start_ = 0;
    bool failed_ = false;
};

// Writes one whole frame to a stream socket (no SIGPIPE); false when the peer is gone or
// the socket's send time-out ran out.
bool SendFrame(int fd, uint8_t type, std::span<const uint8_t> payload);

// Unix stream socket paths of any length: when a path does not fit a socket address, the
// address goes through the folder's descriptor. -1 / false on failure. A connected socket
// is non-blocking.
int ConnectUnixSocket(const std::filesystem::path& socket);
bool BindUnixSocket(int fd, const std::filesystem::path& socket);

// What HELLO tells about the interface.
struct Hello {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0;
    std::string manufacturer;
    std::string product;
    std::string serial;
    uint32_t interfaceNumber = 0;
    std::vector<uint8_t> reportDescriptor;
};

std::string EncodeHello(const Hello& hello);
// Null when the text is not a JSON object with numeric ids in range and a hexadecimal
// report descriptor of whole bytes.
std::optional<Hello> DecodeHello(std::string_view json);

// $ORVEL_VHID_DIR, else the runtime folder's "vhid".
std::filesystem::path Folder();
// Creates the folder with mode 0700 when missing; true when it exists afterwards.
bool EnsureFolder(const std::filesystem::path& folder);
// A folder whose sockets may be trusted: a directory owned by this user that nobody else
// can write to or read.
bool FolderIsPrivate(const std::filesystem::path& folder);

} // namespace orvel::vhid
