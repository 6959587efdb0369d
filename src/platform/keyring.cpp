#include "platform/keyring.h"

#include "platform/log.h"
#include "platform/textformat.h"

#include <qt6keychain/keychain.h>

#include <QCoreApplication>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <utility>

namespace
{

// The name the entries carry in the keyring, so that the user can find them there.
const QString serviceName = QStringLiteral("Tidewell");

int bound = keyring::defaultBoundMs;

keyring::Outcome outcomeOf(QKeychain::Error error, const QString &reason)
{
    // The Secret Service's library names the missing service only in its words.
    if (error == QKeychain::OtherError && reason.contains(QLatin1String("org.freedesktop.secrets")))
        return keyring::Outcome::NoService;
    switch (error) {
    case QKeychain::NoError:
        return keyring::Outcome::Done;
    case QKeychain::EntryNotFound:
        return keyring::Outcome::NotFound;
    case QKeychain::NoBackendAvailable:
    case QKeychain::NotImplemented:
        return keyring::Outcome::NoService;
    default:
        return keyring::Outcome::Refused;
    }
}

// The job is never deleted before it finishes (the keyring's answer would reach freed memory);
// it deletes itself then. Whichever comes first, its answer or the bound, is delivered; the
// other finds the call already answered.
void run(QKeychain::Job *job, QObject *context, keyring::Callback done)
{
    struct Call {
        QPointer<QObject> context;
        keyring::Callback done;
        bool answered = false;

        void answer(const keyring::Answer &reply)
        {
            if (answered)
                return;
            answered = true;
            keyring::Callback callback = std::move(done);
            if (context)
                callback(reply);
        }
    };
    auto call = std::make_shared<Call>(Call{context, std::move(done)});
    QObject::connect(job, &QKeychain::Job::finished, job, [call](QKeychain::Job *finished) {
        keyring::Answer reply;
        reply.outcome = outcomeOf(finished->error(), finished->errorString());
        if (reply.outcome != keyring::Outcome::Done)
            reply.reason = finished->errorString();
        else if (auto *reading = qobject_cast<QKeychain::ReadPasswordJob *>(finished))
            reply.password = reading->textData();
        call->answer(reply);
    });
    QObject *timerOwner = context ? context : QCoreApplication::instance();
    QTimer::singleShot(bound, timerOwner, [call] { call->answer(keyring::Answer{}); });
    job->setAutoDelete(true);
    job->start();
}

} // namespace

namespace keyring
{

int boundMs()
{
    return bound;
}

void setBoundMs(int milliseconds)
{
    bound = milliseconds;
}

void store(const QString &key, const QString &password, QObject *context, Callback done)
{
    auto *job = new QKeychain::WritePasswordJob(serviceName);
    job->setKey(key);
    job->setTextData(password);
    run(job, context, std::move(done));
}

void read(const QString &key, QObject *context, Callback done)
{
    auto *job = new QKeychain::ReadPasswordJob(serviceName);
    job->setKey(key);
    run(job, context, std::move(done));
}

void remove(const QString &key, QObject *context, Callback done)
{
    auto *job = new QKeychain::DeletePasswordJob(serviceName);
    job->setKey(key);
    run(job, context, std::move(done));
}

void reportFailure(TextId id, const QString &what, const Answer &answer)
{
    static bool unavailableReported = false;
    if (answer.outcome != Outcome::NoService)
        AppendLog(LogColor::Error, id, what, describe(answer));
    else if (!std::exchange(unavailableReported, true))
        AppendLog(LogColor::Error, TextId::KeyringUnavailable, describe(answer));
}

QString describe(const Answer &answer)
{
    if (answer.outcome == Outcome::TimedOut)
        return formatText(TextId::KeyringNoAnswer, (bound + 999) / 1000);
    return answer.reason;
}

} // namespace keyring
