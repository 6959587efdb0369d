#include "engine/watchdog.h"

#include "platform/durations.h"
#include "platform/uithread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace watchdog
{
namespace
{

// The worker re-arms the watchdog for every reply line (several times per line), so arming must
// not cost an event on the window thread each time. The deadline is one atomic value, 0 when
// disarmed; a single window-thread timer is only (re)scheduled when it would fire too late.
std::atomic<std::int64_t> deadlineMs{0};
std::atomic<std::int64_t> scheduledForMs{0};
std::atomic<bool> timerScheduled{false};
QPointer<QTimer> uiTimer;             // window thread only
std::function<void()> &expiryAction() // window thread only
{
    static std::function<void()> action;
    return action;
}

std::int64_t nowMs()
{
    using namespace std::chrono;
    // Never 0, which means disarmed.
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count() + 1;
}

void expire();

void schedule()
{
    if (!uiTimer) {
        auto *app = QCoreApplication::instance();
        if (!app) {
            timerScheduled = false;
            return;
        }
        uiTimer = new QTimer(app);
        uiTimer->setSingleShot(true);
        uiTimer->setTimerType(Qt::PreciseTimer);
        QObject::connect(uiTimer, &QTimer::timeout, uiTimer, [] { expire(); });
    }
    const std::int64_t deadline = deadlineMs.load();
    if (deadline == 0) {
        timerScheduled = false;
        uiTimer->stop();
        return;
    }
    scheduledForMs = deadline;
    uiTimer->start(int(std::clamp<std::int64_t>(deadline - nowMs(), 0, 1 << 30)));
}

void expire()
{
    timerScheduled = false;
    std::int64_t deadline = deadlineMs.load();
    if (deadline == 0)
        return;
    if (deadline > nowMs() || !deadlineMs.compare_exchange_strong(deadline, 0)) {
        // Re-armed since the timer was set: this firing is stale.
        if (!timerScheduled.exchange(true))
            schedule();
        return;
    }
    if (const auto &action = expiryAction())
        action();
}

} // namespace

void start()
{
    const std::int64_t deadline = nowMs() + durations::get(durations::Kind::Watchdog).count();
    deadlineMs = deadline;
    if (!timerScheduled.exchange(true) || deadline < scheduledForMs.load())
        uithread::post(schedule);
}

void stop()
{
    deadlineMs = 0;
}

bool armed()
{
    return deadlineMs.load() != 0;
}

void setExpiryAction(std::function<void()> action)
{
    expiryAction() = std::move(action);
}

} // namespace watchdog
