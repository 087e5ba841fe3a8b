#include "lighting/colour_picker.h"

#include "platform/paths.h"
#include "platform/text.h"
#include "profiles/jsonaccess.h"
#include "profiles/jsonfile.h"
#include "profiles/user_copy.h"

#include <algorithm>
#include <cwctype>
#include <functional>

namespace orvel::lighting {

namespace {

constexpr const char* kInfo = "coloroptioninfo";
constexpr const char* kPresets = "palletDialogcoloroption";
constexpr const char* kPresetSelect = "palletDialogcoloroption_selectitem";
constexpr const char* kCollected = "palletDialogcollectcoloroption";
constexpr const char* kCollectedSelect = "palletDialogcollectcoloroption_selectitem";

bool Usable(const Json::Value& document) { return profiles::JsonObject(document, kInfo).isObject(); }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// A stored colour: one to eight hexadecimal digits.
std::optional<uint32_t> ParseColour(const std::string& text)
{
    if (text.empty() || text.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : text) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
        if (digit < 0) return std::nullopt;
        value = value << 4 | uint32_t(digit);
    }
    return value;
}

} // namespace

std::optional<SwatchName> ParseSwatchName(std::wstring_view name)
{
    const std::size_t cut = name.rfind(L'_');
    if (cut == std::wstring_view::npos) return std::nullopt;
    const std::wstring_view prefix = name.substr(0, cut + 1);
    const std::wstring_view digits = name.substr(cut + 1);
    if (digits.empty() || digits.size() > 6 || !std::all_of(digits.begin(), digits.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; }))
        return std::nullopt;
    const int number = std::stoi(std::wstring(digits));
    if (SameIgnoringCase(prefix, L"color_option_")) return SwatchName{SwatchName::Preset, number};
    if (SameIgnoringCase(prefix, L"collect_color_option_")) return SwatchName{SwatchName::Collected, number};
    return std::nullopt;
}

ColourEdit ReadColourEdit(std::wstring_view text)
{
    std::size_t at = 0;
    while (at < text.size() && std::iswspace(text[at])) ++at;
    const bool negative = at < text.size() && text[at] == L'-';
    if (at < text.size() && (text[at] == L'-' || text[at] == L'+')) ++at;
    long long value = 0;
    bool digits = false;
    for (; at < text.size() && text[at] >= L'0' && text[at] <= L'9'; ++at) {
        digits = true;
        value = std::min<long long>(value * 10 + (text[at] - L'0'), 1000);
    }
    const int component = !digits || negative ? 0 : int(std::min<long long>(value, 255));
    return {component, std::to_wstring(component)};
}

ColourPicker::ColourPicker(std::filesystem::path user, std::filesystem::path defaults, const Presets& presets,
                           const Collected& collected)
    : user_(std::move(user)), defaults_(std::move(defaults)), presets_(presets)
{
    view_.collected = collected;
}

ColourPicker ColourPicker::Standard(const Presets& presets, const Collected& collected)
{
    return ColourPicker(paths::UserDataFolder() / kColourFileName, paths::ProgramFolder() / "DefaultData" / kColourFileName,
                        presets, collected);
}

void ColourPicker::ShowEdits(uint32_t colour)
{
    view_.edits = {std::to_wstring(colour >> 16 & 0xFF), std::to_wstring(colour >> 8 & 0xFF), std::to_wstring(colour & 0xFF)};
}

void ColourPicker::SetColour(uint32_t colour)
{
    view_.previewImage = false;
    view_.preview = colour;
    view_.palette = colour;
    currentColour_ = colour;
    ShowEdits(colour);
}

void ColourPicker::SetSevenColour(bool on)
{
    sevenColour_ = on;
    view_.sevenColour = on;
    view_.previewImage = on;
}

