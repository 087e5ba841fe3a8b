// skin-viewer: shows a layout file of a skin folder in a window, or renders it to a PNG file,
// so layouts can be looked at while they are written.
//
//   skin-viewer [--skin FOLDER] [--dpi 96|120|144|...] [--size WxH] [--png FILE]
//               [--face FACE] [--lang FILE] [--add NAME=LAYOUT]... [--set NAME.ATTR=VALUE]...
//               [--lights] [--focus NAME] LAYOUT
//
// The PNG holds the window as shown, with its shadow and per-pixel alpha (size: the client
// size plus the shadow's margin).
//
// LAYOUT is a file name under the skin folder (backslashes allowed) or a res.xml id. The skin
// folder defaults to the program's "skin" folder; its res.xml is read when present.
//
// The program's page and panel tags are built as the main window builds them, with the
// program's own page classes (devices/qt); a sub-layout tag ("LightSetControlUI", ...) builds
// its file.
//
//   --face FACE     adds the program's font table (ids 0-11 and 50, default 14 px) in FACE
//   --lang FILE     loads a language file of the skin (e.g. lan_en.xml)
//   --add N=L       builds layout L and adds it to the container named N (in order given), as
//                   the main window adds selector items, power displays and device pages
//   --set N.A=V     sets attribute A to V on every control named N, after the adds
//   --lights        shows every LED button lit, in colours around the wheel
//   --focus N       gives the control named N the keyboard focus, with its focus ring
//
//   skin-viewer --svg FILE --png FILE [--dpi N]
//
// renders one SVG picture to PNG at the scale of the DPI (96: its own size, 144: 1.5 times),
// with the renderer the toolkit draws SVG images with; scripts/skin-png makes the skin's PNG
// pictures this way.

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <algorithm>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "devices/qt/page_controls.h"
#include "ui/UIlib.h"
#include "ui/host_widget.h"

