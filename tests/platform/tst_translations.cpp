#include "platform/strings.h"
#include "platform/uitext.h"

#include <QDir>
#include <QLibraryInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString tsPath = QStringLiteral(TIDEWELL_SOURCE_DIR "/translations/tidewell_ko.ts");

// The argument list a printf format consumes: one item per '*' and per conversion, written as
// its length modifier and conversion letter ("ld", "f", "*"). "%%" consumes nothing. Returns
// false for a conversion the formatter would misread.
bool printfSignature(const QByteArray &format, QStringList *signature)
{
    signature->clear();
    static const QByteArray flags = "-+ #0'";
    static const QByteArray conversions = "diouxXeEfFgGaAcsp";
    for (qsizetype i = 0; i < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        if (++i >= format.size())
            return false;
        if (format[i] == '%')
            continue;
        // Qt's numbered arguments (%1, %L2) are counted apart: digits that no conversion follows.
        qsizetype digitsEnd = format[i] == 'L' ? i + 1 : i;
        const qsizetype digitsStart = digitsEnd;
        while (digitsEnd < format.size() && std::isdigit(static_cast<unsigned char>(format[digitsEnd])))
            ++digitsEnd;
        const bool printfFollows =
            digitsEnd < format.size() && (QByteArrayView("hlLjztdiouxXeEfFgGaAcsp").contains(format[digitsEnd]) ||
                                          (format[digitsEnd] == '.' && digitsEnd + 1 < format.size() &&
                                           std::isdigit(static_cast<unsigned char>(format[digitsEnd + 1]))));
        if (digitsEnd > digitsStart && format[digitsStart] != '0' && !printfFollows) {
            i = digitsEnd - 1;
            continue;
        }
        while (i < format.size() && flags.contains(format[i]))
            ++i;
        if (i < format.size() && format[i] == '*') {
            signature->append(QStringLiteral("*"));
            ++i;
        }
        while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
            ++i;
        if (i < format.size() && format[i] == '.') {
            ++i;
            if (i < format.size() && format[i] == '*') {
                signature->append(QStringLiteral("*"));
                ++i;
            }
            while (i < format.size() && std::isdigit(static_cast<unsigned char>(format[i])))
                ++i;
        }
        QByteArray length;
        for (const char *modifier : {"hh", "ll", "h", "l", "L", "j", "z", "t"}) {
            if (format.mid(i).startsWith(modifier)) {
                length = modifier;
                i += length.size();
                break;
            }
        }
        if (i >= format.size() || !conversions.contains(format[i]))
            return false;
        signature->append(QString::fromLatin1(length + format[i]));
    }
    return true;
}

// Qt's numbered arguments of a text, sorted: a translation may reorder them, not drop or add one.
QStringList numberedArguments(const QString &text)
{
    static const QRegularExpression argument(QStringLiteral("%L?[1-9][0-9]?"));
    QStringList found;
    for (const QRegularExpressionMatch &match : argument.globalMatch(text))
        found.append(match.captured().remove(QLatin1Char('L')));
    found.sort();
    return found;
}

struct Message {
    QString context;
    QString source;
    QString comment;
    QString translation;
    QString type;
};

QList<Message> readTs(const QByteArray &xml, QString *error)
{
    QList<Message> messages;
    QXmlStreamReader reader(xml);
    QString context;
    Message message;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement()) {
            if (reader.isEndElement() && reader.name() == QLatin1String("message"))
                messages.append(std::exchange(message, Message{context, {}, {}, {}, {}}));
            continue;
        }
        const auto name = reader.name();
        if (name == QLatin1String("name")) {
            context = reader.readElementText();
            message.context = context;
        } else if (name == QLatin1String("source")) {
            message.source = reader.readElementText();
        } else if (name == QLatin1String("comment")) {
            message.comment = reader.readElementText();
        } else if (name == QLatin1String("translation")) {
            message.type = reader.attributes().value(QLatin1String("type")).toString();
            message.translation = reader.readElementText();
        }
    }
    if (reader.hasError())
        *error = reader.errorString();
    return messages;
}

