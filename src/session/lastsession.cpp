#include "session/lastsession.h"

#include "platform/settingsstore.h"

using settingsstore::applSet;

LoginFields readLastSession()
{
    using settingsstore::readInt;
    using settingsstore::readString;
    LoginFields login;
    login.serverHost = readString(applSet, QStringLiteral("LastServer"), QString());
    login.userName = readString(applSet, QStringLiteral("LastUser"), QString());
    login.password = readString(applSet, QStringLiteral("LastPassword"), QString());
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
    return login;
}

void writeLastSession(const LoginFields &login)
{
    using settingsstore::writeInt;
    using settingsstore::writeString;
    writeString(applSet, QStringLiteral("LastServer"), login.serverHost);
    writeString(applSet, QStringLiteral("LastUser"), login.userName);
    writeString(applSet, QStringLiteral("LastPassword"), login.password);
    writeInt(applSet, QStringLiteral("LastPort"), login.port);
    writeString(applSet, QStringLiteral("LastRemote"), login.initialRemotePath);
    writeString(applSet, QStringLiteral("LastLocal"), login.initialLocalPath);
    writeInt(applSet, QStringLiteral("LastLogin"), login.anonymousLogin ? 1 : 0);
    writeInt(applSet, QStringLiteral("Relative"), login.relativePaths ? 1 : 0);
    writeInt(applSet, QStringLiteral("LastEncryption"), int(login.encryption));
}
