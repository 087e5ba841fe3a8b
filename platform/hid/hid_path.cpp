#include "platform/hid/hid_path.h"

#include <cctype>
#include <cstdio>

namespace orvel::hid {

namespace {

std::string_view Tail(std::string_view path)
{
    const size_t hash = path.rfind('#');
    return hash == std::string_view::npos ? path : path.substr(hash + 1);
}

bool EqualNoCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

} // namespace

uint32_t PathNumber(std::string_view path, std::string_view key)
{
    const std::string_view tail = Tail(path);
    if (key.empty() || tail.size() < key.size()) {
        return 0;
    }
    for (size_t i = 0; i + key.size() <= tail.size(); ++i) {
        if (!EqualNoCase(tail.substr(i, key.size()), key)) {
            continue;
        }
        // As "%x" reads it: digits until the first non-digit; the value wraps like an
        // unsigned int would.
        uint32_t value = 0;
        for (size_t j = i + key.size(); j < tail.size() && HexValue(tail[j]) >= 0; ++j) {
            value = value * 16 + static_cast<uint32_t>(HexValue(tail[j]));
        }
        return value;
    }
    return 0;
}

std::string PathSuffix(uint16_t vendorId, uint16_t productId, uint32_t interfaceNumber, uint32_t collection)
{
    char text[64];
    std::snprintf(text, sizeof(text), "#vid_%04x&pid_%04x&mi_%02x", vendorId, productId, interfaceNumber & 0xFF);
    std::string suffix(text);
    if (collection != 0) {
        std::snprintf(text, sizeof(text), "&col%02x", collection & 0xFF);
        suffix += text;
    }
    return suffix;
}

std::string_view PathLocation(std::string_view path)
{
    const size_t hash = path.rfind('#');
    return hash == std::string_view::npos ? path : path.substr(0, hash);
}

} // namespace orvel::hid
