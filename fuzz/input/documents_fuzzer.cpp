// Feeds outside documents to the macro and shoot readers and image builders. The first byte
// chooses what the rest is: a macro list, a macro file, a shoot file, or a profile document
// whose keys are renumbered when a macro is deleted. Nothing may throw or name a file outside
// the folder, and every event read reads the same after it is written back.
#include "fuzz/document_fuzzing.h"
#include "input/macro_library.h"
#include "input/shoot_data.h"
#include "profiles/jsonaccess.h"
#include "tests/support/temp_folder.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string_view>

namespace {

namespace fs = std::filesystem;
using namespace orvel::input;
using orvel::fuzzing::Require;

enum Kind : uint8_t { kMacroList, kMacroFile, kShootFile, kProfile, kKinds };

const char* const kListMember[kKinds] = {"MacroInfo", "Events", "Events", "Device"};

const fs::path& Folder()
{
    static const orvel::testing::TempFolder folder;
    return folder.path();
}

void Write(const fs::path& path, std::string_view bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const char* kList = R"({"MacroInfo":[{"MacroName":"a","Guid":"g0"},{"MacroName":"b","Guid":"g1"}]})";
const char* kMacro = R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":"300"}]})";

void Events(const Json::Value& document)
{
    HasWellFormedEvents(document, std::numeric_limits<size_t>::max());
    const std::vector<MacroEvent> events = MacroEvents(document);
    for (const MacroEvent& e : events) {
        Require(ParseEvent(EventToJson(e, DelayForm::String)) == e, "a macro event written back reads the same");
        Require(ParseEvent(EventToJson(e, DelayForm::Integer)) == e, "a shoot event written back reads the same");
        DeviceEvent(e);
        RowNameKey(e);
    }
    const std::vector<std::vector<MacroEvent>> sections = {events, events};
    BuildEventImage(sections, {32 * 128, kMacroEventLimit});
}

void InMemory(Kind kind, const Json::Value& document)
{
    switch (kind) {
    case kMacroList: {
        MacroLibrary library(Folder());
        library.LoadListDocument(document);
        library.Names();
        for (size_t i = 0; i < library.Macros().size(); ++i) {
            const fs::path file = library.MacroFile(static_cast<int>(i));
            Require(file.empty() || file.parent_path() == Folder(), "a macro file lies in the macro folder");
        }
        break;
    }
    case kMacroFile:
        Events(document);
        break;
    case kShootFile: {
        for (const int bullet : {0, 3, 29}) {
            ShowBullet(document, bullet);
        }
        const std::array<Json::Value, kGunCount> guns = {document, Json::Value(), document, document};
        BuildShootImage(guns, 4096);
        break;
    }
    default: {
        for (const int macro : {0, 1, 49}) {
            DocumentUsesMacro(document, macro);
        }
        Json::Value profile = document;
        const Json::Value& devices = orvel::profiles::JsonMember(profile, "Device");
        if (orvel::profiles::JsonElement(devices, 0).isObject()) {
            RenumberMacroKeys(profile["Device"][0]["KeyList"], 0);
        }
        break;
    }
    }
}

// What the file operations below branch on: the kind, and whether the document reads as an
// object with the array that kind lists.
unsigned Shape(Kind kind, const Json::Value& document)
{
    const unsigned top = document.isNull() ? 0 : document.isObject() ? 1 : 2;
    const unsigned listed = orvel::profiles::JsonMember(document, kListMember[kind]).isArray() ? 1 : 0;
    return (unsigned(kind) * 3 + top) * 2 + listed;
}

void OnFiles(Kind kind, std::string_view bytes)
{
    const fs::path& folder = Folder();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        fs::remove_all(entry.path(), ec);
    }
    Write(folder / "macro.config", kList);
    Write(folder / "g0.mac", kMacro);
    Write(folder / "g1.mac", kMacro);
    const fs::path profile = folder / "p.Json";
    const fs::path target[kKinds] = {folder / "macro.config", folder / "g1.mac", ShootFile(folder, 0), profile};
    Write(target[kind], bytes);

    MacroLibrary library(folder);
    library.Load();
    const std::vector<int> all = {0, 1, 0, 2, 49};
    library.BuildImage(all, 32);
    library.LoadEvents(1);
    BuildShootImage(folder, 4096);
    ShowBullet(folder, 0, 3);
    int index = -1;
    library.Import(folder / "g1.mac", index);
    ImportGun(folder, 1, ShootFile(folder, 0));
    if (kind == kProfile) {
        ProfileUsesMacro(profile, 0);
        library.Delete(0, profile);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const Kind kind = static_cast<Kind>(data[0] % kKinds);
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const Json::Value document = orvel::fuzzing::DocumentOf(bytes);
    InMemory(kind, document);
    if (orvel::fuzzing::FirstOfItsShape(Shape(kind, document))) {
        OnFiles(kind, bytes);
    }
    return 0;
}
