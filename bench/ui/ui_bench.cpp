// Cost of a key-heavy page: building and first-painting a layout of 170 key buttons with
// images, one repaint of it, and one repaint after every key changed its colour. With --repaint SECONDS it instead repaints the page 60
// times a second in a shown (offscreen) window for that long and prints the CPU used; with
// --png FILE it writes the page as first painted, to look at or compare.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "ui/UIlib.h"
#include "ui/host_widget.h"

namespace {

using namespace DuiLib;

QTemporaryDir* Skin() {
    static QTemporaryDir dir;
    static bool made = false;
    if (!made) {
        QImage key(40, 40, QImage::Format_ARGB32_Premultiplied);
        key.fill(Qt::transparent);
        QPainter p(&key);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor(0x3B, 0x42, 0x52), 2));
        p.setBrush(QColor(0x1C, 0x20, 0x29));
        p.drawRoundedRect(1, 1, 38, 38, 6, 6);
        p.end();
        key.save(dir.filePath(QStringLiteral("key.png")));
        QImage light(40, 40, QImage::Format_ARGB32_Premultiplied);
        light.fill(QColor(255, 255, 255, 60));
        light.save(dir.filePath(QStringLiteral("light.png")));
        CPaintManagerUI::SetResourcePath(CDuiString(dir.path().toStdWString()));
        made = true;
    }
    return &dir;
}

// 10 rows of 17 keys with images and text.
std::wstring Layout() {
    std::wstring xml = L"<Window size=\"1000,640\"><SelectPanel bkcolor=\"#FF14171D\" inset=\"20,20,20,20\" childpadding=\"6\">";
    int n = 0;
    for (int row = 0; row < 10; ++row) {
        xml += L"<HorizontalLayout height=\"44\" childpadding=\"6\">";
        for (int col = 0; col < 17; ++col, ++n) {
            xml += L"<DeviceKeyButton name=\"key_" + std::to_wstring(n) +
                   L"\" width=\"48\" height=\"44\" normalimage=\"file='key.png' corner='8,8,8,8'\" lightimage=\"light.png\" text=\"K" +
                   std::to_wstring(n) + L"\" textcolor=\"#FFC8CCD4\"/>";
        }
        xml += L"</HorizontalLayout>";
    }
    xml += L"</SelectPanel></Window>";
    return xml;
}

struct Page {
    Page() {
        Skin();
        host = std::make_unique<CUIHostWidget>(&pm);
        CDialogBuilder b;
        root = b.Create(Layout().c_str(), nullptr, nullptr, &pm);
        pm.AttachDialog(root);
        for (CControlUI* c : pm.FindSubControlsByClass(root, L"DeviceKeyButton")) {
            auto* k = static_cast<CDeviceKeyButtonUI*>(c);
            k->SetShowLightImage(true);
            k->SetLightColor(0x0000FF, 255);
        }
        host->resize(1000, 640);
    }
    CPaintManagerUI pm;
    std::unique_ptr<CUIHostWidget> host;
    CControlUI* root = nullptr;
};

void BM_BuildAndFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        Page page;
        QImage img;
        page.pm.RenderToImage(&img, SIZE{1000, 640});
        benchmark::DoNotOptimize(img.constBits());
    }
}
BENCHMARK(BM_BuildAndFirstPaint)->Unit(benchmark::kMillisecond);

void BM_Repaint(benchmark::State& state) {
    Page page;
    QImage img(1000, 640, QImage::Format_ARGB32_Premultiplied);
    page.pm.RenderToImage(&img, SIZE{1000, 640});
    for (auto _ : state) {
        QPainter p(&img);
        page.pm.Paint(&p, RECT{0, 0, 1000, 640});
    }
}
BENCHMARK(BM_Repaint)->Unit(benchmark::kMillisecond);

// The lighting preview while an effect runs: every key shows a new colour in every frame.
void BM_RepaintChangingLights(benchmark::State& state) {
    Page page;
    QImage img(1000, 640, QImage::Format_ARGB32_Premultiplied);
    page.pm.RenderToImage(&img, SIZE{1000, 640});
    const auto keys = page.pm.FindSubControlsByClass(page.root, L"DeviceKeyButton");
    DWORD frame = 0;
    for (auto _ : state) {
        ++frame;
        for (size_t i = 0; i < keys.size(); ++i) static_cast<CDeviceKeyButtonUI*>(keys[i])->SetLightColor((frame + i) * 0x010305u & 0xFFFFFF, 255);
        QPainter p(&img);
        page.pm.Paint(&p, RECT{0, 0, 1000, 640});
    }
}
BENCHMARK(BM_RepaintChangingLights)->Unit(benchmark::kMillisecond);

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int RepaintFor(int seconds) {
    Page page;
    page.host->show();
    int frames = 0;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        // A full-window repaint each frame: the worst case of the lighting preview.
        page.pm.Invalidate();
        page.host->repaint();
        ++frames;
    });
    double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    timer.start(1000 / 60);
    QTimer::singleShot(seconds * 1000, qApp, &QCoreApplication::quit);
    QCoreApplication::exec();
    double cpu = CpuSeconds() - cpu0;
    double elapsed = wall.elapsed() / 1000.0;
    std::printf("repaint: %d frames in %.2f s, CPU %.3f s = %.1f %% of one core\n", frames, elapsed, cpu, 100.0 * cpu / elapsed);
    return 0;
}

int SavePage(const char* file) {
    Page page;
    QImage img;
    page.pm.RenderToImage(&img, SIZE{1000, 640});
    if (!img.save(QString::fromLocal8Bit(file))) {
        std::fprintf(stderr, "cannot write %s\n", file);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    RegisterCustomControls();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--repaint") == 0) return RepaintFor(std::atoi(argv[i + 1]));
        if (std::strcmp(argv[i], "--png") == 0) return SavePage(argv[i + 1]);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
