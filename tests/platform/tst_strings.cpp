#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"

#include <QSet>
#include <QStringDecoder>
#include <QTest>

namespace {

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

bool isValidUtf8(const char *text)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString decoded = decoder.decode(QByteArray(text));
    return !decoder.hasError();
}

} // namespace

class TestStrings : public QObject {
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
        QTest::newRow("long and double") << QByteArray("%ld bytes, %.2f seconds, (%3.2fKB/s)") << true
                                         << QStringList{"ld", "f", "f"};
        QTest::newRow("flags") << QByteArray("%-8s|%+05d|%#x") << true << QStringList{"s", "d", "x"};
        QTest::newRow("star width") << QByteArray("%*d %.*s") << true << QStringList{"*", "d", "*", "s"};
        QTest::newRow("long long") << QByteArray("%lld %hhu %zu") << true << QStringList{"lld", "hhu", "zu"};
        QTest::newRow("unsigned") << QByteArray("port %u") << true << QStringList{"u"};
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

    void tablesHoldTheSameIdsSortedAndUnique()
    {
        const StringTable english = stringTable(Language::English);
        const StringTable korean = stringTable(Language::Korean);
        QCOMPARE(korean.count, english.count);
        for (int i = 0; i < english.count; ++i) {
            QCOMPARE(korean.entries[i].id, english.entries[i].id);
            if (i > 0)
                QVERIFY2(english.entries[i - 1].id < english.entries[i].id,
                         qPrintable(QStringLiteral("id %1 out of order").arg(english.entries[i].id)));
        }
    }

    void sameConversionsAndLineEnds()
    {
        const StringTable english = stringTable(Language::English);
        const StringTable korean = stringTable(Language::Korean);
        for (int i = 0; i < english.count; ++i) {
            const int id = english.entries[i].id;
            const QByteArray en = english.entries[i].text;
            const QByteArray ko = korean.entries[i].text;
            const QByteArray where = QByteArray::number(id);
            QVERIFY2(isValidUtf8(ko.constData()), where.constData());
            QStringList enSignature, koSignature;
            QVERIFY2(printfSignature(en, &enSignature), where.constData());
            QVERIFY2(printfSignature(ko, &koSignature), where.constData());
            QVERIFY2(enSignature == koSignature, where.constData());
            // Log messages carry their own line end; a translation must keep it.
            QVERIFY2(en.endsWith('\n') == ko.endsWith('\n'), where.constData());
            // A command prompt is "prompt\ntooltip" in both languages.
            if (id >= 32773 && id != 57344 && id != 57345) {
                QVERIFY2(en.count('\n') == 1 && ko.count('\n') == 1, where.constData());
                QVERIFY2(!en.endsWith('\n') && !ko.endsWith('\n'), where.constData());
            }
        }
    }

