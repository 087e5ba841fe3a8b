#include "platform/qt/winmsgpump.h"

#include "platform/winmsg.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>

#include <mutex>

namespace orvel::qtglue {

struct WinMsgPump::State {
    std::mutex mutex;
    QObject* context = nullptr; // lives on the GUI thread; null once uninstalled
    QTimer* timer = nullptr;    // due time of the next window timer
};

namespace {

void pumpNow(QTimer* timer)
{
    if (!PumpMessages(0)) {
        QCoreApplication::exit(winmsg::QuitExitCode());
    }
    const int next = winmsg::NextTimerDueMs();
    if (next < 0) {
        timer->stop();
    } else {
        timer->start(next);
    }
}

} // namespace

WinMsgPump::WinMsgPump() : state_(std::make_shared<State>())
{
    state_->context = new QObject();
    state_->timer = new QTimer(state_->context);
    state_->timer->setSingleShot(true);
    QTimer* timer = state_->timer;
    QObject::connect(timer, &QTimer::timeout, state_->context, [timer] { pumpNow(timer); });
    // Called from any thread: queue one pump on the GUI thread.
    winmsg::SetThreadWaker([state = state_] {
        std::lock_guard lock(state->mutex);
        if (state->context != nullptr) {
            QTimer* t = state->timer;
            QMetaObject::invokeMethod(state->context, [t] { pumpNow(t); }, Qt::QueuedConnection);
        }
    });
}

WinMsgPump::~WinMsgPump()
{
    winmsg::SetThreadWaker({});
    QObject* context = nullptr;
    {
        std::lock_guard lock(state_->mutex);
        context = state_->context;
        state_->context = nullptr;
        state_->timer = nullptr;
    }
    delete context;
}

} // namespace orvel::qtglue
