#pragma once

#include <chrono>

// Time limits that tests must be able to shorten. They are not user options.
namespace durations {

enum class Kind {
    Watchdog,        // a reply line or a data connection awaited without data: 500 s
    JobDoneWait,     // a clean-up job of Disconnect or Abort: 3500 ms
    DialogTimeout,   // a question of the queue job answers itself: 60 s
    UiCommandReply,  // a reply awaited by a command sent from the window thread: 30 s
    RetrySecond,     // one second of the reconnect delay
    KeepAliveMinute, // one minute of the keep-alive period
    Connect,         // opening the control connection, shared by the server's addresses: 60 s
};

std::chrono::milliseconds get(Kind kind);
void setForTest(Kind kind, std::chrono::milliseconds value);
void resetForTest();

} // namespace durations
