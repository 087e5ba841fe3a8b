#pragma once
// The shoot panel's state without its controls: the folders, the selected gun and bullet,
// what the bullet controls show, and the message each result gives. The panel reads its
// bullet controls into BulletFields and shows what comes back.

#include "input/shoot_data.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orvel::input {

class ShootPanel {
public:
    // The mouse's profile folder and the folder of the default ".Shoot" files.
    void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
    void SetDefaultFolder(std::filesystem::path folder) { defaultFolder_ = std::move(folder); }

    // Gives every gun a valid file (a broken one is kept as "<name>.bad"); the guns replaced.
    std::vector<int> Initialise();

    int Gun() const { return gun_; }
    int Bullet() const { return bullet_; } // -1 before a bullet was selected
    // "bullet_select_index": the selected bullet counted from 1; empty before a selection.
    std::string BulletLabel() const;

    // "shoot_gun_op_" + n: the gun (clamped), then its selected bullet when one is.
    std::optional<BulletFields> SelectGun(int gun);
    // "bullet_op_" + n, "bullet_selected_prev", "bullet_selected_next" (clamped to 0-29).
    std::optional<BulletFields> SelectBullet(int bullet);
    std::optional<BulletFields> PreviousBullet() { return SelectBullet(bullet_ - 1); }
    std::optional<BulletFields> NextBullet() { return SelectBullet(bullet_ + 1); }
    // The selected bullet of the selected gun; nothing before a bullet was selected or when the
    // gun's file is not valid.
    std::optional<BulletFields> ShowSelected() const;

    // A bullet edit lost the focus: the bullet (directions included) is stored. Without a
    // selected bullet nothing is stored.
    ShootStatus Save(BulletFields& fields);
    // "shootdate_reset_btn", "shootdate_import_btn", "shootdate_export_btn" on the selected gun.
    ShootStatus Reset();
    ShootStatus Import(const std::filesystem::path& source);
    ShootStatus Export(const std::filesystem::path& target) const;

private:
    std::filesystem::path folder_;
    std::filesystem::path defaultFolder_;
    int gun_ = 0;
    int bullet_ = -1;
};

// The language key of the message a shoot result shows; empty for Done.
const char* ShootMessage(ShootStatus status);

} // namespace orvel::input
