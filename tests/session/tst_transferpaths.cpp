#include "session/transferpaths.h"

#include <QTest>

class TestTransferPaths : public QObject
{
    Q_OBJECT
private slots:
    void plainNames_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("plain");
        QTest::addRow("file") << QByteArray("report.txt") << true;
        QTest::addRow("dots inside") << QByteArray("..hidden..") << true;
        QTest::addRow("UTF-8") << QByteArray("\xed\x95\x9c.txt") << true;
        QTest::addRow("parent") << QByteArray("..") << false;
        QTest::addRow("self") << QByteArray(".") << false;
        QTest::addRow("empty") << QByteArray() << false;
        QTest::addRow("slash") << QByteArray("../etc/passwd") << false;
        QTest::addRow("backslash") << QByteArray("..\\boot.ini") << false;
        QTest::addRow("CR LF") << QByteArray("a\r\nDELE b") << false;
        QTest::addRow("DEL") << QByteArray("a\x7f") << false;
    }
    void plainNames()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, plain);
        QCOMPARE(IsPlainEntryName(name), plain);
    }

    void linkTargets_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("inside");
        QTest::addRow("sibling") << QByteArray("a.bin") << true;
        QTest::addRow("down and back") << QByteArray("sub/../a.bin") << true;
        QTest::addRow("itself") << QByteArray(".") << true;
        QTest::addRow("parent") << QByteArray("..") << false;
        QTest::addRow("down then out") << QByteArray("sub/../../x") << false;
        QTest::addRow("absolute") << QByteArray("/etc") << false;
        QTest::addRow("drive") << QByteArray("C:\\x") << false;
        QTest::addRow("backslash climb") << QByteArray("a\\..\\..\\x") << false;
    }
    void linkTargets()
    {
        QFETCH(QByteArray, target);
        QFETCH(bool, inside);
        QCOMPARE(LinkStaysInside(target), inside);
    }

    void transferType_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QString>("extensions");
        QTest::addColumn<char>("type");
        QTest::addRow("listed, case ignored") << QByteArray("/d/readme.TxT") << "HTM,TXT" << 'A';
        QTest::addRow("not listed") << QByteArray("/d/a.bin") << "HTM,TXT" << 'I';
        QTest::addRow("empty token ends the list") << QByteArray("/d/a.txt") << "HTM,,TXT" << 'I';
        QTest::addRow("last dot of the whole path")
            << QByteArray("/web.site/README") << "SITE/README,TXT" << 'A';
        QTest::addRow("dot first") << QByteArray(".txt") << "TXT" << 'I';
        QTest::addRow("no list") << QByteArray("/a.txt") << "" << 'I';
    }
    void transferType()
    {
        QFETCH(QByteArray, path);
        QFETCH(QString, extensions);
        QFETCH(char, type);
        QCOMPARE(TransferTypeForPath(path, extensions), type);
    }
};

QTEST_APPLESS_MAIN(TestTransferPaths)
#include "tst_transferpaths.moc"
