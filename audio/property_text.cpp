#include "audio/property_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace orvel::audio {

namespace {

std::string_view Trimmed(std::string_view text)
{
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && space(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && space(text.back()))
        text.remove_suffix(1);
    return text;
}

} // namespace

std::string_view BufferText(PropertyBuffer& buffer)
{
    buffer.back() = 0;
    const auto* text = reinterpret_cast<const char*>(buffer.data());
    return std::string_view(text, std::strlen(text));
}

std::optional<std::int32_t> ParseIntegerText(std::string_view text)
{
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

std::optional<double> ParseFractionText(std::string_view text)
{
    text = Trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FractionText(double value)
{
    char text[64];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 6);
    return error == std::errc() ? std::string(text, end) : std::string("0.000000");
}

void PutInt32(PropertyBuffer& buffer, std::size_t offset, std::int32_t value)
{
    std::memcpy(buffer.data() + offset, &value, sizeof value);
}

void PutFloat(PropertyBuffer& buffer, float value)
{
    std::memcpy(buffer.data(), &value, sizeof value);
}

std::int32_t GetInt32(const PropertyBuffer& buffer, std::size_t offset)
{
    std::int32_t value = 0;
    std::memcpy(&value, buffer.data() + offset, sizeof value);
    return value;
}

float GetFloat(const PropertyBuffer& buffer)
{
    float value = 0;
    std::memcpy(&value, buffer.data(), sizeof value);
    return value;
}

int LevelFromScalar(double scalar)
{
    return static_cast<int>(std::lround(std::clamp(scalar, 0.0, 1.0) * 100.0));
}

} // namespace orvel::audio
