#include "session/connecturl.h"

#include "platform/textformat.h"

#include <QHostAddress>
#include <QUrl>

namespace
{

struct Scheme {
    const char *name;
    Encryption encryption;
    int port;
};

constexpr Scheme schemes[] = {{"ftp", Encryption::Plain, 21},
                              {"ftpes", Encryption::ExplicitRequired, 21},
                              {"ftps", Encryption::Implicit, 990}};
constexpr Scheme bareHost = {"", Encryption::ExplicitIfOffered, 21};

const Scheme *schemeFor(Encryption encryption)
{
    for (const Scheme &scheme : schemes)
        if (scheme.encryption == encryption)
            return &scheme;
    return nullptr;
}

// C0, DEL and C1: none belongs in a host, an account or a path, and a line feed in one would end
// the command it is sent in.
bool hasControlCharacter(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        const char16_t u = c.unicode();
        return u < 0x20 || (u >= 0x7F && u <= 0x9F);
    });
}

// An IPv6 address, with a zone (a network interface's name or number) of plain characters only:
// a bracket or a slash in it would end the address where the text is read back.
bool isIpv6(const QString &host)
{
    const QHostAddress address(host);
    const QString zone = address.scopeId();
    return address.protocol() == QAbstractSocket::IPv6Protocol &&
           std::all_of(zone.cbegin(), zone.cend(), [](QChar c) {
               return c.isLetterOrNumber() || c == QLatin1Char('.') || c == QLatin1Char('-') || c == QLatin1Char('_');
           });
}

QString decoded(const QString &part)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(part.toUtf8()));
}

ConnectAddress refused(TextId id)
{
    return {{}, loadText(id)};
}

// An empty text keeps the default.
bool readPort(const QString &text, int &port)
{
    if (text.isEmpty())
        return true;
    const std::optional<int> value = parseConnectPort(text);
    if (value)
        port = *value;
    return value.has_value();
}

} // namespace

std::optional<int> parseConnectPort(const QString &text)
{
    if (text.isEmpty() || text.size() > 5)
        return std::nullopt;
    int value = 0;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value < 1 || value > 65535)
        return std::nullopt;
    return value;
}

ConnectAddress parseConnectAddress(const QString &input)
{
    const QString text = input.trimmed();
    if (text.size() > connectAddressMaximum)
        return {{}, formatText(TextId::AddressTooLong, connectAddressMaximum)};
    if (hasControlCharacter(text))
        return refused(TextId::AddressControlCharacter);

    Scheme scheme = bareHost;
    QString rest = text;
    if (const qsizetype colon = text.indexOf(QLatin1String("://")); colon >= 0) {
        const QString name = text.left(colon).toLower();
        const auto known = std::find_if(std::begin(schemes), std::end(schemes),
                                        [&](const Scheme &s) { return name == QLatin1String(s.name); });
        if (known == std::end(schemes))
            return {{}, formatText(TextId::AddressUnknownScheme, name.left(20))};
        scheme = *known;
        rest = text.mid(colon + 3);
    }

    ConnectAddress result;
    LoginFields &login = result.login;
    login.encryption = scheme.encryption;
    login.port = scheme.port;

    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    QString authority = slash < 0 ? rest : rest.left(slash);
    if (slash >= 0) {
        const QString path = decoded(rest.mid(slash));
        login.initialRemotePath = path == QLatin1String("/") ? QString() : path;
    }

    // The last "@" ends the account: a password typed with an "@" in it still works.
    if (const qsizetype at = authority.lastIndexOf(QLatin1Char('@')); at >= 0) {
        const QString account = authority.left(at);
        authority = authority.mid(at + 1);
        const qsizetype colon = account.indexOf(QLatin1Char(':'));
        login.userName = decoded(colon < 0 ? account : account.left(colon));
        if (colon >= 0)
            login.password = decoded(account.mid(colon + 1));
    }

    QString host;
    QString port;
    if (authority.startsWith(QLatin1Char('['))) {
        const qsizetype close = authority.indexOf(QLatin1Char(']'));
        const QString after = close < 0 ? QString() : authority.mid(close + 1);
        host = authority.mid(1, close - 1);
        if (close < 0 || !isIpv6(host) ||
            !(after.isEmpty() || after.startsWith(QLatin1Char(':'))))
            return refused(TextId::AddressBadIpv6);
        port = after.mid(1);
    } else if (authority.count(QLatin1Char(':')) > 1 && isIpv6(authority)) {
        // An IPv6 address typed without brackets can have no port after it.
        host = authority;
    } else {
        const qsizetype colon = authority.indexOf(QLatin1Char(':'));
        host = decoded(colon < 0 ? authority : authority.left(colon));
        if (colon >= 0)
            port = authority.mid(colon + 1);
    }
    if (host.trimmed().isEmpty())
        return refused(TextId::AddressEmptyHost);
    if (!readPort(port, login.port))
        return refused(TextId::AddressBadPort);
    login.serverHost = host;

    if (hasControlCharacter(login.serverHost) || hasControlCharacter(login.userName) ||
        hasControlCharacter(login.password) || hasControlCharacter(login.initialRemotePath))
        return refused(TextId::AddressControlCharacter);
    // The usual public account: the login sends the e-mail address instead of asking.
    login.anonymousLogin = login.password.isEmpty() &&
                           login.userName.compare(QLatin1String("anonymous"), Qt::CaseInsensitive) == 0;
    return result;
}

QString connectAddressText(const LoginFields &login)
{
    const Scheme *scheme = schemeFor(login.encryption);
    QString text = scheme ? QLatin1String(scheme->name) + QLatin1String("://") : QString();
    if (!login.userName.isEmpty())
        text += QString::fromLatin1(QUrl::toPercentEncoding(login.userName)) + QLatin1Char('@');
    const bool ipv6 = isIpv6(login.serverHost);
    text += ipv6 ? QLatin1Char('[') + login.serverHost + QLatin1Char(']')
                 : QString::fromLatin1(QUrl::toPercentEncoding(login.serverHost));
    if (login.port != (scheme ? scheme->port : bareHost.port))
        text += QLatin1Char(':') + QString::number(login.port);
    if (!login.initialRemotePath.isEmpty()) {
        const QString path = login.initialRemotePath.startsWith(QLatin1Char('/'))
                                 ? login.initialRemotePath
                                 : QLatin1Char('/') + login.initialRemotePath;
        text += QString::fromLatin1(QUrl::toPercentEncoding(path, "/"));
    }
    return text;
}
