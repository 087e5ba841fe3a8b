#include "input/shoot_panel.h"

namespace orvel::input {

std::vector<int> ShootPanel::Initialise()
{
    return RepairGunFiles(folder_, defaultFolder_);
}

std::string ShootPanel::BulletLabel() const
{
    return bullet_ < 0 ? std::string() : std::to_string(bullet_ + 1);
}

std::optional<BulletFields> ShootPanel::SelectGun(int gun)
{
    gun_ = ClampGun(gun);
    return ShowSelected();
}

std::optional<BulletFields> ShootPanel::SelectBullet(int bullet)
{
    bullet_ = ClampBullet(bullet);
    return ShowSelected();
}

std::optional<BulletFields> ShootPanel::ShowSelected() const
{
    if (bullet_ < 0) {
        return std::nullopt;
    }
    return ShowBullet(folder_, gun_, bullet_);
}

ShootStatus ShootPanel::Save(BulletFields& fields)
{
    if (bullet_ < 0) {
        return ShootStatus::Done;
    }
    return SaveBullet(folder_, gun_, bullet_, fields);
}

ShootStatus ShootPanel::Reset()
{
    return ResetGun(folder_, defaultFolder_, gun_);
}

ShootStatus ShootPanel::Import(const std::filesystem::path& source)
{
    return ImportGun(folder_, gun_, source);
}

ShootStatus ShootPanel::Export(const std::filesystem::path& target) const
{
    return ExportGun(folder_, gun_, target);
}

const char* ShootMessage(ShootStatus status)
{
    switch (status) {
    case ShootStatus::Done:
        return "";
    case ShootStatus::TooLarge:
        return "message_shoot_file_too_large";
    case ShootStatus::NotJson:
        return "message_shoot_file_not_json";
    case ShootStatus::WrongShape:
        return "message_shoot_file_wrong_shape";
    case ShootStatus::Invalid:
        return "message_shoot_file_invalid";
    case ShootStatus::Missing:
        return "message_shoot_default_missing";
    case ShootStatus::Failed:
        return "message_shoot_file_failed";
    }
    return "message_shoot_file_failed";
}

} // namespace orvel::input
