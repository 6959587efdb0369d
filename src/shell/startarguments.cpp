#include "shell/startarguments.h"

#include "platform/uitext.h"
#include "session/connecturl.h"

#include <QCommandLineParser>
#include <QCoreApplication>

StartArguments parseStartArguments(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(UiText::tr("A desktop FTP client."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("address"),
        UiText::tr("The server to connect to at start: a host name or an ftp://, ftpes:// or ftps:// URL."),
        QStringLiteral("[address]"));

    StartArguments start;
    if (!parser.parse(arguments)) {
        start.exitCode = 2;
        start.output = parser.errorText() + QLatin1Char('\n');
        return start;
    }
    if (parser.isSet(help)) {
        start.exitCode = 0;
        start.output = parser.helpText();
        return start;
    }
    if (parser.isSet(version)) {
        start.exitCode = 0;
        start.output = QCoreApplication::applicationName() + QLatin1Char(' ') +
                       QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return start;
    }
    const QStringList addresses = parser.positionalArguments();
    if (addresses.size() > 1) {
        start.exitCode = 2;
        start.output = UiText::tr("Give one address at most.") + QLatin1Char('\n');
        return start;
    }
    if (addresses.size() == 1) {
        const ConnectAddress address = parseConnectAddress(addresses.first());
        if (address.ok())
            start.login = address.login;
        else
            start.error = address.error;
    }
    return start;
}
