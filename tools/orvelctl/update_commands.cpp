// "update check" and "update download": the settings window's update page from a terminal.

#include "devices/device_core.h"
#include "tools/orvelctl/commands.h"
#include "tools/orvelctl/device_session.h"
#include "tools/orvelctl/text_table.h"
#include "update/no_case.h"
#include "update/package_download.h"
#include "update/update_files.h"
#include "update/update_query.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

namespace orvel::ctl {

namespace {

using namespace orvel::update;

// One row of the update-product table and what became of it.
struct ProductLine {
    UpdateProduct product;
    std::string device;     // "mouse", "keyboard", "mouse pad", "program"
    std::string absent;     // why it was not checked ("not connected", ...); empty when present
    UpdateInfo info;
    bool checked = false;
};

constexpr int kFirmwareKinds[kFirmwareProductCount] = {kKindMouse, kKindKeyboard, kKindMousePad};
constexpr const char* kFirmwareDevices[kFirmwareProductCount] = {"mouse", "keyboard", "mouse pad"};

// The firmware version of the first connected device of each firmware product; why not, for
// the others.
std::array<DeviceVersion, kFirmwareProductCount> ReadDeviceVersions(Context& context,
                                                                    std::array<std::string, kFirmwareProductCount>& absent)
{
    std::array<DeviceVersion, kFirmwareProductCount> versions{};
    absent.fill("not connected");
    if (context.windowRunning()) {
        absent.fill("not read: the window is running and owns the devices");
        return versions;
    }
    std::vector<FoundDevice> devices;
    if (!FindDevices(context.probe, devices)) {
        absent.fill("not read: the HID devices could not be listed");
        return versions;
    }
    for (std::size_t p = 0; p < kFirmwareProductCount; ++p) {
        for (const FoundDevice& device : devices) {
            if (KindNumber(device.name.kindRow) != kFirmwareKinds[p] || device.name.index != 1)
                continue;
            DeviceSession session(device);
            std::array<std::uint8_t, devices::kDeviceInfoSize> info{};
            if (session.Open() != kLinkOk) {
                absent[p] = "cannot be opened (no access? see 'orvelctl udev-rules')";
            } else if (!session.Reachable()) {
                absent[p] = "not reachable through its receiver";
            } else if (const int status = session.Link().ReadDeviceInfo(info); status != kLinkOk) {
                absent[p] = "device information: " + LinkStatusText(status);
            } else {
                versions[p] = {FirmwareVersion(info), device.ViaReceiver()};
                absent[p].clear();
            }
        }
    }
    return versions;
}

std::vector<ProductLine> Products(Context& context)
{
    std::array<std::string, kFirmwareProductCount> absent;
    const auto versions = ReadDeviceVersions(context, absent);
    std::vector<ProductLine> lines;
    for (UpdateProduct& product : AllProducts(versions)) {
        ProductLine line;
        const std::size_t index = lines.size();
        line.device = index < kFirmwareProductCount ? kFirmwareDevices[index] : "program";
        if (index < kFirmwareProductCount && product.currentVersion == 0)
            line.absent = absent[index].empty() ? "not connected" : absent[index];
        line.product = std::move(product);
        lines.push_back(std::move(line));
    }
    return lines;
}

void Check(std::vector<ProductLine>& lines, const ServiceAddress& address)
{
    HttpClient client(QueryOptions());
    for (ProductLine& line : lines) {
        if (!line.absent.empty())
            continue;
        line.info = QueryProduct(client, address, line.product);
        line.checked = true;
    }
}

std::string StatusText(const ProductLine& line)
{
    if (!line.absent.empty())
        return line.absent;
    if (line.info.failure == CheckFailure::Off)
        return "updates are off";
    if (!line.info.Answered())
        return "check failed: " + line.info.failureText;
    return line.info.status == kStatusNewer ? "newer version offered" : "up to date";
}

std::string_view StatusWord(const ProductLine& line)
{
    if (!line.absent.empty())
        return "absent";
    if (!line.info.Answered())
        return line.info.failure == CheckFailure::Off ? "off" : "failed";
    return line.info.status == kStatusNewer ? "newer" : "current";
}

const ProductLine* FindProduct(const std::vector<ProductLine>& lines, const std::string& name)
{
    for (const ProductLine& line : lines) {
        if (SameNoCase(name, line.product.displayName) || SameNoCase(name, line.product.shortName) ||
            SameNoCase(name, line.device) || (line.device == "mouse pad" && SameNoCase(name, "pad")))
            return &line;
    }
    return nullptr;
}

std::atomic<HttpClient*> interruptedClient{nullptr};

// Ctrl+C during a download ends the transfer, so the partial file is removed; Cancel only
// sets a flag and writes to libcurl's wake-up pipe.
void CancelDownload(int)
{
    if (HttpClient* client = interruptedClient.load())
        client->Cancel();
}

// "[#########.........]  45%  4.5 of 10.0 MiB" on one line, redrawn in place.
void DrawProgress(std::FILE* terminal, double total, double received)
{
    constexpr int kWidth = 30;
    const double share = total > 0 ? received / total : 0;
    const int filled = static_cast<int>(share * kWidth);
    std::fprintf(terminal, "\r[%s%s] %3d%%  %.1f of %.1f MiB", std::string(filled, '#').c_str(),
                 std::string(kWidth - filled, '.').c_str(), static_cast<int>(share * 100), received / 1048576.0,
                 total / 1048576.0);
    std::fflush(terminal);
}

constexpr const char* kProgramHint =
    "This is the program's own package. Install it with your system's tools (or run it on the "
    "system it is made for); VARNO Orvel 80 never runs downloaded files.";
constexpr const char* kFirmwareHint =
    "This is a firmware package. It is kept here for the maker's firmware tool; VARNO Orvel 80 "
    "never runs downloaded files.";

} // namespace

int UpdateCheckCommand(const ParsedArgs& args, Context& context)
{
    const ServiceAddress address = ReadServiceAddress();
    std::vector<ProductLine> lines = Products(context);
    Check(lines, address);

    bool failed = !address.On();
    for (const ProductLine& line : lines)
        failed = failed || (line.checked && !line.info.Answered());
    if (args.Has("--json")) {
        Json::Value document(Json::objectValue);
        document["service"] = address.On() ? Json::Value(address.baseUrl) : Json::Value(Json::nullValue);
        if (!address.On())
            document["off"] = address.offText;
        Json::Value list(Json::arrayValue);
        for (const ProductLine& line : lines) {
            Json::Value item(Json::objectValue);
            item["product"] = line.product.displayName;
            item["device"] = line.device;
            item["status"] = std::string(StatusWord(line));
            item["current"] = line.absent.empty() ? Json::Value(ShownCurrentVersion(line.product)) : Json::Value();
            const bool newer = line.info.Answered() && line.info.status == kStatusNewer;
            item["offered"] = newer ? Json::Value(line.info.newVersionText) : Json::Value();
            if (newer)
                item["package"] = line.info.path;
            item["detail"] = StatusText(line);
            list.append(item);
        }
        document["products"] = list;
        context.PrintJson(document);
        return failed ? kExitFailed : kExitOk;
    }
    std::vector<std::vector<std::string>> rows{{"PRODUCT", "DEVICE", "CURRENT", "OFFERED", "STATUS"}};
    for (const ProductLine& line : lines) {
        const bool newer = line.info.Answered() && line.info.status == kStatusNewer;
        rows.push_back({line.product.displayName, line.device,
                        line.absent.empty() ? ShownCurrentVersion(line.product) : "-",
                        newer ? line.info.newVersionText : "-", StatusText(line)});
    }
    PrintColumns(context.out, rows);
    if (!address.On())
        return context.Fail(kExitFailed, address.offText);
    return failed ? kExitFailed : kExitOk;
}

int UpdateDownloadCommand(const ParsedArgs& args, Context& context)
{
    const ServiceAddress address = ReadServiceAddress();
    if (!address.On())
        return context.Fail(kExitFailed, address.offText);
    std::vector<ProductLine> lines = Products(context);
    const ProductLine* found = FindProduct(lines, args.positional[0]);
    if (found == nullptr)
        return context.Fail(kExitUsage, "unknown product '" + args.positional[0] + "' (use MS, KB, P71 or AP)");
    ProductLine line = *found;
    const std::string name = line.product.displayName;
    if (!line.absent.empty())
        return context.Fail(kExitFailed, name + " (" + line.device + "): " + line.absent);
    HttpClient queryClient(QueryOptions());
    line.info = QueryProduct(queryClient, address, line.product);
    if (!line.info.Answered())
        return context.Fail(kExitFailed, name + ": check failed: " + line.info.failureText);
    if (line.info.status != kStatusNewer)
        return context.Fail(kExitFailed, name + ": " + ShownCurrentVersion(line.product) +
                                             " is up to date, nothing to download");

    const std::filesystem::path folder = UpdateDataFolder();
    std::string error;
    if (!PrepareUpdateDataFolder(folder, error))
        return context.Fail(kExitFailed, error);
    const std::filesystem::path file = PackageFile(folder, name, line.info.path);
    std::FILE* terminal = ::isatty(STDERR_FILENO) == 1 && &context.err == &std::cerr ? stderr : nullptr;

    HttpClient client(DownloadOptions());
    interruptedClient.store(&client);
    const auto previous = std::signal(SIGINT, CancelDownload);
    const DownloadResult result = DownloadFile(
        client, line.info.path, file,
        [terminal](double total, double received) {
            if (terminal != nullptr)
                DrawProgress(terminal, total, received);
        },
        line.info.sha256);
    std::signal(SIGINT, previous);
    interruptedClient.store(nullptr);
    if (terminal != nullptr)
        std::fputs("\n", terminal);
    if (!result.ok)
        return context.Fail(kExitFailed, name + " " + line.info.newVersionText + ": " +
                                             (result.cancelled ? "download stopped" : result.failureText));
    context.out << file.string() << "\n";
    context.err << name << " " << line.info.newVersionText << " downloaded. "
                << (line.product.IsProgram() ? kProgramHint : kFirmwareHint) << "\n";
    return kExitOk;
}

} // namespace orvel::ctl
