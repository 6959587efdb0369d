#include "shell/accesskey.h"

#include "platform/uitext.h"

QString withAccessKey(const char *english, char key)
{
    QString text = uiText(english);
    if (text == QString::fromUtf8(english)) {
        const qsizetype at = text.indexOf(QLatin1Char(key), 0, Qt::CaseInsensitive);
        text.insert(std::max<qsizetype>(at, 0), QLatin1Char('&'));
        return text;
    }
    QString tail;
    for (const QString &ending : {QStringLiteral("..."), QStringLiteral(":")}) {
        if (text.endsWith(ending)) {
            tail = ending;
            text.chop(ending.size());
            break;
        }
    }
    return text + QStringLiteral("(&%1)").arg(QChar::fromLatin1(key).toUpper()) + tail;
}
