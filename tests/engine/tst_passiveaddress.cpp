#include "engine/passiveaddress.h"

#include <QTest>

namespace
{

std::uint32_t ip(int a, int b, int c, int d)
{
    return std::uint32_t(a) << 24 | b << 16 | c << 8 | d;
}

} // namespace

class TestPassiveAddress : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QByteArray>("address");
        QTest::addColumn<int>("port");
        QTest::newRow("usual") << QByteArray("227 Entering Passive Mode (192,168,1,2,19,137)") << true
                               << QByteArray("192.168.1.2") << 5001;
        QTest::newRow("no parentheses")
            << QByteArray("227 =10,0,0,7,4,1") << true << QByteArray("10.0.0.7") << 1025;
        QTest::newRow("blanks after commas")
            << QByteArray("227 ok (1, 2, 3, 4, 0, 21)") << true << QByteArray("1.2.3.4") << 21;
        QTest::newRow("numbers taken modulo 256")
            << QByteArray("227 (257,2,3,4,256,300)") << true << QByteArray("1.2.3.4") << 44;
        // 10^n - 1 is 255 modulo 256 for n >= 8.
        QTest::newRow("endless digits") << QByteArray("227 (1,2,3,4,5,") + QByteArray(5000, '9') + ')' << true
                                        << QByteArray("1.2.3.4") << 5 * 256 + 255;
        QTest::newRow("code digits are skipped")
            << QByteArray("227 Mode 1,2,3,4,5,6") << true << QByteArray("1.2.3.4") << 1286;
        QTest::newRow("blank-separated")
            << QByteArray("227 Entering Passive Mode (192 168 1 2 19 137)") << false << QByteArray() << 0;
        QTest::newRow("five numbers") << QByteArray("227 (1,2,3,4,5)") << false << QByteArray() << 0;
        QTest::newRow("no digits") << QByteArray("227 Entering Passive Mode") << false << QByteArray() << 0;
        QTest::newRow("short line") << QByteArray("227") << false << QByteArray() << 0;
        QTest::newRow("trailing comma") << QByteArray("227 (1,2,3,4,5,)") << false << QByteArray() << 0;
    }
    void parse()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, valid);
        QFETCH(QByteArray, address);
        QFETCH(int, port);
        const auto endpoint = ParsePassiveReply(reply);
        QCOMPARE(endpoint.has_value(), valid);
        if (valid) {
            QCOMPARE(DottedAddress(endpoint->address), address);
            QCOMPARE(int(endpoint->port), port);
        }
    }

    void target_data()
    {
        QTest::addColumn<std::uint32_t>("offered");
        QTest::addColumn<std::uint32_t>("peer");
        QTest::addColumn<std::uint32_t>("expected");
        const std::uint32_t publicPeer = ip(203, 0, 113, 5);
        QTest::newRow("public as given") << ip(198, 51, 100, 7) << publicPeer << ip(198, 51, 100, 7);
        QTest::newRow("0.0.0.0 from a public server") << 0u << publicPeer << publicPeer;
        QTest::newRow("0.0.0.0 from a private server") << 0u << ip(10, 1, 1, 1) << ip(10, 1, 1, 1);
        QTest::newRow("private behind NAT") << ip(192, 168, 1, 2) << publicPeer << publicPeer;
        QTest::newRow("10/8 behind NAT") << ip(10, 9, 8, 7) << publicPeer << publicPeer;
        QTest::newRow("172.16/12 behind NAT") << ip(172, 31, 0, 1) << publicPeer << publicPeer;
        QTest::newRow("172.32 is public") << ip(172, 32, 0, 1) << publicPeer << ip(172, 32, 0, 1);
        QTest::newRow("loopback from a public server") << ip(127, 0, 0, 1) << publicPeer << publicPeer;
        QTest::newRow("link-local from a public server") << ip(169, 254, 3, 4) << publicPeer << publicPeer;
        QTest::newRow("private on a private network")
            << ip(192, 168, 1, 9) << ip(192, 168, 1, 2) << ip(192, 168, 1, 9);
        QTest::newRow("loopback on loopback") << ip(127, 0, 0, 1) << ip(127, 0, 0, 1) << ip(127, 0, 0, 1);
        QTest::newRow("equal to the peer") << publicPeer << publicPeer << publicPeer;
        QTest::newRow("peer unknown") << ip(192, 168, 0, 1) << 0u << ip(192, 168, 0, 1);
    }
    void target()
    {
        QFETCH(std::uint32_t, offered);
        QFETCH(std::uint32_t, peer);
        QFETCH(std::uint32_t, expected);
        const Endpoint result = PassiveTarget({offered, 4242}, peer);
        QCOMPARE(DottedAddress(result.address), DottedAddress(expected));
        QCOMPARE(int(result.port), 4242);
    }
};

QTEST_GUILESS_MAIN(TestPassiveAddress)
#include "tst_passiveaddress.moc"
