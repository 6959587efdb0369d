#include "platform/namecodec.h"

#include <QTest>

// A site's character set, both ways: the server's bytes shown as their text, a typed name sent as
// the same bytes, and a name the set cannot hold refused rather than sent with substitutes.
class TestNameCodec : public QObject
{
    Q_OBJECT
private slots:
    void charsets_data()
    {
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        const auto u = [](const char *utf8) { return QString::fromUtf8(utf8); };
        QTest::addRow("automatic, UTF-8") << QByteArray() << QByteArray("caf\xc3\xa9") << u("café");
        QTest::addRow("unknown set is automatic")
            << QByteArray("KLINGON") << QByteArray("caf\xc3\xa9") << u("café");
        QTest::addRow("UTF-8") << QByteArray("UTF-8") << QByteArray("\xed\x95\x9c") << u("한");
        QTest::addRow("CP949") << QByteArray("CP949") << QByteArray("\xc7\xd1\xb1\xdb.txt") << u("한글.txt");
        QTest::addRow("CP949 beyond EUC-KR") << QByteArray("CP949") << QByteArray("\x81\x41") << u("갂");
        QTest::addRow("EUC-KR") << QByteArray("EUC-KR") << QByteArray("\xc7\xd1\xb1\xdb") << u("한글");
        QTest::addRow("Shift_JIS") << QByteArray("Shift_JIS") << QByteArray("\x93\xfa\x96\x7b") << u("日本");
        QTest::addRow("windows-1252") << QByteArray("windows-1252") << QByteArray("\x80uro") << u("€uro");
        QTest::addRow("ISO-8859-1") << QByteArray("ISO-8859-1") << QByteArray("caf\xe9") << u("café");
    }

    void charsets()
    {
        QFETCH(QByteArray, charset);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(namecodec::decodeName(bytes, charset), text);
        QCOMPARE(namecodec::encodeName(text, charset), std::optional<QByteArray>(bytes));
    }

    void unrepresentable_data()
    {
        QTest::addColumn<QByteArray>("charset");
        QTest::addColumn<QString>("text");
        QTest::addRow("euro in ISO-8859-1") << QByteArray("ISO-8859-1") << QString::fromUtf8("5€");
        QTest::addRow("Hangul in Shift_JIS") << QByteArray("Shift_JIS") << QString::fromUtf8("한글");
        QTest::addRow("kana in windows-1252") << QByteArray("windows-1252") << QString::fromUtf8("カナ");
        QTest::addRow("emoji in CP949") << QByteArray("CP949") << QString::fromUtf8("a😀");
    }

    void unrepresentable()
    {
        QFETCH(QByteArray, charset);
        QFETCH(QString, text);
        QCOMPARE(namecodec::encodeName(text, charset), std::nullopt);
    }

    void offeredSetsConvert()
    {
        for (const QByteArray &charset : namecodec::offeredCharsets())
            QVERIFY2(namecodec::isKnownCharset(charset), charset.constData());
    }
};

QTEST_GUILESS_MAIN(TestNameCodec)
#include "tst_namecodec.moc"
