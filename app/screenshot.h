#pragma once
// The screenshot run of `varno-orvel-80 --screenshot FOLDER`: once every device that is
// present shows, the main window is written with each page, at 96 and 144 DPI and in every
// language of Language.config, to FOLDER/main-<language>-<dpi>-<kind>.png; then the program
// ends. Without any device within 15 s the empty window is written instead.

#include <QObject>
#include <QTimer>

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
    };
    void Tick();
    bool DevicesSettled() const;
    void Plan();
    void Prepare(const Shot& shot);
    void Take(const Shot& shot);

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
