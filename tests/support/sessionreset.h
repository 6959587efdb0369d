#pragma once

#include "platform/log.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class SessionController;
class Session;
struct TransferInputs;

namespace testsupport
{

// A fresh session controller for the next test case, with a fresh session and worker: the one
// before is closed (its worker joined, what it held open closed), test durations are removed.
SessionController &freshController();
// The same within a case, keeping the durations the case has set.
SessionController &nextController();
// The controller freshController() made last (one is made on first use).
SessionController &controller();

// What the worker takes on the window thread as a transfer starts, for a test that runs the
// job's function itself: the preferences as they are now, and the inputs the views give.
TransferInputs startingTransfer();

// Opens the control connection to 127.0.0.1:`port` as the login would, reads the greeting and marks
// the session connected, without sending USER. Returns the socket, or -1 when it failed.
int connectControl(Session &s, quint16 port);
int connectControl(quint16 port);

// Logs the session in to the tests' real server on 127.0.0.1:`port` as its user, passive, in
// type A, as a connect would leave it; true when connected.
bool logInToTestServer(quint16 port);

// A loopback port that nothing listens on (bound once to learn a free number, then closed); 0 when
// none could be had.
quint16 closedLoopbackPort();

// Runs `work` on a thread marked as the worker (as a job would run) while this thread keeps
// serving window-thread calls; false when it had not finished within the time (it is then stopped).
[[nodiscard]] bool runOnWorker(const std::function<void()> &work, int timeoutMs = 60000);

// Records what reaches the session log (installed as the log sink while it lives).
class LogRecorder
{
public:
    struct Line {
        QString text;
        LogColor color;
        bool operator==(const Line &) const = default;
    };

    LogRecorder();
    ~LogRecorder();
    LogRecorder(const LogRecorder &) = delete;
    LogRecorder &operator=(const LogRecorder &) = delete;

    [[nodiscard]] QList<Line> lines() const;
    // The texts of one colour, in order, after the window thread's pending lines have arrived.
    [[nodiscard]] QStringList texts(LogColor color) const;
    [[nodiscard]] bool contains(const QString &text, LogColor color) const;
    // Processes window-thread events until the line arrives or the time runs out.
    [[nodiscard]] bool waitFor(const QString &text, LogColor color, int timeoutMs = 10000) const;
    void clear();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace testsupport