namespace {

using namespace DuiLib;

int Usage() {
    std::fprintf(stderr,
                 "usage: skin-viewer [--skin FOLDER] [--dpi N] [--size WxH] [--png FILE] [--face FACE] [--lang FILE]\n"
                 "                   [--add NAME=LAYOUT]... [--set NAME.ATTR=VALUE]... [--lights] [--focus NAME] LAYOUT\n"
                 "       skin-viewer --svg FILE --png FILE [--dpi N]\n");
    return 2;
}

// Builds the tags the main window's builder callback builds: the device pages and panel
// classes as the program registers them, and the sub-layout tags from their files.
class ProgramTags : public IDialogBuilderCallback {
public:
    explicit ProgramTags(CPaintManagerUI* pm) : m_pm(pm) {}
    CControlUI* CreateControl(LPCTSTR tag) override {
        if (LPCTSTR file = orvel::pages::SubLayoutOf(tag)) {
            CDialogBuilder builder;
            return builder.Create(file, nullptr, this, m_pm);
        }
        if (CControlUI* page = orvel::pages::CreatePageControl(tag)) return page;
        // The update row is the settings window's own class.
        if (CDuiString(tag).CompareNoCase(L"UpdateInfoListItem") == 0) return new CHorizontalLayoutUI;
        return nullptr;
    }

private:
    CPaintManagerUI* m_pm;
};

// The fonts the program sets at start: ids and pixel sizes, all in one face.
void AddProgramFonts(CPaintManagerUI& pm, const CDuiString& face) {
    struct Font {
        int id, size;
        bool bold, underline;
    };
    static const Font fonts[] = {{0, 15, false, false}, {1, 14, false, true}, {2, 18, false, false}, {3, 30, false, false},
                                 {4, 16, false, false}, {5, 20, false, false}, {6, 22, false, false}, {7, 14, false, false},
                                 {8, 12, false, false}, {9, 11, false, false}, {10, 10, false, false}, {11, 28, false, false},
                                 {50, 18, true, false}};
    pm.SetDefaultFont(face, 14, false, false, false, true);
    for (const Font& f : fonts) pm.AddFont(f.id, face, f.size, f.bold, f.underline, false, true);
}

void ForEachControl(CControlUI* control, const std::function<void(CControlUI*)>& fn) {
    if (!control) return;
    fn(control);
    if (auto* container = static_cast<IContainerUI*>(control->GetInterface(DUI_CTR_ICONTAINER))) {
        for (int i = 0; i < container->GetCount(); ++i) ForEachControl(container->GetItemAt(i), fn);
    }
}

// Every LED button lit, its colour by its order on the page, as the light loops would paint it.
void LightAll(CControlUI* root) {
    std::vector<CDeviceKeyButtonUI*> lights;
    ForEachControl(root, [&](CControlUI* c) {
        auto* key = static_cast<CDeviceKeyButtonUI*>(c->GetInterface(L"DeviceKeyButton"));
        if (key && CDuiString(c->GetName()).Find(L"light_") == 0) lights.push_back(key);
    });
    for (size_t i = 0; i < lights.size(); ++i) {
        const double hue = 6.0 * double(i) / double(std::max<size_t>(lights.size(), 1));
        auto channel = [&](double offset) {
            double v = std::fabs(std::fmod(hue + offset, 6.0) - 3.0) - 1.0;
            return DWORD(std::lround(std::clamp(v, 0.0, 1.0) * 255));
        };
        const DWORD r = channel(0), g = channel(4), b = channel(2);
        lights[i]->SetShowLightImage(true);
        lights[i]->SetLightColor(r | b << 8 | g << 16, 255);
    }
}

int RenderSvg(const std::string& file, const std::string& png, int dpi) {
    QSvgRenderer renderer(QString::fromStdString(file));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "skin-viewer: %s is not a picture\n", file.c_str());
        return 1;
    }
    const QSize size = renderer.defaultSize() * dpi / 96;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromStdString(png))) {
        std::fprintf(stderr, "skin-viewer: could not write %s\n", png.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string skin, png, layout, size, face, lang, svgFile, focus;
    std::vector<std::pair<std::string, std::string>> adds, sets;
    bool lights = false;
    int dpi = 96;
    // Split at the first '=' of NAME=VALUE, or at the last '.' of NAME.ATTR (names may hold dots).
    auto split = [](const std::string& s, char at) {
        size_t p = at == '.' ? s.rfind(at) : s.find(at);
        return p == std::string::npos ? std::make_pair(s, std::string()) : std::make_pair(s.substr(0, p), s.substr(p + 1));
    };
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--skin") skin = next();
        else if (a == "--png") png = next();
        else if (a == "--dpi") dpi = std::atoi(next().c_str());
        else if (a == "--size") size = next();
        else if (a == "--face") face = next();
        else if (a == "--lang") lang = next();
        else if (a == "--add") adds.push_back(split(next(), '='));
        else if (a == "--set") sets.push_back(split(next(), '='));
        else if (a == "--lights") lights = true;
        else if (a == "--focus") focus = next();
        else if (a == "--svg") svgFile = next();
        else if (a == "-h" || a == "--help") return Usage();
        else layout = a;
    }
    if (!svgFile.empty()) {
        if (png.empty()) return Usage();
        if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
        QGuiApplication app(argc, argv);
        return RenderSvg(svgFile, png, dpi);
    }
    if (layout.empty()) return Usage();
    if (!png.empty() && !std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    RegisterCustomControls();
    orvel::pages::RegisterPageControls();
    if (skin.empty()) skin = (CPaintManagerUI::GetInstancePath() + L"skin").ToUtf8();
    CPaintManagerUI::SetResourcePath(CDuiString::FromUtf8(std::filesystem::absolute(skin).string()));
    if (std::filesystem::exists(std::filesystem::path(skin) / "res.xml")) CResourceManager::GetInstance()->LoadResource(L"res.xml");
    if (!lang.empty() && !CResourceManager::GetInstance()->LoadLanguage(CDuiString::FromUtf8(lang))) {
        std::fprintf(stderr, "skin-viewer: language file %s not loaded\n", lang.c_str());
        return 1;
    }

    CPaintManagerUI pm;
    CUIHostWidget host(&pm, nullptr, Qt::Window);
    if (dpi != 96 && !pm.SetDPI(dpi)) {
        std::fprintf(stderr, "skin-viewer: DPI %d is not one of 48, 72, 96, 120, 144, 168, 192\n", dpi);
        return 2;
    }
    if (!face.empty()) AddProgramFonts(pm, CDuiString::FromUtf8(face));
    ProgramTags tags(&pm);
    CDialogBuilder builder;
    CControlUI* root = builder.Create(CDuiString::FromUtf8(layout), nullptr, &tags, &pm);
    if (!root) {
        std::fprintf(stderr, "skin-viewer: %s\n", CDuiString(builder.GetLastErrorMessage()).ToUtf8().c_str());
        return 1;
    }
    pm.AttachDialog(root);
    for (const auto& [name, file] : adds) {
        auto* container = static_cast<IContainerUI*>(
            pm.FindControl(CDuiString::FromUtf8(name)) ? pm.FindControl(CDuiString::FromUtf8(name))->GetInterface(DUI_CTR_ICONTAINER) : nullptr);
        CDialogBuilder part;
        CControlUI* built = container ? part.Create(CDuiString::FromUtf8(file), nullptr, &tags, &pm) : nullptr;
        if (!built) {
            std::fprintf(stderr, "skin-viewer: could not add %s to %s\n", file.c_str(), name.c_str());
            return 1;
        }
        container->Add(built);
    }
    for (const auto& [target, value] : sets) {
        auto [name, attr] = split(target, '.');
        ForEachControl(root, [&](CControlUI* c) {
            if (CDuiString(c->GetName()) == CDuiString::FromUtf8(name))
                c->SetAttribute(CDuiString::FromUtf8(attr), CDuiString::FromUtf8(value));
        });
    }
    if (lights) LightAll(root);
    // Selecting a tab page moves the keyboard focus; the picture shows the window at rest.
    pm.SetFocus(nullptr);
    if (!focus.empty()) {
        CControlUI* focused = pm.FindControl(CDuiString::FromUtf8(focus));
        if (!focused) {
            std::fprintf(stderr, "skin-viewer: no control named %s\n", focus.c_str());
            return 1;
        }
        pm.SetFocus(focused);
        pm.ShowFocusRing(true);
    }
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
