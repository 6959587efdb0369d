#include "platform/uithread.h"

#include "platform/workerstop.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace uithread {

bool isUiThread()
{
    const auto *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

void post(std::function<void()> call)
{
    auto *app = QCoreApplication::instance();
    if (!app)
        return;
    QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
}

namespace detail {

void waitInterruptible(const std::shared_future<void> &ready)
{
    using namespace std::chrono_literals;
    while (ready.wait_for(20ms) != std::future_status::ready)
        workerstop::throwIfRequested();
}

} // namespace detail
} // namespace uithread