void ColourPicker::Start()
{
    const Json::Value document = profiles::LoadUserCopy(user_, defaults_, Usable);
    SetColour(currentColour_);
    SetSevenColour(sevenColour_);
    const Json::Value& info = profiles::JsonObject(document, kInfo);
    if (const auto index = profiles::JsonToInt(profiles::JsonMember(info, kPresetSelect)))
        presetIndex_ = int(std::clamp<int64_t>(*index, INT32_MIN, INT32_MAX));
    const Json::Value& stored = profiles::JsonArray(info, kCollected);
    for (int i = 0; i < kPickerSwatches; ++i) {
        const Json::Value& entry = profiles::JsonElement(stored, Json::ArrayIndex(i));
        const auto colour = ParseColour(profiles::JsonString(entry, "color"));
        std::optional<CollectedSwatch>& swatch = view_.collected[i];
        if (!colour || !swatch) continue;
        swatch->colour = 0xFFFFFFFF;
        swatch->userData = profiles::JsonString(entry, "UserData");
        if (swatch->Filled()) {
            swatch->colour = *colour;
            swatch->borderless = true;
        }
    }
    // No collected swatch is chosen when the dialog opens; a stored choice is not taken up.
    if (!profiles::JsonMember(info, kCollectedSelect).isNull()) collectIndex_ = -1;
}

void ColourPicker::ApplyColour()
{
    if (collectSelected_ && collectIndex_ >= 0 && collectIndex_ < kPickerSwatches && view_.collected[collectIndex_]) {
        CollectedSwatch& swatch = *view_.collected[collectIndex_];
        swatch.colour = currentColour_;
        swatch.userData.assign(1, '1'); // "1": a filled swatch
        swatch.borderless = true;
        SaveCollected();
    }
    view_.preview = currentColour_;
    SetSevenColour(false);
}

void ColourPicker::OnPresetSelected(int n)
{
    if (n < 0 || n >= kPickerSwatches || !presets_[n]) return;
    presetIndex_ = n;
    SavePresets();
    currentColour_ = *presets_[n];
    view_.palette = currentColour_;
    ApplyColour();
    ShowEdits(currentColour_);
}

void ColourPicker::OnCollectedSelected(int n)
{
    if (n < 0 || n >= kPickerSwatches || !view_.collected[n]) return;
    collectIndex_ = n;
    collectSelected_ = true;
    const CollectedSwatch& swatch = *view_.collected[n];
    if (!swatch.Filled()) return;
    SaveCollected();
    view_.preview = swatch.colour;
    SetSevenColour(false);
    view_.palette = swatch.colour;
    ShowEdits(swatch.colour);
}

void ColourPicker::OnSevenColourClicked(bool selected)
{
    sevenColour_ = selected;
    view_.sevenColour = selected;
    view_.previewImage = selected;
}

void ColourPicker::OnEditsLeft(std::wstring_view r, std::wstring_view g, std::wstring_view b)
{
    const ColourEdit red = ReadColourEdit(r), green = ReadColourEdit(g), blue = ReadColourEdit(b);
    view_.edits = {red.text, green.text, blue.text};
    currentColour_ = 0xFF000000u | uint32_t(red.value) << 16 | uint32_t(green.value) << 8 | uint32_t(blue.value);
    view_.palette = currentColour_;
    ApplyColour();
}

void ColourPicker::OnPaletteChanged(uint32_t colour)
{
    currentColour_ = colour;
    view_.palette = colour;
    ApplyColour();
    ShowEdits(colour);
}

void ColourPicker::SaveSwatches(const char* key, const char* selectKey, int selected,
                               const std::function<void(int, Json::Value&)>& entry)
{
    Json::Value document;
    if (!profiles::ReadForUpdate(user_, Usable, document)) return;
    Json::Value& info = profiles::JsonObjectAt(document, kInfo);
    Json::Value& entries = profiles::JsonArrayAt(info, key);
    for (int i = 0; i < kPickerSwatches; ++i) entry(i, entries);
    info[selectKey] = selected;
    profiles::SaveUserFile(user_, document);
}

void ColourPicker::SavePresets()
{
    SaveSwatches(kPresets, kPresetSelect, presetIndex_, [this](int i, Json::Value& entries) {
        if (presets_[i]) profiles::JsonSet(profiles::JsonElementAt(entries, Json::ArrayIndex(i)), "color", text::HexUpper8(*presets_[i]));
    });
}

void ColourPicker::SaveCollected()
{
    SaveSwatches(kCollected, kCollectedSelect, collectIndex_, [this](int i, Json::Value& entries) {
        if (!view_.collected[i]) return;
        Json::Value& entry = profiles::JsonElementAt(entries, Json::ArrayIndex(i));
        profiles::JsonSet(entry, "color", text::HexUpper8(view_.collected[i]->colour));
        profiles::JsonSet(entry, "UserData", view_.collected[i]->userData);
    });
}

} // namespace orvel::lighting