// What keeps each message of a translation from being shown as it should, one line each.
QStringList problems(const QList<Message> &messages)
{
    QStringList found;
    for (const Message &m : messages) {
        const QString where = m.context + QLatin1Char('/') + m.source.left(60) +
                              (m.comment.isEmpty() ? QString() : QLatin1Char('#') + m.comment) + QStringLiteral(": ");
        if (!m.type.isEmpty()) {
            found.append(where + m.type);
            continue;
        }
        if (m.translation.isEmpty()) {
            found.append(where + QStringLiteral("no translation"));
            continue;
        }
        QStringList sourceSignature, translationSignature;
        if (!printfSignature(m.source.toUtf8(), &sourceSignature) ||
            !printfSignature(m.translation.toUtf8(), &translationSignature) || sourceSignature != translationSignature ||
            numberedArguments(m.source) != numberedArguments(m.translation))
            found.append(where + QStringLiteral("placeholders differ"));
        // Log lines carry their own line end; a command's text is "prompt\ntooltip"; the key
        // shown beside a menu command follows a tab; each text has one access key.
        if (m.source.endsWith(QLatin1Char('\n')) != m.translation.endsWith(QLatin1Char('\n')) ||
            m.source.count(QLatin1Char('\t')) != m.translation.count(QLatin1Char('\t')) ||
            m.source.count(QLatin1Char('&')) != m.translation.count(QLatin1Char('&')))
            found.append(where + QStringLiteral("line ends, tabs or access keys differ"));
        if (m.context == QLatin1String("Texts") && m.source.count(QLatin1Char('\n')) == 1 &&
            !m.source.endsWith(QLatin1Char('\n')) && m.translation.count(QLatin1Char('\n')) != 1)
            found.append(where + QStringLiteral("prompt and tooltip not apart"));
    }
    return found;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray tsWith(const QString &messages)
{
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?><!DOCTYPE TS><TS version=\"2.1\" "
                          "language=\"ko_KR\"><context><name>UiText</name>%1</context></TS>")
        .arg(messages)
        .toUtf8();
}

