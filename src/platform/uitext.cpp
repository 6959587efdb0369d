#include "platform/uitext.h"

#include <algorithm>

namespace {

// The English text with "&" before the first `key` letter (or at the start when it has none).
QString markKey(QString text, char key)
{
    const qsizetype at = text.indexOf(QLatin1Char(key), 0, Qt::CaseInsensitive);
    text.insert(std::max<qsizetype>(at, 0), QLatin1Char('&'));
    return text;
}

QString bracketKey(char key)
{
    return QStringLiteral("(&%1)").arg(QChar::fromLatin1(key).toUpper());
}

} // namespace

QString UiText::menuText(const char *english, char key)
{
    const QString text = tr(english);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QString label = tab >= 0 ? text.left(tab) : text;
    const QString shortcut = tab >= 0 ? text.mid(tab) : QString();
    if (text == QString::fromUtf8(english))
        return markKey(label, key) + shortcut;
    const bool dots = label.endsWith(QStringLiteral("..."));
    if (dots)
        label.chop(3);
    return label + bracketKey(key) + (dots ? QStringLiteral("...") : QString()) + shortcut;
}

QString UiText::withAccessKey(const char *english, char key)
{
    QString text = tr(english);
    if (text == QString::fromUtf8(english))
        return markKey(text, key);
    QString tail;
    for (const QString &ending : {QStringLiteral("..."), QStringLiteral(":")}) {
        if (text.endsWith(ending)) {
            tail = ending;
            text.chop(ending.size());
            break;
        }
    }
    return text + bracketKey(key) + tail;
}
