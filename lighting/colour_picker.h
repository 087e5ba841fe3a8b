#pragma once
// The colour picker's rules, without its window: the colour being edited, the preview, the
// three decimal edits, the seven-colour choice, 20 preset swatches (their colours come from the
// layout) and 20 collected swatches the user fills, and "color_option_info.config", which keeps
// the preset chosen last and the collected swatches (a user copy made from the program's
// default copy).
//
// The window binds each notification to one operation here and then shows View(). Colours are
// 0xAARRGGBB; a colour typed into the edits has alpha 0xFF, one from the palette or a swatch
// keeps the alpha it has there.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::lighting {

inline constexpr int kPickerSwatches = 20;
inline constexpr const char* kColourFileName = "color_option_info.config";

// "color_option_" N and "collect_color_option_" N, the name split at its last "_" and its
// prefix compared without regard to case. Nothing for any other name.
struct SwatchName {
    enum Kind { Preset, Collected } kind;
    int number;
};
std::optional<SwatchName> ParseSwatchName(std::wstring_view name);

// A colour edit's text read as a decimal component: above 255 gives 255, below 0 or empty (or
// no number at all) gives 0. text is what the edit shows afterwards.
struct ColourEdit {
    int value;
    std::wstring text;
};
ColourEdit ReadColourEdit(std::wstring_view text);

// A collected swatch as the window shows it: its background and selected background colour,
// its user data ("1" when the user filled it) and whether its border is taken away.
struct CollectedSwatch {
    uint32_t colour = 0xFFFFFFFF;
    std::string userData;
    bool borderless = false;
    bool Filled() const { return userData == "1"; }
    bool operator==(const CollectedSwatch&) const = default;
};

class ColourPicker {
public:
    // Swatches the layout lacks are nothing; the others as the layout has them.
    using Presets = std::array<std::optional<uint32_t>, kPickerSwatches>;
    using Collected = std::array<std::optional<CollectedSwatch>, kPickerSwatches>;

    struct View {
        uint32_t preview = 0;      // "color_show_btn" background colour: the result on confirm
        bool previewImage = false; // "color_show_btn" shows the seven-colour picture
        bool sevenColour = false;  // "7color" selected
        uint32_t palette = 0;      // the palette's selected colour
        std::array<std::wstring, 3> edits; // R, G, B
        Collected collected;
    };

    ColourPicker(std::filesystem::path user, std::filesystem::path defaults, const Presets& presets,
                 const Collected& collected);
    // The user's data folder and the program's DefaultData.
    static ColourPicker Standard(const Presets& presets, const Collected& collected);

    // What the owner sets before the dialog starts.
    void SetColour(uint32_t colour);
    void SetSevenColour(bool on);
    // "windowinit": the file read (made from the default when missing or unusable), the colour
    // and the seven-colour choice shown, the preset index and the collected swatches restored.
    void Start();

    // Notifications (the swatch numbers are those of ParseSwatchName; a swatch that became
    // unselected is not passed on).
    void OnPresetSelected(int n);
    void OnCollectedSelected(int n);
    void OnSevenColourClicked(bool selected);
    void OnEditsLeft(std::wstring_view r, std::wstring_view g, std::wstring_view b);
    void OnPaletteChanged(uint32_t colour);

    // "okbtn": the colour shown in the preview.
    uint32_t GetColour() const { return view_.preview; }
    bool GetSevenColour() const { return sevenColour_; }

    const View& GetView() const { return view_; }
    int PresetIndex() const { return presetIndex_; }
    int CollectIndex() const { return collectIndex_; }

private:
    void ShowEdits(uint32_t colour);
    void ApplyColour();
    void SavePresets();
    void SaveCollected();
    // Writes each existing swatch's entry of an array and the selected index into the user file
    // (the entries of swatches the layout lacks stay as the file had them).
    void SaveSwatches(const char* key, const char* selectKey, int selected,
                      const std::function<void(int, Json::Value&)>& entry);

    std::filesystem::path user_;
    std::filesystem::path defaults_;
    Presets presets_;
    View view_;
    uint32_t currentColour_ = 0;
    int presetIndex_ = 4;
    int collectIndex_ = 0;
    bool collectSelected_ = false; // a collected swatch was chosen in this run
    bool sevenColour_ = false;
};

} // namespace orvel::lighting
