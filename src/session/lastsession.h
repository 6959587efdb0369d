#pragma once

#include "engine/loginfields.h"

#include <QString>

#include <functional>

class QObject;

// The last session's login, kept in the settings store so that the next start offers it again.
// While the preference keeps passwords in the keyring, the store holds an empty password and a
// mark, and the keyring holds the password.
[[nodiscard]] LoginFields readLastSession();
// Writes the login; the password reaches the keyring afterwards and leaves the store only when the
// keyring has taken it.
void writeLastSession(const LoginFields &login);

// The key of the last session's password in the keyring; no site's key looks like it.
QString lastSessionKeyringKey();
[[nodiscard]] bool lastSessionPasswordInKeyring();

// Reads the last session's password from the keyring; `done` gets it, or an empty text (with a
// log line) when the keyring cannot give it. Nothing is read without the mark.
void fetchLastSessionPassword(QObject *context, std::function<void(const QString &)> done);

// Moves the stored password into the keyring or out of it, as the preference says; `done` gets
// false when the keyring failed (the store then keeps the password where it was).
void moveLastSessionPassword(bool intoKeyring, QObject *context, std::function<void(bool)> done);
