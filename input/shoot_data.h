#pragma once
// Shoot data of a mouse: four recoil patterns "ShootData_<n>.Shoot" in the profile folder,
// each a JSON object whose "Events" array holds 30 bullets of six events (left press, left
// release, horizontal move, vertical move with the bullet delay, two zero moves). The shoot
// panel binds its controls to these functions; the default copies live in a default folder.

#include "input/assignment_code.h"
#include "input/event_image.h"
#include "input/macro_event.h"

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace orvel::input {

inline constexpr int kBulletCount = 30;
inline constexpr int kEventsPerBullet = 6;
inline constexpr size_t kShootEventLimit = kBulletCount * kEventsPerBullet; // per gun

int ClampGun(int gun);
int ClampBullet(int bullet);
inline int PreviousBullet(int bullet) { return ClampBullet(bullet - 1); }
inline int NextBullet(int bullet) { return ClampBullet(bullet + 1); }

std::filesystem::path ShootFile(const std::filesystem::path& folder, int gun);

struct Bullet {
    bool left = false; // horizontal direction: left, else right
    uint8_t x = 0;
    bool up = false;   // vertical direction: up, else down
    uint8_t y = 0;
    uint16_t delay = 0;

    friend bool operator==(const Bullet&, const Bullet&) = default;
};

// The six events of a bullet.
std::vector<MacroEvent> BulletEvents(const Bullet& bullet);

// The panel's bullet controls: "bullet_x_check", "bullet_x_eidt", "bullet_y_check",
// "bullet_y_eidt", "bullet_delay_eidt".
struct BulletFields {
    bool xChecked = false;
    std::string x;
    bool yChecked = false;
    std::string y;
    std::string delay;

    friend bool operator==(const BulletFields&, const BulletFields&) = default;
};

// The texts of the direction options for their state.
const char* HorizontalLabel(bool checked); // "mouse_move_to_left_text" / "…_right_text"
const char* VerticalLabel(bool checked);   // "mouse_move_to_up_text" / "…_down_text"

enum class ShootStatus {
    Done,
    TooLarge,   // import: the file is above 1 MiB
    NotJson,    // import: not a JSON document
    WrongShape, // import: no "Events" array of at most 180 well-formed events
    Invalid,    // the stored gun file is not valid: it is left alone
    Missing,    // reset: no default file
    Failed,     // a file could not be read or written
};

// The fields showing bullet b of gun g; nothing when the gun's file is not valid.
std::optional<BulletFields> ShowBullet(const std::filesystem::path& folder, int gun, int bullet);
// The same from a gun document already read.
std::optional<BulletFields> ShowBullet(const Json::Value& gunDocument, int bullet);

// Stores the fields as bullet b of gun g. The numbers are read as decimal (not a number
// reads 0), clamped (distances 0-255, delay 0-65535) and written back into fields.
ShootStatus SaveBullet(const std::filesystem::path& folder, int gun, int bullet, BulletFields& fields);

ShootStatus ResetGun(const std::filesystem::path& folder, const std::filesystem::path& defaultFolder, int gun);
ShootStatus ImportGun(const std::filesystem::path& folder, int gun, const std::filesystem::path& source);
ShootStatus ExportGun(const std::filesystem::path& folder, int gun, const std::filesystem::path& target);

// Gives every gun a valid file: a missing one is copied from the default folder; an invalid
// one is first kept as "<name>.bad". Returns the guns whose file was replaced.
std::vector<int> RepairGunFiles(const std::filesystem::path& folder, const std::filesystem::path& defaultFolder);

// The device image of the four guns (16 + 24 + 4 × events; 2920 bytes for four full files).
// A missing or invalid file gives an empty section; each gun is cut to 180 events.
ImageResult BuildShootImage(const std::filesystem::path& folder, size_t capacityBytes);
// The same from the four gun documents already read.
ImageResult BuildShootImage(std::span<const Json::Value, kGunCount> guns, size_t capacityBytes);

} // namespace orvel::input