    void formatsInBothLanguages_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("connected");
        QTest::addColumn<QString>("retries");
        QTest::newRow("english") << int(Language::English)
                                 << QStringLiteral("Connected to ftp.example.org (ip=192.0.2.7) port 2121\n")
                                 << QStringLiteral("Reconnecting (2/3)...\n");
        QTest::newRow("korean") << int(Language::Korean)
                                << QStringLiteral("ftp.example.org (ip=192.0.2.7) 포트 2121에 접속되었습니다\n")
                                << QStringLiteral("다시 접속하는 중 (2/3)...\n");
    }
    void formatsInBothLanguages()
    {
        QFETCH(int, language);
        QFETCH(QString, connected);
        QFETCH(QString, retries);
        setLanguage(Language(language));
        QCOMPARE(formatText(TextId::ConnectedTo, "ftp.example.org", "192.0.2.7", 2121u), connected);
        QCOMPARE(formatText(TextId::Reconnecting, 2, 3), retries);
        // Sizes are 64-bit: a byte count past 4 GiB must come out whole.
        const long bytes = 5'000'000'000L;
        QVERIFY(formatText(TextId::DownloadedKbRate, bytes, 2.0, bytes / 1024.0 / 2.0)
                    .startsWith(QStringLiteral("5000000000 ")));
    }

    void everyNamedTextIsInBothTablesAndNoOther()
    {
        QSet<int> named;
        for (TextId id : allTextIds)
            named.insert(int(id));
        QCOMPARE(named.size(), qsizetype(allTextIds.size()));
        for (Language language : {Language::English, Language::Korean}) {
            const StringTable table = stringTable(language);
            QSet<int> inTable;
            for (int i = 0; i < table.count; ++i)
                inTable.insert(table.entries[i].id);
            QCOMPARE(inTable, named);
        }
    }

    void typedFormatting_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QList<QVariant>>("args");
        QTest::addColumn<QString>("expected");
        const qint64 big = 5'000'000'000LL;
        QTest::newRow("texts and unsigned") << QStringLiteral("Connected to %s (ip=%s) port %u\n")
                                            << QList<QVariant>{QStringLiteral("h"), QByteArray("1.2.3.4"), 21}
                                            << QStringLiteral("Connected to h (ip=1.2.3.4) port 21\n");
        QTest::newRow("64-bit and fractions")
            << QStringLiteral("%ld bytes downloaded, %.2f seconds, (%3.2fKB/s)\n")
            << QList<QVariant>{big, 2.0, 1.5} << QStringLiteral("5000000000 bytes downloaded, 2.00 seconds, (1.50KB/s)\n");
        QTest::newRow("percent sign") << QStringLiteral("100%% of %d") << QList<QVariant>{7}
                                      << QStringLiteral("100% of 7");
        QTest::newRow("text where a number belongs is shown, not read as one")
            << QStringLiteral("Delaying for %d seconds") << QList<QVariant>{QStringLiteral("x%n")}
            << QStringLiteral("Delaying for x%n seconds");
        QTest::newRow("missing argument stays empty") << QStringLiteral("Reconnecting (%d/%d)...")
                                                      << QList<QVariant>{2} << QStringLiteral("Reconnecting (2/)...");
        QTest::newRow("conversions inside the argument are not expanded")
            << QStringLiteral("Deleting %s\n") << QList<QVariant>{QByteArray("%s%d%n")}
            << QStringLiteral("Deleting %s%d%n\n");
        QTest::newRow("not valid UTF-8 in a name") << QStringLiteral("Skipped %s\n")
                                                   << QList<QVariant>{QByteArray("a\xff")}
                                                   << QString(QStringLiteral("Skipped a") + QChar(0xfffd) + QStringLiteral("\n"));
    }
    void typedFormatting()
    {
        QFETCH(QString, format);
        QFETCH(QList<QVariant>, args);
        QFETCH(QString, expected);
        std::vector<TextArg> typed;
        for (const QVariant &arg : args) {
            switch (arg.typeId()) {
            case QMetaType::QString:
                typed.emplace_back(arg.toString());
                break;
            case QMetaType::QByteArray:
                typed.emplace_back(arg.toByteArray());
                break;
            case QMetaType::Double:
                typed.emplace_back(arg.toDouble());
                break;
            default:
                typed.emplace_back(arg.toLongLong());
            }
        }
        QString result;
        switch (typed.size()) {
        case 1:
            result = formatText(format, {typed[0]});
            break;
        case 2:
            result = formatText(format, {typed[0], typed[1]});
            break;
        case 3:
            result = formatText(format, {typed[0], typed[1], typed[2]});
            break;
        }
        QCOMPARE(result, expected);
    }

    void namedTextsFollowTheLanguage()
    {
        setLanguage(Language::Korean);
        QCOMPARE(formatText(TextId::Reconnecting, 2, 3), QStringLiteral("다시 접속하는 중 (2/3)...\n"));
        setLanguage(Language::English);
        QCOMPARE(formatText(TextId::ConnectedTo, "ftp.example.org", QStringLiteral("192.0.2.7"), 2121u),
                 QStringLiteral("Connected to ftp.example.org (ip=192.0.2.7) port 2121\n"));
    }

    void unknownIdIsEmpty() { QVERIFY(loadString(12345).isEmpty()); }

    void uiTextsHaveUniqueKeys()
    {
        const UiTextTable table = uiTextTable();
        QVERIFY(table.count > 100);
        QSet<QByteArray> keys;
        for (int i = 0; i < table.count; ++i) {
            const QByteArray key = table.entries[i].english;
            QVERIFY2(!keys.contains(key), key.constData());
            keys.insert(key);
            QVERIFY2(isValidUtf8(table.entries[i].korean), key.constData());
            QVERIFY2(key.count('&') == QByteArray(table.entries[i].korean).count('&'), key.constData());
            QVERIFY2(key.count('\t') == QByteArray(table.entries[i].korean).count('\t'), key.constData());
        }
    }

    void uiTextFollowsTheLanguage()
    {
        QCOMPARE(uiText("&File"), QStringLiteral("&File"));
        QCOMPARE(uiText("Deleta All"), QStringLiteral("Deleta All"));
        setLanguage(Language::Korean);
        QCOMPARE(uiText("&File"), QStringLiteral("파일(&F)"));
        QCOMPARE(uiText("Deleta All"), QStringLiteral("모두 삭제"));
        QCOMPARE(uiText("Refresh\tF5"), QStringLiteral("새로 고침\tF5"));
        QCOMPARE(uiText("No such text anywhere"), QStringLiteral("No such text anywhere"));
    }
};

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
