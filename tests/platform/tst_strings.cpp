#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"

#include <QSet>
#include <QTest>

class TestStrings : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { setLanguage(Language::English); }

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

    void everyNamedTextIsInTheTableSortedAndNoOther()
    {
        QSet<int> named;
        for (TextId id : allTextIds)
            named.insert(int(id));
        QCOMPARE(named.size(), qsizetype(allTextIds.size()));
        const StringTable table = englishStrings();
        QSet<int> inTable;
        for (int i = 0; i < table.count; ++i) {
            inTable.insert(table.entries[i].id);
            if (i > 0)
                QVERIFY2(table.entries[i - 1].id < table.entries[i].id,
                         qPrintable(QStringLiteral("id %1 out of order").arg(table.entries[i].id)));
            // The disambiguation keeps two ids of one wording apart in the translation.
            QCOMPARE(QByteArray(table.entries[i].source.disambiguation), QByteArray::number(table.entries[i].id));
        }
        QCOMPARE(inTable, named);
    }

    void oneWordingTranslatedPerId()
    {
        // Both say "This site does not support resuming": one of uploads, one of downloads.
        setLanguage(Language::Korean);
        QCOMPARE(loadString(175), QStringLiteral("이 사이트는 이어올리기를 지원하지 않습니다\n"));
        QCOMPARE(loadString(176), QStringLiteral("이 사이트는 이어받기를 지원하지 않습니다\n"));
        setLanguage(Language::English);
        QCOMPARE(loadString(175), loadString(176));
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

    void uiTextFollowsTheLanguage()
    {
        QCOMPARE(UiText::tr("&File"), QStringLiteral("&File"));
        QCOMPARE(UiText::tr("Deleta All"), QStringLiteral("Deleta All"));
        setLanguage(Language::Korean);
        QCOMPARE(UiText::tr("&File"), QStringLiteral("파일(&F)"));
        QCOMPARE(UiText::tr("Deleta All"), QStringLiteral("모두 삭제"));
        QCOMPARE(UiText::tr("Refresh\tF5"), QStringLiteral("새로 고침\tF5"));
        QCOMPARE(UiText::tr("No such text anywhere"), QStringLiteral("No such text anywhere"));
    }
};

QTEST_GUILESS_MAIN(TestStrings)
#include "tst_strings.moc"
