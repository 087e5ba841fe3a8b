#pragma once
// The four named colour styles of the music lighting, kept for the whole program in
// "AudioFile.json" (a user copy, made from the program's default copy), and the rules of the
// music settings window that edits them.
//
// The file: {"Device": {"AudioLightInfo": {"nAudioStyle": style, "nStyleName1".."nStyleName4":
// names, "nStyleR0", "nStyleG0", "nStyleB0" .. "nStyleB3": levels}, ...}, ...}. The program keeps
// the "Device" object (the audio root) and writes it back into the file with the file's other
// members kept.

#include <json/value.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::lighting {

inline constexpr int kAudioStyles = 4;
inline constexpr const char* kAudioFileName = "AudioFile.json";

struct AudioStyleSettings {
    std::uint8_t style = 0;                            // 0..3
    std::array<std::string, kAudioStyles> names;       // UTF-8
    std::array<std::array<std::uint8_t, 3>, kAudioStyles> levels{}; // R, G, B of each style, 0..9

    bool operator==(const AudioStyleSettings&) const = default;

    // The music window's edits. A name left empty becomes the style's default group name;
    // the name that stands afterwards.
    const std::string& SetName(int style, const std::string& name);
    void SetLevel(int channel, int value); // of the selected style, kept within 0..9
};

// The default group names "第一组" .. "第四组".
const std::string& DefaultStyleName(int style);

// The settings under root["AudioLightInfo"]; a missing or wrongly typed member reads as its
// default (0 and empty), integers are kept in 8 bits, and a style outside 0..3 reads as 0.
AudioStyleSettings ReadAudioStyles(const Json::Value& audioRoot);
// Writes the settings as root["AudioLightInfo"], replacing what was there.
void StoreAudioStyles(Json::Value& audioRoot, const AudioStyleSettings& settings);

// The colour block for the capture program: the selected style's R, G, B (a G of 0 goes as 1)
// as 32-bit values, then zeros up to its 40 bytes.
std::vector<std::uint8_t> ColourBlockOf(const AudioStyleSettings& settings);

class AudioFile {
public:
    AudioFile(std::filesystem::path user, std::filesystem::path defaults);
    // The user's data folder and the program's DefaultData.
    static AudioFile Standard();

    // Reads the user file (made from the default when missing or unusable) and keeps its
    // "Device" object; the settings read from it.
    AudioStyleSettings Load();
    // The settings as the audio root holds them now.
    AudioStyleSettings Settings() const { return ReadAudioStyles(root_); }
    // The music window confirmed: the settings go into the audio root and the user file (its
    // other members kept). False when the file could not be written.
    bool Save(const AudioStyleSettings& settings);
    // The default file over the user file; the settings read from it. Without a default file
    // the file and the settings stay as they are.
    AudioStyleSettings Reset();

    const Json::Value& Root() const { return root_; }
    const std::filesystem::path& UserPath() const { return user_; }

private:
    std::filesystem::path user_;
    std::filesystem::path defaults_;
    Json::Value root_;
};

} // namespace orvel::lighting
