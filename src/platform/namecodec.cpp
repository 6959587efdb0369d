#include "platform/namecodec.h"

#include <QLocale>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <memory>
#include <optional>

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

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029;
}

// The converters read "CP949" as an IBM table without the 8,822 syllables that Windows added to
// EUC-KR, so names that use them came out as other characters; the Windows table is CP949 proper.
QByteArray converterName(QByteArrayView charset)
{
    const QByteArray name = charset.toByteArray();
    return qstricmp(name.constData(), "CP949") == 0 ? QByteArrayLiteral("windows-949") : name;
}

bool needsFieldEscape(unsigned char c)
{
    return c < 0x20 || c == 0x7F || c == ';' || c == '%';
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The byte that the "%XX" at `i` stands for, or -1 when it is no escape that escapeField writes.
int escapeAt(QByteArrayView text, qsizetype i)
{
    if (i + 2 >= text.size() || text[i] != '%')
        return -1;
    const int high = hexValue(text[i + 1]);
    const int low = hexValue(text[i + 2]);
    if (high < 0 || low < 0)
        return -1;
    const int byte = high * 16 + low;
    return needsFieldEscape(uchar(byte)) ? byte : -1;
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
    QStringDecoder decoder(converterName("CP949").constData(), QStringDecoder::Flag::Stateless);
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

namespace
{

// The decoder of the set last asked for on this thread, opened once: a listing decodes every row
// in its site's set, and opening a converter cost more than the decoding. Null for a set this
// build cannot convert both ways.
QStringDecoder *namedDecoder(QByteArrayView charset)
{
    struct Opened {
        std::optional<QByteArray> charset;
        std::unique_ptr<QStringDecoder> decoder;
    };
    thread_local Opened opened;
    if (opened.charset != charset.toByteArray()) {
        opened.charset = charset.toByteArray();
        opened.decoder.reset();
        const QByteArray name = converterName(charset);
        if (!name.isEmpty() && QStringEncoder(name.constData()).isValid()) {
            auto decoder = std::make_unique<QStringDecoder>(name.constData(), QStringDecoder::Flag::Stateless);
            if (decoder->isValid())
                opened.decoder = std::move(decoder);
        }
    }
    return opened.decoder.get();
}

} // namespace

bool isKnownCharset(QByteArrayView charset)
{
    return namedDecoder(charset) != nullptr;
}

bool readsUtf8(QByteArrayView charset)
{
    return !isKnownCharset(charset) || qstricmp(charset.toByteArray().constData(), "UTF-8") == 0 ||
           qstricmp(charset.toByteArray().constData(), "UTF8") == 0;
}

const QList<QByteArray> &offeredCharsets()
{
    static const QList<QByteArray> names = {"UTF-8",     "CP949",        "EUC-KR",
                                            "Shift_JIS", "windows-1252", "ISO-8859-1"};
    return names;
}

QString decodeName(QByteArrayView bytes, QByteArrayView charset)
{
    QStringDecoder *decoder = namedDecoder(charset);
    if (!decoder)
        return decodeName(bytes);
    QString name = decoder->decode(bytes);
    decoder->resetState(); // an invalid byte leaves no mark on the next name
    return name;
}

std::optional<QByteArray> encodeName(const QString &name, QByteArrayView charset)
{
    if (!isKnownCharset(charset))
        return name.toUtf8();
    const QByteArray set = converterName(charset);
    QStringEncoder encoder(set.constData(), QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(name);
    // Some converters put a substitute in silently, so the bytes must read back as the name.
    QStringDecoder decoder(set.constData(), QStringDecoder::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (encoder.hasError() || decoder.hasError() || back != name)
        return std::nullopt;
    return bytes;
}

QString escapeControls(const QString &text, bool keepLineFeeds)
{
    const auto escaped = [keepLineFeeds](QChar c) {
        return isControl(c.unicode()) && !(keepLineFeeds && c == QLatin1Char('\n'));
    };
    if (std::none_of(text.cbegin(), text.cend(), escaped))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    for (QChar c : text) {
        if (!escaped(c))
            out += c;
        else if (c.unicode() <= 0xFF)
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out;
}

namespace
{

QString shownName(QByteArrayView bytes, bool *exact, const QString &decoded)
{
    const QString shown = escapeControls(decoded);
    // An ASCII name is its own UTF-8 form unless an escape made it longer; any other name is
    // compared, which also catches what a decoder drops or replaces (a leading byte-order mark).
    if (exact)
        *exact = isAscii(bytes) ? shown.size() == bytes.size() : shown.toUtf8() == bytes;
    return shown;
}

} // namespace

QString displayName(QByteArrayView bytes, bool *exact, Legacy legacy)
{
    return shownName(bytes, exact, decodeName(bytes, legacy));
}

QString displayName(QByteArrayView bytes, bool *exact, QByteArrayView charset)
{
    return shownName(bytes, exact, decodeName(bytes, charset));
}

void appendEscapedField(QByteArray &out, QByteArrayView bytes)
{
    // A "%" needs its escape only where it would read as one.
    const auto special = [bytes](qsizetype i) {
        return bytes[i] == '%' ? escapeAt(bytes, i) >= 0 : needsFieldEscape(uchar(bytes[i]));
    };
    qsizetype first = 0;
    while (first < bytes.size() && !special(first))
        ++first;
    out += bytes.first(first);
    if (first == bytes.size())
        return;
    static constexpr char hex[] = "0123456789ABCDEF";
    for (qsizetype i = first; i < bytes.size(); ++i) {
        const auto u = uchar(bytes[i]);
        if (special(i)) {
            out += '%';
            out += hex[u >> 4];
            out += hex[u & 0xF];
        } else {
            out += char(u);
        }
    }
}

QByteArray escapeField(QByteArrayView bytes)
{
    QByteArray out;
    appendEscapedField(out, bytes);
    return out;
}

QByteArray unescapeField(QByteArrayView field)
{
    if (!field.contains('%'))
        return field.toByteArray();
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const int byte = field[i] == '%' ? escapeAt(field, i) : -1;
        if (byte >= 0) {
            out += char(byte);
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace namecodec
