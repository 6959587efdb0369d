#include "platform/menutext.h"

#include "platform/uitext.h"

#include <algorithm>

QString menuText(const char *english, char key)
{
    const QString source = QString::fromUtf8(english);
    const QString text = uiText(english);
    const qsizetype tab = text.indexOf(QLatin1Char('\t'));
    QString label = tab >= 0 ? text.left(tab) : text;
    const QString shortcut = tab >= 0 ? text.mid(tab) : QString();
    if (text == source) {
        const qsizetype at = label.indexOf(QLatin1Char(key), 0, Qt::CaseInsensitive);
        label.insert(std::max<qsizetype>(at, 0), QLatin1Char('&'));
    } else {
        const bool dots = label.endsWith(QStringLiteral("..."));
        if (dots)
            label.chop(3);
        label += QStringLiteral("(&%1)").arg(QChar::fromLatin1(key).toUpper());
        if (dots)
            label += QStringLiteral("...");
    }
    return label + shortcut;
}
