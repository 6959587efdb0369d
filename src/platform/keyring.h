#pragma once

#include "platform/textid.h"

#include <QString>

#include <functional>

class QObject;

// The desktop's keyring (the Secret Service, or KWallet on a KDE desktop), holding one password
// under each key of this program. Every call returns at once; its answer comes later on the
// window thread, exactly once, and at the latest when the bound has passed. A keyring that
// answers after the bound is not heard: the caller has already gone on without it.
namespace keyring
{

enum class Outcome {
    Done,      // stored, read or removed
    NotFound,  // no password under that key
    NoService, // no keyring runs on this desktop
    Refused,   // the keyring answered with an error (locked, denied, broken)
    TimedOut,  // no answer within the bound
};

struct Answer {
    Outcome outcome = Outcome::TimedOut;
    QString password; // what a read found
    QString reason;   // the keyring's own words for a failure
};

using Callback = std::function<void(const Answer &)>;

// How long an answer may take, in milliseconds.
inline constexpr int defaultBoundMs = 10000;
int boundMs();
void setBoundMs(int milliseconds);

// The callback is dropped when `context` is destroyed first.
void store(const QString &key, const QString &password, QObject *context, Callback done);
void read(const QString &key, QObject *context, Callback done);
void remove(const QString &key, QObject *context, Callback done);

// Logs a failed call as the text `id` with `what` and the reason. A desktop without a keyring is
// told so once a run instead, whatever finds it out.
void reportFailure(TextId id, const QString &what, const Answer &answer);

// "the keyring's reason" or "no answer within N seconds", for messages.
QString describe(const Answer &answer);

} // namespace keyring
