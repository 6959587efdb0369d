#include "platform/namecodec.h"

#include <QLocale>
#include <QStringDecoder>

namespace namecodec
{
namespace
{

Legacy localeLegacy()
{
    static const Legacy legacy =
        QLocale::system().language() == QLocale::Korean ? Legacy::Cp949 : Legacy::Latin1;
    return legacy;
}

bool isAscii(QByteArrayView bytes)
{
    for (char c : bytes)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
    if (isAscii(bytes))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

QString decodeCp949(QByteArrayView bytes)
{
    QStringDecoder decoder("CP949", QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return decoder.decode(bytes);
}

QString decodeName(QByteArrayView bytes, Legacy legacy)
{
    if (isAscii(bytes))
        return QString::fromLatin1(bytes);
    // A leading byte order mark is part of the name: dropped, the name would no longer be the
    // server's bytes when it goes back in RETR or DELE.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                  QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    if (legacy == Legacy::FromLocale)
        legacy = localeLegacy();
    return legacy == Legacy::Cp949 ? decodeCp949(bytes) : QString::fromLatin1(bytes);
}

} // namespace namecodec