QString message(const QString &source, const QString &translation, const QString &type = {})
{
    const QString attribute = type.isEmpty() ? QString() : QStringLiteral(" type=\"%1\"").arg(type);
    return QStringLiteral("<message><source>%1</source><translation%2>%3</translation></message>")
        .arg(source.toHtmlEscaped(), attribute, translation.toHtmlEscaped());
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage(Language::English); }

    void signatureParser_data()
    {
        QTest::addColumn<QByteArray>("format");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QStringList>("signature");
        QTest::newRow("plain") << QByteArray("Disconnected\n") << true << QStringList{};
        QTest::newRow("percent sign") << QByteArray("%lu bytes %2d%%") << true << QStringList{"lu", "d"};
        QTest::newRow("precision and width") << QByteArray("%3.2fKB/sec  %d:%d:%d left") << true
                                             << QStringList{"f", "d", "d", "d"};
        QTest::newRow("flags") << QByteArray("%-8s|%+05d|%#x") << true << QStringList{"s", "d", "x"};
        QTest::newRow("star width") << QByteArray("%*d %.*s") << true << QStringList{"*", "d", "*", "s"};
        QTest::newRow("long long") << QByteArray("%lld %hhu %zu") << true << QStringList{"lld", "hhu", "zu"};
        QTest::newRow("numbered arguments apart") << QByteArray("%1 of %L2 (%s)") << true << QStringList{"s"};
        QTest::newRow("numbered argument before a full stop") << QByteArray("between %1 and %2.") << true
                                                               << QStringList{};
        QTest::newRow("unknown letter") << QByteArray("100%y") << false << QStringList{};
        QTest::newRow("percent at end") << QByteArray("100%") << false << QStringList{};
    }
    void signatureParser()
    {
        QFETCH(QByteArray, format);
        QFETCH(bool, valid);
        QFETCH(QStringList, signature);
        QStringList found;
        QCOMPARE(printfSignature(format, &found), valid);
        if (valid)
            QCOMPARE(found, signature);
    }

    // The check itself: each fault of a translation file is found, a sound one passes.
    void checkFindsEachFault_data()
    {
        QTest::addColumn<QString>("messages");
        QTest::addColumn<QString>("problem");
        const QString good = message(QStringLiteral("&File"), QStringLiteral("파일(&F)"));
        QTest::newRow("sound") << good + message("Cannot delete %1: %2\n", "%1을(를) 삭제할 수 없습니다: %2\n") << "";
        QTest::newRow("arguments reordered") << message("%1 of %2", "%2 중 %1") << "";
        QTest::newRow("translation removed") << good + message("Close", "", "unfinished") << "Close: unfinished";
        QTest::newRow("empty translation") << message("Close", "") << "Close: no translation";
        QTest::newRow("vanished text") << message("Gone", "없음", "vanished") << "Gone: vanished";
        QTest::newRow("obsolete text") << message("Old", "옛", "obsolete") << "Old: obsolete";
        QTest::newRow("numbered argument lost") << message("Cannot delete %1: %2", "삭제할 수 없습니다: %2")
                                                << "placeholders differ";
        QTest::newRow("printf conversion changed") << message("Connected to %s port %u", "%s 포트 %d에 접속")
                                                   << "placeholders differ";
        QTest::newRow("printf conversions reordered") << message("%s: %d", "%d: %s") << "placeholders differ";
        QTest::newRow("line end lost") << message("Transfer completed\n", "전송이 끝났습니다")
                                       << "line ends, tabs or access keys differ";
        QTest::newRow("shortcut tab lost") << message("Refresh\tF5", "새로 고침 F5")
                                           << "line ends, tabs or access keys differ";
        QTest::newRow("access key lost") << message("&Help", "도움말") << "line ends, tabs or access keys differ";
    }
    void checkFindsEachFault()
    {
        QFETCH(QString, messages);
        QFETCH(QString, problem);
        QString error;
        const QStringList found = problems(readTs(tsWith(messages), &error));
        QVERIFY2(error.isEmpty(), qPrintable(error));
        if (problem.isEmpty()) {
            QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
        } else {
            QCOMPARE(found.size(), 1);
            QVERIFY2(found.first().endsWith(problem), qPrintable(found.first()));
        }
    }

    // Every text of the program, as the translation tools find it in the sources today, has a
    // finished Korean translation with the same placeholders, and the file holds no other.
    void everyTextOfTheSourcesIsTranslated()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const QString copy = folder.filePath(QStringLiteral("tidewell_ko.ts"));
        QVERIFY(QFile::copy(tsPath, copy));
        QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        QProcess lupdate;
        QStringList arguments = QStringLiteral(TIDEWELL_LUPDATE_OPTIONS).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        arguments << QStringLiteral("-extensions") << QStringLiteral("cpp,h,inc")
                  << QStringLiteral(TIDEWELL_SOURCE_DIR "/src") << QStringLiteral("-ts") << copy;
        lupdate.start(QStringLiteral(TIDEWELL_LUPDATE), arguments);
        QVERIFY2(lupdate.waitForFinished(120'000), "lupdate did not end in two minutes");
        const QByteArray output = lupdate.readAllStandardOutput() + lupdate.readAllStandardError();
        QVERIFY2(lupdate.exitStatus() == QProcess::NormalExit && lupdate.exitCode() == 0, output.constData());
        QString error;
        const QList<Message> messages = readTs(readAll(copy), &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        // The numbered texts alone are over two hundred; an empty extraction is a broken check.
        QVERIFY2(messages.size() > 400, output.constData());
        const QStringList found = problems(messages);
        QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
    }

    void programAndQtTextsFollowTheLanguage()
    {
        const QString qtFolder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
        QVERIFY2(QFile::exists(QDir(qtFolder).filePath(QStringLiteral("qtbase_ko.qm"))), qPrintable(qtFolder));
        const char *undo = "&Undo";
        setLanguage(Language::Korean);
        QCOMPARE(UiText::tr("Toolbar"), QStringLiteral("도구 모음"));
        QCOMPARE(UiText::menuText("Download Later", 'W'), UiText::tr("Download Later") + QStringLiteral("(&W)"));
        QVERIFY(QCoreApplication::translate("QLineEdit", undo) != QLatin1String(undo));
        setLanguage(Language::English);
        QCOMPARE(UiText::tr("Toolbar"), QStringLiteral("Toolbar"));
        QCOMPARE(QCoreApplication::translate("QLineEdit", undo), QLatin1String(undo));
        // Switching again loads the same files again.
        setLanguage(Language::Korean);
        QCOMPARE(UiText::tr("Toolbar"), QStringLiteral("도구 모음"));
    }
};

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
