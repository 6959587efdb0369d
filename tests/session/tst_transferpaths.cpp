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

    // Relative changes of folder: up to the common folder, then down one name at a time.
    void folderSteps_data()
    {
        QTest::addColumn<QByteArray>("from");
        QTest::addColumn<QByteArray>("to");
        QTest::addColumn<QByteArray>("steps"); // "CDUP" or the name, each with the folder reached
        QTest::addRow("into a child") << QByteArray("/a") << QByteArray("/a/b") << QByteArray("b=/a/b");
        QTest::addRow("down from the root") << QByteArray("/") << QByteArray("/a/b") << QByteArray("a=/a b=/a/b");
        QTest::addRow("to a sibling") << QByteArray("/a/b") << QByteArray("/a/c") << QByteArray("CDUP=/a c=/a/c");
        QTest::addRow("back to the root") << QByteArray("/a/b/") << QByteArray("/") << QByteArray("CDUP=/a CDUP=/");
        QTest::addRow("same folder") << QByteArray("/a/./b") << QByteArray("/a/b") << QByteArray();
        QTest::addRow("prefix is no parent") << QByteArray("/ab") << QByteArray("/a/x") << QByteArray("CDUP=/ a=/a x=/a/x");
        QTest::addRow("not from the root: whole") << QByteArray("C:\\x") << QByteArray("C:\\y") << QByteArray("C:\\y=C:\\y");
    }
    void folderSteps()
    {
        QFETCH(QByteArray, from);
        QFETCH(QByteArray, to);
        QFETCH(QByteArray, steps);
        QByteArrayList shown;
        for (const RemoteFolderStep &step : RemoteFolderSteps(from, to))
            shown << (step.up ? QByteArray("CDUP") : step.name) + "=" + step.reached;
        QCOMPARE(shown.join(' '), steps);
    }
};

QTEST_APPLESS_MAIN(TestTransferPaths)
#include "tst_transferpaths.moc"
