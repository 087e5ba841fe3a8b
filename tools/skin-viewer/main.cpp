// skin-viewer: shows a layout file of a skin folder in a window, or renders it to a PNG file,
// so layouts can be looked at while they are written.
//
//   skin-viewer [--skin FOLDER] [--dpi 96|120|144|...] [--size WxH] [--png FILE] LAYOUT
//
// The PNG holds the window as shown, with its shadow and per-pixel alpha (size: the client
// size plus the shadow's margin).
//
// LAYOUT is a file name under the skin folder (backslashes allowed) or a res.xml id. The skin
// folder defaults to the program's "skin" folder; its res.xml is read when present. Tags
// that belong to the program's own panels are left out (their windows build them).

#include <QApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "ui/UIlib.h"
#include "ui/host_widget.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: skin-viewer [--skin FOLDER] [--dpi N] [--size WxH] [--png FILE] LAYOUT\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    std::string skin, png, layout, size;
    int dpi = 96;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--skin") skin = next();
        else if (a == "--png") png = next();
        else if (a == "--dpi") dpi = std::atoi(next().c_str());
        else if (a == "--size") size = next();
        else if (a == "-h" || a == "--help") return Usage();
        else layout = a;
    }
    if (layout.empty()) return Usage();
    if (!png.empty() && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    using namespace DuiLib;
    RegisterCustomControls();
    if (skin.empty()) skin = (CPaintManagerUI::GetInstancePath() + L"skin").ToUtf8();
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(std::filesystem::absolute(skin).string()));
    if (std::filesystem::exists(std::filesystem::path(skin) / "res.xml")) CResourceManager::GetInstance()->LoadResource(L"res.xml");

    CPaintManagerUI pm;
    CUIHostWidget host(&pm, nullptr, Qt::Window);
    if (dpi != 96 && !pm.SetDPI(dpi)) {
        std::fprintf(stderr, "skin-viewer: DPI %d is not one of 48, 72, 96, 120, 144, 168, 192\n", dpi);
        return 2;
    }
    CDialogBuilder builder;
    CControlUI* root = builder.Create(CDuiString::FromUtf8(layout), nullptr, nullptr, &pm);
    if (!root) {
        std::fprintf(stderr, "skin-viewer: %s\n", CDuiString(builder.GetLastErrorMessage()).ToUtf8().c_str());
        return 1;
    }
    pm.AttachDialog(root);
    SIZE client = pm.GetInitSize();
    if (!size.empty()) {
        int w = 0, h = 0;
        if (std::sscanf(size.c_str(), "%dx%d", &w, &h) == 2) client = SIZE{w, h};
    }
    if (client.cx <= 0 || client.cy <= 0) client = SIZE{800, 600};
    host.setWindowTitle(QString::fromStdString(layout));
    const RECT margin = pm.GetClientMargin();
    host.resize(client.cx + margin.left + margin.right, client.cy + margin.top + margin.bottom);
    if (!png.empty()) {
        // The window as shown: its shadow, and alpha where a layered window is clear.
        const QImage image = host.RenderWindow();
        if (!image.save(QString::fromStdString(png))) {
            std::fprintf(stderr, "skin-viewer: could not write %s\n", png.c_str());
            return 1;
        }
        return 0;
    }
    host.show();
    return app.exec();
}
