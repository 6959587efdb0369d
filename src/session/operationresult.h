#pragma once

#include <QByteArray>

#include <utility>

// How a job, or one step of it on the server, ended.
struct OperationResult {
    enum class Outcome {
        Done,
        Refused,        // the server said no: `code` and `text` are its reply
        ConnectionLost, // the control connection broke; the session has ended
        Stopped,        // ended from outside (Abort, Disconnect, the watchdog) or not in time
    };
    OperationResult() = default;
    OperationResult(Outcome outcome, int code = 0, QByteArray text = {})
        : outcome(outcome), code(code), text(std::move(text))
    {
    }

    Outcome outcome = Outcome::Done;
    int code = 0;
    QByteArray text;

    [[nodiscard]] bool done() const { return outcome == Outcome::Done; }
    // Every command sent so far has had its reply read: the next reply belongs to the next command.
    [[nodiscard]] bool inStep() const { return outcome == Outcome::Done || outcome == Outcome::Refused; }
};
