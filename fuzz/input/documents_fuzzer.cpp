// Feeds outside documents to the macro and shoot readers and image builders. The first byte
// chooses what the rest is: a macro list, a macro file, a shoot file, or a profile document
// whose keys are renumbered when a macro is deleted.
#include "input/macro_library.h"
#include "input/shoot_data.h"
#include "profiles/jsonfile.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace orvel::input;

// One scratch folder for the whole run, removed at exit.
class ScratchFolder {
public:
    ScratchFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "orvel-input-fuzz-XXXXXX").string();
        const char* made = ::mkdtemp(pattern.data());
        if (made == nullptr) {
            std::abort();
        }
        path_ = made;
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

const fs::path& Folder()
{
    static const ScratchFolder folder;
    return folder.path();
}

void Write(const fs::path& path, const uint8_t* data, size_t size)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void WriteText(const fs::path& path, const std::string& text)
{
    Write(path, reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

const char* kList = R"({"MacroInfo":[{"MacroName":"a","Guid":"g0"},{"MacroName":"b","Guid":"g1"}]})";
const char* kMacro = R"({"Events":[{"Action":"down","Type":10,"Button":4,"Delay":"300"}]})";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) {
        return 0;
    }
    const fs::path& folder = Folder();
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        fs::remove_all(entry.path(), ec);
    }
    const uint8_t kind = data[0] % 4;
    ++data;
    --size;
    WriteText(folder / "macro.config", kList);
    WriteText(folder / "g0.mac", kMacro);
    WriteText(folder / "g1.mac", kMacro);
    switch (kind) {
    case 0:
        Write(folder / "macro.config", data, size);
        break;
    case 1:
        Write(folder / "g1.mac", data, size);
        break;
    case 2:
        Write(ShootFile(folder, 0), data, size);
        break;
    default:
        Write(folder / "p.Json", data, size);
        break;
    }

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
    if (kind == 3) {
        ProfileUsesMacro(folder / "p.Json", 0);
        library.Delete(0, folder / "p.Json");
    }
    return 0;
}
