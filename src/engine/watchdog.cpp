#include "engine/watchdog.h"

#include "platform/durations.h"
#include "platform/uithread.h"

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>

namespace watchdog
{
namespace
{

// The worker re-arms the watchdog for every reply line (several times per line), so arming must
// not cost an event on the window thread each time. Each thread that arms it (the worker and the
// transfer connections beside it) has a deadline slot of its own, 0 when disarmed, so that one
// thread disarming never uncovers another; a single window-thread timer is only (re)scheduled
// when it would fire too late.
constexpr int slotCount = 32;
std::array<std::atomic<std::int64_t>, slotCount> deadlines{};
std::array<std::atomic<bool>, slotCount> slotTaken{};
std::atomic<std::int64_t> scheduledForMs{0};
std::atomic<bool> timerScheduled{false};
QPointer<QTimer> uiTimer;             // window thread only
std::function<void()> &expiryAction() // window thread only
{
    static std::function<void()> action;
    return action;
}

// The calling thread's slot, given back when the thread ends. Slot 0 is shared by threads beyond
// the count, which then cover each other only loosely.
struct ThreadSlot {
    int index = 0;
    ThreadSlot()
    {
        for (int i = 1; i < slotCount; ++i) {
            bool free = false;
            if (slotTaken[size_t(i)].compare_exchange_strong(free, true)) {
                index = i;
                return;
            }
        }
    }
    ~ThreadSlot()
    {
        deadlines[size_t(index)] = 0;
        if (index > 0)
            slotTaken[size_t(index)] = false;
    }
    ThreadSlot(const ThreadSlot &) = delete;
    ThreadSlot &operator=(const ThreadSlot &) = delete;
};

std::atomic<std::int64_t> &ownDeadline()
{
    thread_local ThreadSlot slot;
    return deadlines[size_t(slot.index)];
}

// The earliest armed deadline of all threads, 0 when none is armed.
std::int64_t earliestDeadline()
{
    std::int64_t earliest = 0;
    for (const auto &deadline : deadlines) {
        const std::int64_t value = deadline.load();
        if (value != 0 && (earliest == 0 || value < earliest))
            earliest = value;
    }
    return earliest;
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
    const std::int64_t deadline = earliestDeadline();
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
    const std::int64_t now = nowMs();
    bool expired = false;
    for (auto &deadline : deadlines) {
        std::int64_t value = deadline.load();
        // One re-armed since the timer was set is not due; claiming it keeps a late re-arm alive.
        if (value != 0 && value <= now && deadline.compare_exchange_strong(value, 0))
            expired = true;
    }
    if (!expired) {
        // Stale firing: schedule the next deadline, if any.
        if (earliestDeadline() != 0 && !timerScheduled.exchange(true))
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
    ownDeadline() = deadline;
    if (!timerScheduled.exchange(true) || deadline < scheduledForMs.load())
        uithread::post(schedule);
}

void stop()
{
    ownDeadline() = 0;
}

bool armed()
{
    return ownDeadline().load() != 0;
}

void setExpiryAction(std::function<void()> action)
{
    expiryAction() = std::move(action);
}

} // namespace watchdog
