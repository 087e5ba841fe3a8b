#include "update/update_products.h"

#include "devicelink/device_tables.h"
#include "platform/settings.h"

#include <cstdio>

namespace orvel::update {

namespace {

UpdateProduct FromRow(const UpdateProductRow& row)
{
    UpdateProduct product;
    product.productNumber = row.productNumber;
    product.revision = row.revision;
    product.currentVersion = row.currentVersion;
    product.vendorWord = std::string(row.vendorWord);
    product.modelCode = std::string(row.modelCode);
    product.shortName = std::string(row.shortName);
    product.displayName = std::string(row.displayName);
    product.versionText = std::string(row.versionText);
    return product;
}

} // namespace

std::int32_t FirmwareVersion(std::span<const std::uint8_t, 34> deviceInfo)
{
    return deviceInfo[32] | (deviceInfo[33] << 8);
}

std::vector<UpdateProduct> AllProducts(const std::array<DeviceVersion, kFirmwareProductCount>& devices)
{
    static_assert(UpdateProductTable.size() == kFirmwareProductCount + 1);
    std::vector<UpdateProduct> products;
    for (std::size_t i = 0; i < UpdateProductTable.size(); ++i) {
        UpdateProduct product = FromRow(UpdateProductTable[i]);
        if (i < kFirmwareProductCount) {
            product.currentVersion = devices[i].version;
            if (devices[i].viaReceiver)
                product.revision = -1;
        } else {
            product.currentVersion = settings::ReadInstalledVersion();
        }
        products.push_back(std::move(product));
    }
    return products;
}

std::vector<UpdateProduct> PresentProducts(const std::array<DeviceVersion, kFirmwareProductCount>& devices)
{
    std::vector<UpdateProduct> present;
    for (UpdateProduct& product : AllProducts(devices)) {
        if (product.currentVersion != 0)
            present.push_back(std::move(product));
    }
    return present;
}

std::string BuildAppKey(const UpdateProduct& product)
{
    if (product.currentVersion == 0)
        return "NULL";
    return product.vendorWord + "_" + std::to_string(product.productNumber) + "_" + product.modelCode + "_" +
           product.shortName + "_" + std::to_string(product.revision);
}

std::string VersionText(std::int32_t version, bool hexVersions)
{
    char text[16];
    if (hexVersions)
        std::snprintf(text, sizeof text, "V%04x", static_cast<unsigned>(version));
    else
        std::snprintf(text, sizeof text, "V%d", version);
    return text;
}

std::string ShownCurrentVersion(const UpdateProduct& product)
{
    if (!product.HexVersions() && !product.versionText.empty())
        return product.versionText;
    return VersionText(product.currentVersion, product.HexVersions());
}

} // namespace orvel::update
