#include "session/lastsession.h"

#include "platform/appsettings.h"
#include "platform/keyring.h"
#include "platform/log.h"
#include "platform/namecodec.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"

#include <QCoreApplication>

using settingsstore::applSet;

namespace
{

const QString passwordName = QStringLiteral("LastPassword");
const QString markName = QStringLiteral("LastPasswordInKeyring");

QString storedPassword()
{
    return settingsstore::readString(applSet, passwordName, QString());
}

// The store's password goes once the keyring holds it, and only if it is still the one given.
void storeInKeyring(const QString &password, QObject *context, std::function<void(bool)> done)
{
    keyring::store(lastSessionKeyringKey(), password, context,
                   [password, done = std::move(done)](const keyring::Answer &answer) {
                       const bool stored = answer.outcome == keyring::Outcome::Done;
                       if (!stored)
                           keyring::reportFailure(TextId::KeyringStoreFailed,
                                                  loadText(TextId::KeyringLastSession), answer);
                       else if (storedPassword() == password) {
                           settingsstore::writeInt(applSet, markName, 1);
                           settingsstore::writeString(applSet, passwordName, QString());
                       }
                       if (done)
                           done(stored);
                   });
}

void forget(QObject *context)
{
    keyring::remove(lastSessionKeyringKey(), context, [](const keyring::Answer &) {});
}

} // namespace

QString lastSessionKeyringKey()
{
    // Site keys always hold a "/" between folder and site.
    return QStringLiteral("last session");
}

bool lastSessionPasswordInKeyring()
{
    return settingsstore::readInt(applSet, markName, 0) != 0;
}

LoginFields readLastSession()
{
    using settingsstore::readInt;
    using settingsstore::readString;
    LoginFields login;
    login.serverHost = readString(applSet, QStringLiteral("LastServer"), QString());
    login.userName = readString(applSet, QStringLiteral("LastUser"), QString());
    login.password = storedPassword();
    login.port = readInt(applSet, QStringLiteral("LastPort"), 21);
    login.initialRemotePath = readString(applSet, QStringLiteral("LastRemote"), QString());
    login.initialLocalPath = readString(applSet, QStringLiteral("LastLocal"), QString());
    login.anonymousLogin = readInt(applSet, QStringLiteral("LastLogin"), 1) != 0;
    login.relativePaths = readInt(applSet, QStringLiteral("Relative"), 0) != 0;
    // A session from before the choice existed asks for TLS as a site of that time does.
    const int encryption = readInt(applSet, QStringLiteral("LastEncryption"), int(Encryption::ExplicitIfOffered));
    login.encryption = encryption >= int(Encryption::Plain) && encryption <= int(Encryption::Implicit)
                           ? Encryption(encryption)
                           : Encryption::ExplicitIfOffered;
    const QByteArray charset = readString(applSet, QStringLiteral("LastCharset"), QString()).toLatin1();
    login.charset = namecodec::isKnownCharset(charset) ? charset : QByteArray();
    return login;
}

void writeLastSession(const LoginFields &login)
{
    using settingsstore::writeInt;
    using settingsstore::writeString;
    writeString(applSet, QStringLiteral("LastServer"), login.serverHost);
    writeString(applSet, QStringLiteral("LastUser"), login.userName);
    const bool hadKeyring = lastSessionPasswordInKeyring();
    // The keyring's copy belongs to the previous session: the new password is in the store
    // until the keyring has it.
    writeString(applSet, passwordName, login.password);
    writeInt(applSet, markName, 0);
    writeInt(applSet, QStringLiteral("LastPort"), login.port);
    writeString(applSet, QStringLiteral("LastRemote"), login.initialRemotePath);
    writeString(applSet, QStringLiteral("LastLocal"), login.initialLocalPath);
    writeInt(applSet, QStringLiteral("LastLogin"), login.anonymousLogin ? 1 : 0);
    writeInt(applSet, QStringLiteral("Relative"), login.relativePaths ? 1 : 0);
    writeInt(applSet, QStringLiteral("LastEncryption"), int(login.encryption));
    writeString(applSet, QStringLiteral("LastCharset"), QString::fromLatin1(login.charset));

    QObject *context = QCoreApplication::instance();
    if (appSettings().keepPasswordsInKeyring != 0 && !login.password.isEmpty())
        storeInKeyring(login.password, context, {});
    else if (hadKeyring)
        forget(context);
}

void fetchLastSessionPassword(QObject *context, std::function<void(const QString &)> done)
{
    if (!lastSessionPasswordInKeyring()) {
        done(storedPassword());
        return;
    }
    keyring::read(lastSessionKeyringKey(), context, [done = std::move(done)](const keyring::Answer &answer) {
        // Always said: it explains why the login will ask.
        if (answer.outcome != keyring::Outcome::Done)
            AppendLog(LogColor::Error, TextId::KeyringReadFailed, loadText(TextId::KeyringLastSession),
                      keyring::describe(answer));
        done(answer.outcome == keyring::Outcome::Done ? answer.password : QString());
    });
}

void moveLastSessionPassword(bool intoKeyring, QObject *context, std::function<void(bool)> done)
{
    const bool inKeyring = lastSessionPasswordInKeyring();
    if (intoKeyring && !inKeyring && !storedPassword().isEmpty()) {
        storeInKeyring(storedPassword(), context, std::move(done));
        return;
    }
    if (intoKeyring || !inKeyring) {
        done(true);
        return;
    }
    keyring::read(
        lastSessionKeyringKey(), context, [context, done = std::move(done)](const keyring::Answer &answer) {
            if (answer.outcome != keyring::Outcome::Done && answer.outcome != keyring::Outcome::NotFound) {
                keyring::reportFailure(TextId::KeyringReadFailed, loadText(TextId::KeyringLastSession),
                                       answer);
                done(false);
                return;
            }
            // A session written since has its own password in the store.
            if (lastSessionPasswordInKeyring()) {
                settingsstore::writeString(applSet, passwordName, answer.password);
                settingsstore::writeInt(applSet, markName, 0);
            }
            forget(context);
            done(true);
        });
}
