#include "platform/textformat.h"

#include "platform/strings.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcTextFormat, "tidewell.texts", QtWarningMsg)

namespace
{

struct Conversion {
    QByteArray flagsWidthPrecision; // between "%" and the length modifier
    char kind = 0;                  // s, d, i, u, f, or 0 when the text has no valid conversion here
    int end = 0;                    // index after the conversion
};

// Reads the conversion that starts at `format[start]` (the "%").
Conversion readConversion(const QByteArray &format, int start)
{
    Conversion conversion;
    int i = start + 1;
    while (i < format.size() && QByteArrayView("-+ #0123456789.").contains(format[i]))
        conversion.flagsWidthPrecision += format[i++];
    while (i < format.size() && (format[i] == 'l' || format[i] == 'h' || format[i] == 'z'))
        ++i;
    if (i < format.size() && QByteArrayView("sdiuf").contains(format[i]))
        conversion.kind = format[i++];
    conversion.end = i;
    return conversion;
}

QString formatNumber(const Conversion &conversion, const TextArg::Value &value)
{
    const QByteArray pattern = '%' + conversion.flagsWidthPrecision;
    if (conversion.kind == 'f') {
        const double number = std::holds_alternative<double>(value) ? std::get<double>(value)
                                                                    : double(std::get<long long>(value));
        return QString::asprintf((pattern + 'f').constData(), number);
    }
    const long long number = std::holds_alternative<long long>(value)
                                 ? std::get<long long>(value)
                                 : static_cast<long long>(std::get<double>(value));
    if (conversion.kind == 'u')
        return QString::asprintf((pattern + "llu").constData(), static_cast<unsigned long long>(number));
    return QString::asprintf((pattern + "lld").constData(), number);
}

} // namespace

QString loadText(TextId id)
{
    return loadString(static_cast<int>(id));
}

QString formatText(const QString &format, std::initializer_list<TextArg> args)
{
    const QByteArray bytes = format.toUtf8();
    QString out;
    auto arg = args.begin();
    int from = 0;
    for (int percent = bytes.indexOf('%'); percent >= 0; percent = bytes.indexOf('%', from)) {
        out += QString::fromUtf8(bytes.mid(from, percent - from));
        if (percent + 1 < bytes.size() && bytes[percent + 1] == '%') {
            out += QLatin1Char('%');
            from = percent + 2;
            continue;
        }
        const Conversion conversion = readConversion(bytes, percent);
        from = conversion.end;
        if (!conversion.kind) {
            qCWarning(lcTextFormat) << "unknown conversion in" << format;
            out += QString::fromUtf8(bytes.mid(percent, conversion.end - percent));
            continue;
        }
        if (arg == args.end()) {
            qCWarning(lcTextFormat) << "missing argument for" << format;
            continue;
        }
        const TextArg::Value &value = (arg++)->value();
        if (conversion.kind == 's') {
            if (const auto *text = std::get_if<QString>(&value))
                out += *text;
            else {
                qCWarning(lcTextFormat) << "a number given for a text in" << format;
                out += std::holds_alternative<double>(value) ? QString::number(std::get<double>(value))
                                                             : QString::number(std::get<long long>(value));
            }
        } else if (std::holds_alternative<QString>(value)) {
            qCWarning(lcTextFormat) << "a text given for a number in" << format;
            out += std::get<QString>(value);
        } else {
            out += formatNumber(conversion, value);
        }
    }
    out += QString::fromUtf8(bytes.mid(from));
    if (arg != args.end())
        qCWarning(lcTextFormat) << "more arguments than conversions in" << format;
    return out;
}
