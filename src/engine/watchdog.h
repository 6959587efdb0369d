#pragma once

#include <functional>

// The reply watchdog: armed around every blocking reply read and accept of the worker, it ends a
// worker that has waited longer than durations::Kind::Watchdog (500 s) for data. It fires on the
// window thread; a firing that a later start or stop has overtaken is ignored.
namespace watchdog
{

// Any thread: (re)arms the watchdog for the full duration.
void start();
// Any thread.
void stop();
[[nodiscard]] bool armed();

// What the expiry does, on the window thread; the session installs it (ending the running job).
void setExpiryAction(std::function<void()> action);

} // namespace watchdog
