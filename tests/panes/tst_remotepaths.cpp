#include "panes/remotepaths.h"

#include <QTest>

class TestRemotePaths : public QObject
{
    Q_OBJECT
private slots:
    void child_data()
    {
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("slash") << QByteArray("/pub") << QByteArray("incoming") << QByteArray("/pub/incoming");
        QTest::newRow("root collapses") << QByteArray("/") << QByteArray("pub") << QByteArray("/pub");
        QTest::newRow("trailing slash collapses")
            << QByteArray("/pub/") << QByteArray("a") << QByteArray("/pub/a");
        QTest::newRow("backslash") << QByteArray("C:\\data") << QByteArray("x") << QByteArray("C:\\data\\x");
        QTest::newRow("drive root") << QByteArray("C:\\") << QByteArray("x") << QByteArray("C:\\x");
        QTest::newRow("bytes kept") << QByteArray("/k") << QByteArray("\xc7\xd1\xb1\xdb")
                                    << QByteArray("/k/\xc7\xd1\xb1\xdb");
    }

    void child()
    {
        QFETCH(QByteArray, base);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, expected);
        QCOMPARE(childPath(base, name), expected);
    }

    void parent_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<bool>("hasParent");
        QTest::addColumn<QByteArray>("parent");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("/pub to /") << QByteArray("/pub") << true << QByteArray("/") << QByteArray("pub");
        QTest::newRow("two levels") << QByteArray("/pub/incoming") << true << QByteArray("/pub")
                                    << QByteArray("incoming");
        QTest::newRow("root stays") << QByteArray("/") << true << QByteArray("/") << QByteArray();
        QTest::newRow("no separator") << QByteArray("home") << false << QByteArray() << QByteArray();
        QTest::newRow("drive root") << QByteArray("C:\\dir") << true << QByteArray("C:\\")
                                    << QByteArray("dir");
        QTest::newRow("backslash wins over slash")
            << QByteArray("D:\\a/b\\c") << true << QByteArray("D:\\a/b") << QByteArray("c");
    }

    void parent()
    {
        QFETCH(QByteArray, path);
        QFETCH(bool, hasParent);
        QFETCH(QByteArray, parent);
        QFETCH(QByteArray, left);
        const ParentStep step = parentPath(path);
        QCOMPARE(step.hasParent, hasParent);
        QCOMPARE(step.parent, parent);
        QCOMPARE(step.leftFolder, left);
    }

    void typed_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("/pub/") << QByteArray("/pub/") << QByteArray("/pub");
        QTest::newRow("C:\\ unchanged") << QByteArray("C:\\") << QByteArray("C:\\");
        QTest::newRow("no separator") << QByteArray("/pub") << QByteArray("/pub");
        QTest::newRow("root stays root") << QByteArray("/") << QByteArray("/");
        QTest::newRow("only the last one") << QByteArray("/a//") << QByteArray("/a/");
    }

    void typed()
    {
        QFETCH(QByteArray, typed);
        QFETCH(QByteArray, expected);
        QCOMPARE(trimTypedPath(typed), expected);
    }

    void links()
    {
        QCOMPARE(linkName("www -> /var/www"), QByteArray("www"));
        QCOMPARE(linkName("plain"), QByteArray("plain"));
    }
};

QTEST_GUILESS_MAIN(TestRemotePaths)
#include "tst_remotepaths.moc"
