#include "engine/epsvreply.h"
#include "engine/featuresreply.h"
#include "engine/filetimes.h"

#include <QTest>

using Lines = QList<QByteArray>;
using Names = QList<QByteArray>;

namespace
{

// The features that are set, by their command names, for one comparison per row.
Names offered(const ServerFeatures &f)
{
    Names names;
    const std::pair<bool, const char *> flags[] = {{f.mlsd, "MLSD"},
                                                   {f.mlst, "MLST"},
                                                   {f.utf8, "UTF8"},
                                                   {f.size, "SIZE"},
                                                   {f.mdtm, "MDTM"},
                                                   {f.mfmt, "MFMT"},
                                                   {f.restStream, "REST STREAM"},
                                                   {f.epsv, "EPSV"},
                                                   {f.eprt, "EPRT"},
                                                   {f.xsha256, "XSHA256"},
                                                   {f.xsha1, "XSHA1"},
                                                   {f.xmd5, "XMD5"},
                                                   {f.xcrc, "XCRC"}};
    for (const auto &[set, name] : flags)
        if (set)
            names.append(name);
    for (const QByteArray &algorithm : f.hashAlgorithms)
        names.append("HASH " + algorithm);
    return names;
}

} // namespace

class TestProtocolReplies : public QObject
{
    Q_OBJECT
private slots:
    void extendedPassive_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("port"); // 0: refused
        QTest::addColumn<QByteArray>("address");
        QTest::newRow("vsftpd") << QByteArray("229 Entering Extended Passive Mode (|||6446|)") << 6446
                                << QByteArray();
        QTest::newRow("pyftpdlib") << QByteArray("229 Entering extended passive mode (|||46157|).") << 46157
                                   << QByteArray();
        QTest::newRow("an address of its own")
            << QByteArray("229 ok (|2|2001:db8::7|2121|)") << 2121 << QByteArray("2001:db8::7");
        QTest::newRow("port 0") << QByteArray("229 ok (|||0|)") << 0 << QByteArray();
        QTest::newRow("port 65536") << QByteArray("229 ok (|||65536|)") << 0 << QByteArray();
        QTest::newRow("port of letters") << QByteArray("229 ok (|||abc|)") << 0 << QByteArray();
        QTest::newRow("port of many digits") << QByteArray("229 ok (|||0000000021|)") << 0 << QByteArray();
        QTest::newRow("delimiters differ") << QByteArray("229 ok (|||21!)") << 0 << QByteArray();
        QTest::newRow("no parenthesis") << QByteArray("229 ok |||21|") << 0 << QByteArray();
        QTest::newRow("PASV's numbers") << QByteArray("229 ok (127,0,0,1,4,1)") << 0 << QByteArray();
    }
    void extendedPassive()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, port);
        QFETCH(QByteArray, address);
        const std::optional<ExtendedPassiveOffer> offer = ParseExtendedPassiveReply(reply);
        QCOMPARE(offer.has_value(), port != 0);
        if (offer) {
            QCOMPARE(int(offer->port), port);
            QCOMPARE(offer->address, address);
        }
    }

    void features_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<bool>("answered");
        QTest::addColumn<bool>("malformed");
        QTest::addColumn<Names>("features");
        QTest::addColumn<Names>("mlstFacts");

        QTest::newRow("pyftpdlib")
            << Lines{"211-Features supported:",
                     " EPRT",
                     " EPSV",
                     " MDTM",
                     " MFMT",
                     " MLST type*;perm*;size*;modify*;unique*;unix.mode;unix.uid;unix.gid;",
                     " REST STREAM",
                     " SIZE",
                     " TVFS",
                     " UTF8",
                     "211 End FEAT."}
            << true << false
            << Names{"MLSD", "MLST", "UTF8", "SIZE", "MDTM", "MFMT", "REST STREAM", "EPSV", "EPRT"}
            << Names{"type", "perm", "size", "modify", "unique", "unix.mode", "unix.uid", "unix.gid"};
        QTest::newRow("vsftpd") << Lines{"211-Features:", " EPRT", " EPSV", " MDTM",  " PASV",
                                         " REST STREAM",  " SIZE", " TVFS", "211 End"}
                                << true << false << Names{"SIZE", "MDTM", "REST STREAM", "EPSV", "EPRT"}
                                << Names{};
        QTest::newRow("hash commands")
            << Lines{"211-Extensions supported:",
                     " HASH SHA-256*;SHA-1;md5;CRC32;SHA-1",
                     " XSHA256",
                     " XSHA1",
                     " XMD5",
                     " XCRC",
                     " MLSD",
                     "211 END"}
            << true << false << Names{"MLSD",         "XSHA256",    "XSHA1",    "XMD5",      "XCRC",
                                      "HASH SHA-256", "HASH SHA-1", "HASH MD5", "HASH CRC32"}
            << Names{};
        QTest::newRow("lower case, no leading blank")
            << Lines{"211-Features", "utf8", "rest stream", "211 End"} << true << false
            << Names{"UTF8", "REST STREAM"} << Names{};
        QTest::newRow("one line, nothing offered")
            << Lines{"211 No features"} << true << false << Names{} << Names{};
        QTest::newRow("refused") << Lines{"500 Unknown command"} << false << false << Names{} << Names{};
        QTest::newRow("another success code")
            << Lines{"200 Features: MDTM SIZE"} << false << true << Names{} << Names{};
        QTest::newRow("no end line") << Lines{"211-Features", " MDTM"} << false << true << Names{} << Names{};
        QTest::newRow("a line that is no feature")
            << Lines{"211-Features", " MDTM", " <html>", " SIZE", "211 End"} << false << true << Names{}
            << Names{};
    }
    void features()
    {
        QFETCH(Lines, lines);
        QFETCH(bool, answered);
        QFETCH(bool, malformed);
        QFETCH(Names, features);
        QFETCH(Names, mlstFacts);
        const FeaturesReply reply = ParseFeaturesReply(lines);
        QCOMPARE(reply.features.answered, answered);
        QCOMPARE(reply.malformed, malformed);
        QCOMPARE(offered(reply.features), features);
        QCOMPARE(reply.mlstFacts, mlstFacts);
    }

    void timeReplies_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<qint64>("seconds");
        QTest::newRow("MDTM") << QByteArray("213 20240131120000") << qint64(1706702400);
        QTest::newRow("not found") << QByteArray("550 No such file") << qint64(-1);
        QTest::newRow("month 13") << QByteArray("213 20241331120000") << qint64(-1);
    }
    void timeReplies()
    {
        QFETCH(QByteArray, reply);
        QFETCH(qint64, seconds);
        QCOMPARE(ParseTimeReply(reply).value_or(-1), seconds);
        if (seconds >= 0)
            QCOMPARE(FactTimeText(seconds), reply.mid(4, 14));
    }
};

QTEST_GUILESS_MAIN(TestProtocolReplies)
#include "tst_protocolreplies.moc"
