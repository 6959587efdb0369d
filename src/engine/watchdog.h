#pragma once

#include <functional>

// The reply watchdog: armed around every blocking reply read and accept of the worker, it ends a
// worker that has waited longer than durations::Kind::Watchdog (500 s) for data. It fires on the
// window thread; a firing that a later start or stop has overtaken is ignored. Each thread arms
// and disarms its own watch, so several connections working at once are each covered.
namespace watchdog
{

// Any thread: (re)arms the calling thread's watch for the full duration.
void start();
// Any thread: disarms the calling thread's watch.
void stop();
[[nodiscard]] bool armed();

// What the expiry does, on the window thread; the session installs it (ending the running job).
void setExpiryAction(std::function<void()> action);

} // namespace watchdog
