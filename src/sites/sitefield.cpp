#include "sites/sitefield.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

#include <cstring>

namespace sitefield
{

QByteArray storedBytes(const char *field, qsizetype width)
{
    const void *end = std::memchr(field, 0, size_t(width));
    return QByteArray(field, end ? static_cast<const char *>(end) - field : width);
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder legacy("CP949", QStringDecoder::Flag::Stateless);
    if (legacy.isValid())
        return legacy.decode(bytes);
    return QString::fromLatin1(bytes);
}

QByteArray fit(const QString &text, qsizetype width)
{
    const qsizetype room = width - 1;
    QByteArray encoded = text.toUtf8();
    if (encoded.size() <= room)
        return encoded;
    // Cut between grapheme clusters, so that neither a multi-byte sequence nor a base letter
    // and its combining marks are split.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype best = 0;
    for (qsizetype pos = finder.toNextBoundary(); pos > 0; pos = finder.toNextBoundary()) {
        if (QStringView(text).left(pos).toUtf8().size() > room)
            break;
        best = pos;
    }
    return QStringView(text).left(best).toUtf8();
}

} // namespace sitefield
