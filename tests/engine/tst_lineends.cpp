#include "engine/lineends.h"

#include <QTest>

#include <vector>

class TestLineEnds : public QObject
{
    Q_OBJECT
private slots:
    // Network text cut into blocks at every place gives the same local text, a CR LF torn
    // between two blocks included.
    void decodeAcrossBlocks_data()
    {
        QTest::addColumn<QByteArray>("network");
        QTest::addColumn<QByteArray>("local");
        QTest::addRow("CR LF") << QByteArray("a\r\nb\r\n") << QByteArray("a\nb\n");
        QTest::addRow("lone CR kept") << QByteArray("a\rb") << QByteArray("a\rb");
        QTest::addRow("CR CR LF") << QByteArray("a\r\r\nb") << QByteArray("a\r\nb");
        QTest::addRow("CR at the end") << QByteArray("end\r") << QByteArray("end\r");
        QTest::addRow("bare LF") << QByteArray("x\ny") << QByteArray("x\ny");
    }
    void decodeAcrossBlocks()
    {
        QFETCH(QByteArray, network);
        QFETCH(QByteArray, local);
        for (qsizetype cut = 0; cut <= network.size(); ++cut) {
            std::vector<char> out(size_t(network.size()) + 2);
            bool pending = false;
            qint64 n = DecodeNetworkText(network.constData(), cut, out.data(), pending);
            n += DecodeNetworkText(network.constData() + cut, network.size() - cut, out.data() + n, pending);
            n += FlushNetworkText(out.data() + n, pending);
            QCOMPARE(QByteArray(out.data(), n), local);
        }
    }
};

QTEST_APPLESS_MAIN(TestLineEnds)
#include "tst_lineends.moc"
