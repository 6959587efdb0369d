#pragma once

#include <functional>
#include <future>
#include <optional>

// The two ways from any thread into the window thread. Widgets and models are touched only there.
namespace uithread {

bool isUiThread();

// Fire and forget; calls run in the order they were posted, also when posted from the window
// thread itself, so a window-thread call never overtakes an earlier worker call.
void post(std::function<void()> call);

// Runs the call on the window thread and waits for its result. On the worker, a stop request
// ends the wait (WorkerStopped is thrown; the call may still run later and its result is
// dropped). On the window thread the call runs at once.
template <typename T>
T call(std::function<T()> work);

namespace detail {
// Waits for the future while watching the worker's stop request.
void waitInterruptible(const std::shared_future<void> &ready);
}

template <typename T>
T call(std::function<T()> work)
{
    if (isUiThread())
        return work();
    auto result = std::make_shared<std::optional<T>>();
    auto done = std::make_shared<std::promise<void>>();
    std::shared_future<void> ready = done->get_future().share();
    post([work = std::move(work), result, done] {
        *result = work();
        done->set_value();
    });
    detail::waitInterruptible(ready);
    return std::move(**result);
}

} // namespace uithread
