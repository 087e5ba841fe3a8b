#include "app/skin_settings.h"

#include "app/ini_file.h"
#include "platform/paths.h"
#include "platform/text.h"

namespace orvel::app {

bool WriteSkinImage(const std::filesystem::path& file, bool shipped, const std::wstring& image)
{
    if (!paths::CreateFolders(file.parent_path()))
        return false;
    IniFile ini = IniFile::Load(file);
    ini.Set(kSkinSection, "FLAGS", shipped ? "1" : "0");
    ini.Set(kSkinSection, "IMAGE", text::ToUtf8(image));
    return ini.Save(file);
}

std::optional<SkinChangedParam> ReadSkinImage(const std::filesystem::path& file)
{
    const IniFile ini = IniFile::Load(file);
    const auto flags = ini.Get(kSkinSection, "FLAGS");
    const auto image = ini.Get(kSkinSection, "IMAGE");
    if (!flags || *flags != "1" || !image || image->empty())
        return std::nullopt;
    SkinChangedParam param;
    param.image = text::FromUtf8(*image);
    return param;
}

} // namespace orvel::app
