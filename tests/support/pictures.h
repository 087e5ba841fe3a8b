#pragma once
// Pictures of windows for looking at: a UI test writes the window it checks as
// $ORVEL_PICTURES/<name>.png when that folder is set, and nothing otherwise.
//   ORVEL_PICTURES=build/screenshots ctest --test-dir build -R <tests>

#include "ui/host_widget.h"

#include <QImage>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orvel::testing {

inline void SavePicture(QWidget* window, const std::string& name)
{
    const char* folder = std::getenv("ORVEL_PICTURES");
    auto* host = dynamic_cast<DuiLib::CUIHostWidget*>(window);
    if (folder == nullptr || *folder == '\0' || host == nullptr)
        return;
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    host->RenderWindow().save(QString::fromStdString((std::filesystem::path(folder) / (name + ".png")).string()));
}

} // namespace orvel::testing
