#include "devicelink/hid_adapters.h"

namespace orvel {

int CHidPort::Open(const std::string& path, bool forRead, bool forWrite, bool overlapped, bool exclusive)
{
    return device_.Open(path, forRead, forWrite, overlapped, exclusive);
}

void CHidPort::Close()
{
    device_.Close();
}

bool CHidPort::IsOpen() const
{
    return device_.IsOpen();
}

int CHidPort::Write(const std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesWritten,
                    std::uint32_t timeoutMs)
{
    return device_.Write(buffer, length, &bytesWritten, timeoutMs);
}

int CHidPort::Read(std::uint8_t* buffer, std::uint32_t length, std::uint32_t& bytesRead, std::uint32_t timeoutMs)
{
    return device_.Read(buffer, length, &bytesRead, timeoutMs);
}

bool CHidProbe::Enumerate(std::vector<std::string>& paths)
{
    if (!device_.Enumerate())
        return false;
    while (const char* path = device_.NextPath())
        paths.emplace_back(path);
    device_.FreePaths();
    return true;
}

bool CHidProbe::Probe(const std::string& path, ProbeInfo& info)
{
    if (device_.Open(path, true, false, true, false) != 1)
        return false;
    info.vendorId = device_.attributes.VendorID;
    info.productId = device_.attributes.ProductID;
    info.usagePage = device_.caps.UsagePage;
    info.usage = device_.caps.Usage;
    device_.Close();
    return true;
}

bool CHidProbe::IsPresent(const std::string& path)
{
    return CHidDevice::IsPresent(path);
}

} // namespace orvel
