#pragma once
// The screenshot run of `varno-orvel-80 --screenshot FOLDER`: once every device that is
// present shows, the main window is written with each page and each of its function tabs, at
// 96 and 144 DPI and in every language of Language.config, to
// FOLDER/main-<language>-<dpi>-<kind>-tab<N>.png (N the tab type, 1 the lighting tab), and the
// music settings window and the colour picker as they open, to FOLDER/music-<language>-<dpi>.png
// and FOLDER/pallet-<language>-<dpi>.png; then the program ends. Without any device within 15 s
// the empty window is written instead.

#include <QObject>
#include <QTimer>

class QWidget;

#include <string>
#include <vector>

namespace orvel::app {

class CMainWnd;

class ScreenshotRun : public QObject {
public:
    ScreenshotRun(CMainWnd& window, std::string folder);
    bool Succeeded() const { return ok_; }

private:
    struct Shot {
        int language;
        int dpi;
        int kindRow; // -1: the window without devices
        int tab;     // the page's function tab type
    };
    void Tick();
    bool DevicesSettled() const;
    void Plan();
    void Prepare(const Shot& shot);
    void Take(const Shot& shot);
    // The child windows in every language and both DPIs, each while it runs modally.
    void TakeDialogs();
    bool Save(QWidget* widget, const std::string& file);

    CMainWnd& window_;
    std::string folder_;
    QTimer timer_;
    int waitedTicks_ = 0;
    std::vector<Shot> shots_;
    std::size_t next_ = 0;
    bool prepared_ = false;
    bool ok_ = true;
};

} // namespace orvel::app
