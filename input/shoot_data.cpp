#include "input/shoot_data.h"

#include "input/assignment_code.h"
#include "input/decimal.h"
#include "input/file_bytes.h"
#include "platform/atomicfile.h"
#include "platform/debuglog.h"
#include "profiles/jsonfile.h"

#include <algorithm>
#include <array>

namespace orvel::input {
namespace fs = std::filesystem;

namespace {

bool IsValidGunDocument(const Json::Value& document)
{
    return HasWellFormedEvents(document, kShootEventLimit);
}

// A stored gun file, or null when it is missing, too large or not of the right shape.
Json::Value LoadGun(const fs::path& folder, int gun)
{
    Json::Value document = LoadSmallJsonFile(ShootFile(folder, gun));
    return IsValidGunDocument(document) ? document : Json::Value();
}

MacroEvent EventAt(const Json::Value& events, int index)
{
    if (index < 0 || static_cast<Json::ArrayIndex>(index) >= events.size()) {
        return {};
    }
    return ParseEvent(events[static_cast<Json::ArrayIndex>(index)]).value_or(MacroEvent {});
}

} // namespace

int ClampGun(int gun)
{
    return std::clamp(gun, 0, kGunCount - 1);
}

int ClampBullet(int bullet)
{
    return std::clamp(bullet, 0, kBulletCount - 1);
}

fs::path ShootFile(const fs::path& folder, int gun)
{
    return folder / ("ShootData_" + std::to_string(ClampGun(gun)) + ".Shoot");
}

std::vector<MacroEvent> BulletEvents(const Bullet& b)
{
    return {
        {true, eventtype::kMouseButton, 1, 10},
        {false, eventtype::kMouseButton, 1, 0},
        {b.left, eventtype::kMoveHorizontal, b.x, 5},
        {b.up, eventtype::kMoveVertical, b.y, b.delay},
        {b.left, eventtype::kMoveHorizontal, 0, 0},
        {b.up, eventtype::kMoveVertical, 0, 0},
    };
}

const char* HorizontalLabel(bool checked)
{
    return checked ? "mouse_move_to_left_text" : "mouse_move_to_right_text";
}

const char* VerticalLabel(bool checked)
{
    return checked ? "mouse_move_to_up_text" : "mouse_move_to_down_text";
}

std::optional<BulletFields> ShowBullet(const fs::path& folder, int gun, int bullet)
{
    const Json::Value document = LoadGun(folder, gun);
    if (document.isNull()) {
        return std::nullopt;
    }
    const int first = ClampBullet(bullet) * kEventsPerBullet;
    const MacroEvent horizontal = EventAt(document["Events"], first + 2);
    const MacroEvent vertical = EventAt(document["Events"], first + 3);
    return BulletFields {horizontal.down, std::to_string(horizontal.button), vertical.down,
                         std::to_string(vertical.button), std::to_string(vertical.delay)};
}

ShootStatus SaveBullet(const fs::path& folder, int gun, int bullet, BulletFields& fields)
{
    Bullet b;
    b.left = fields.xChecked;
    b.up = fields.yChecked;
    b.x = static_cast<uint8_t>(ParseClamped(fields.x, 0, 255));
    b.y = static_cast<uint8_t>(ParseClamped(fields.y, 0, 255));
    b.delay = static_cast<uint16_t>(ParseClamped(fields.delay, 0, kMaxDelay));
    fields.x = std::to_string(b.x);
    fields.y = std::to_string(b.y);
    fields.delay = std::to_string(b.delay);

    Json::Value document = LoadGun(folder, gun);
    if (document.isNull()) {
        return ShootStatus::Invalid;
    }
    Json::Value& events = document["Events"];
    const auto first = static_cast<Json::ArrayIndex>(ClampBullet(bullet) * kEventsPerBullet);
    // A short pattern is filled up to this bullet with bullets that do not move.
    while (events.size() < first) {
        for (const MacroEvent& e : BulletEvents(Bullet {})) {
            events.append(EventToJson(e, DelayForm::Integer));
        }
    }
    const std::vector<MacroEvent> six = BulletEvents(b);
    for (Json::ArrayIndex i = 0; i < six.size(); ++i) {
        events[first + i] = EventToJson(six[i], DelayForm::Integer);
    }
    return profiles::SaveJsonFile(ShootFile(folder, gun), document) ? ShootStatus::Done : ShootStatus::Failed;
}

ShootStatus ResetGun(const fs::path& folder, const fs::path& defaultFolder, int gun)
{
    const fs::path source = ShootFile(defaultFolder, gun);
    std::error_code ec;
    if (!fs::is_regular_file(source, ec)) {
        return ShootStatus::Missing;
    }
    return CopyFileBytes(source, ShootFile(folder, gun)) ? ShootStatus::Done : ShootStatus::Failed;
}

ShootStatus ImportGun(const fs::path& folder, int gun, const fs::path& source)
{
    const ImportFile file = ReadImportFile(source);
    switch (file.check) {
    case ImportCheck::Unreadable:
        return ShootStatus::Failed;
    case ImportCheck::TooLarge:
        return ShootStatus::TooLarge;
    case ImportCheck::NotJson:
        return ShootStatus::NotJson;
    case ImportCheck::Ok:
        break;
    }
    if (!IsValidGunDocument(file.document)) {
        return ShootStatus::WrongShape;
    }
    return atomicfile::WriteFileAtomically(ShootFile(folder, gun), file.bytes) ? ShootStatus::Done : ShootStatus::Failed;
}

ShootStatus ExportGun(const fs::path& folder, int gun, const fs::path& target)
{
    return CopyFileBytes(ShootFile(folder, gun), target) ? ShootStatus::Done : ShootStatus::Failed;
}

std::vector<int> RepairGunFiles(const fs::path& folder, const fs::path& defaultFolder)
{
    std::vector<int> replaced;
    for (int gun = 0; gun < kGunCount; ++gun) {
        const fs::path file = ShootFile(folder, gun);
        std::error_code ec;
        const bool exists = fs::exists(file, ec);
        if (exists && !LoadGun(folder, gun).isNull()) {
            continue;
        }
        if (!fs::is_regular_file(ShootFile(defaultFolder, gun), ec)) {
            debuglog::Writef("no default shoot file for gun %d", gun);
            continue;
        }
        if (exists && profiles::MoveAside(file).empty()) {
            continue;
        }
        if (ResetGun(folder, defaultFolder, gun) == ShootStatus::Done) {
            replaced.push_back(gun);
        }
    }
    return replaced;
}

ImageResult BuildShootImage(const fs::path& folder, size_t capacityBytes)
{
    std::array<std::vector<MacroEvent>, kGunCount> sections;
    for (int gun = 0; gun < kGunCount; ++gun) {
        const Json::Value document = LoadSmallJsonFile(ShootFile(folder, gun));
        if (!document.isObject() || !document["Events"].isArray()) {
            continue;
        }
        const Json::Value& events = document["Events"];
        for (Json::ArrayIndex i = 0; i < events.size() && sections[size_t(gun)].size() < kShootEventLimit; ++i) {
            if (const auto event = ParseEvent(events[i])) {
                sections[size_t(gun)].push_back(*event);
            }
        }
    }
    return BuildEventImage(sections, {capacityBytes, kShootEventLimit});
}

} // namespace orvel::input
