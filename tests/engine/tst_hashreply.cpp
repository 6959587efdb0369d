// The hash replies of servers, the choice among the hash commands, MDTM replies, and the hash
// built while the bytes stream.
#include "engine/hashreply.h"
#include "engine/modifiedtimereply.h"
#include "engine/streamhash.h"

#include <QTemporaryFile>
#include <QTest>

Q_DECLARE_METATYPE(HashAlgorithm)

namespace
{

const QByteArray sha256 = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"; // "abc"

} // namespace

class TestHashReply : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<int>("algorithm");
        QTest::addColumn<bool>("viaHash");
        QTest::addColumn<QByteArray>("digest"); // empty: no claim

        const int s256 = int(HashAlgorithm::Sha256), crc = int(HashAlgorithm::Crc32);
        QTest::addRow("XSHA256") << "213 " + sha256 << s256 << false << sha256;
        QTest::addRow("XSHA256 upper case, name after") << "213 " + sha256.toUpper() + " a.bin\r\n" << s256 << false
                                                        << sha256;
        QTest::addRow("250 as some servers answer") << "250 " + sha256 << s256 << false << sha256;
        QTest::addRow("one digit short") << "213 " + sha256.chopped(1) << s256 << false << QByteArray();
        QTest::addRow("not hex") << "213 " + sha256.chopped(1) + "g" << s256 << false << QByteArray();
        QTest::addRow("refused") << QByteArray("550 No such file") << s256 << false << QByteArray();
        QTest::addRow("empty") << QByteArray() << s256 << false << QByteArray();
        QTest::addRow("XCRC") << QByteArray("213 CBF43926") << crc << false << QByteArray("cbf43926");
        QTest::addRow("XCRC as a decimal number") << QByteArray("213 3421780262") << crc << false << QByteArray();
        QTest::addRow("HASH") << "213 SHA-256 0-3 " + sha256 + " my file.bin" << s256 << true << sha256;
        QTest::addRow("HASH multi-line, last line counts")
            << "213-Computing\r\n213 SHA-256 0-3 " + sha256 + " a" << s256 << true << sha256;
        QTest::addRow("HASH of another algorithm") << "213 SHA-1 0-3 " + sha256 + " a" << s256 << true
                                                   << QByteArray();
        QTest::addRow("HASH of a part of the file") << "213 SHA-256 10-20 " + sha256 + " a" << s256 << true
                                                    << QByteArray();
        QTest::addRow("HASH without digest") << QByteArray("213 SHA-256 0-3") << s256 << true << QByteArray();
    }
    void parse()
    {
        QFETCH(QByteArray, reply);
        QFETCH(int, algorithm);
        QFETCH(bool, viaHash);
        QFETCH(QByteArray, digest);
        const std::optional<QByteArray> parsed = ParseHashReply(reply, {HashAlgorithm(algorithm), viaHash});
        QCOMPARE(parsed.value_or(QByteArray()), digest);
    }

    void choose_data()
    {
        QTest::addColumn<QList<QByteArray>>("algorithms"); // HASH's list
        QTest::addColumn<QByteArray>("x");                 // the X commands offered, one letter each
        QTest::addColumn<QByteArray>("verb");              // empty: none
        QTest::addColumn<QByteArray>("name");
        QTest::addRow("nothing") << QList<QByteArray>{} << QByteArray() << QByteArray() << QByteArray();
        QTest::addRow("SHA-256 before SHA-1 in HASH") << QList<QByteArray>{"SHA-1", "SHA-256"} << QByteArray()
                                                      << QByteArray("HASH") << QByteArray("SHA-256");
        QTest::addRow("HASH SHA-1 before XMD5") << QList<QByteArray>{"SHA-1"} << QByteArray("m")
                                                << QByteArray("HASH") << QByteArray("SHA-1");
        QTest::addRow("XSHA256 before HASH SHA-1") << QList<QByteArray>{"SHA-1"} << QByteArray("2")
                                                   << QByteArray("XSHA256") << QByteArray("SHA-256");
        QTest::addRow("XCRC alone") << QList<QByteArray>{} << QByteArray("c") << QByteArray("XCRC")
                                    << QByteArray("CRC32");
    }
    void choose()
    {
        QFETCH(QList<QByteArray>, algorithms);
        QFETCH(QByteArray, x);
        QFETCH(QByteArray, verb);
        QFETCH(QByteArray, name);
        ServerFeatures features;
        features.hashAlgorithms = algorithms;
        features.xsha256 = x.contains('2');
        features.xsha1 = x.contains('1');
        features.xmd5 = x.contains('m');
        features.xcrc = x.contains('c');
        const std::optional<HashCommand> command = ChooseHashCommand(features);
        QCOMPARE(command ? command->verb() : QByteArray(), verb);
        QCOMPARE(command ? hashAlgorithmName(command->algorithm) : QByteArray(), name);
    }

    void modifiedTime_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QByteArray>("time"); // empty: unreadable
        QTest::addRow("plain") << QByteArray("213 20240131235959") << QByteArray("20240131235959");
        QTest::addRow("fraction") << QByteArray("213 20240131235959.123\r\n") << QByteArray("20240131235959");
        QTest::addRow("no leap day") << QByteArray("213 20230229000000") << QByteArray();
        QTest::addRow("month 13") << QByteArray("213 20241301000000") << QByteArray();
        QTest::addRow("with dashes") << QByteArray("213 2024-01-01 12:00") << QByteArray();
        QTest::addRow("short") << QByteArray("213 2024013123595") << QByteArray();
        QTest::addRow("refused") << QByteArray("550 20240131235959") << QByteArray();
    }
    void modifiedTime()
    {
        QFETCH(QByteArray, reply);
        QFETCH(QByteArray, time);
        QCOMPARE(ParseModifiedTimeReply(reply).value_or(QByteArray()), time);
    }

    // Known digests, fed in uneven pieces, and a resumed file's head taken from the file itself.
    void streamHash_data()
    {
        QTest::addColumn<HashAlgorithm>("algorithm");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("digest");
        QTest::addRow("SHA-256") << HashAlgorithm::Sha256 << QByteArray("abc") << sha256;
        QTest::addRow("SHA-1") << HashAlgorithm::Sha1 << QByteArray("abc")
                               << QByteArray("a9993e364706816aba3e25717850c26c9cd0d89d");
        QTest::addRow("MD5 of nothing") << HashAlgorithm::Md5 << QByteArray()
                                        << QByteArray("d41d8cd98f00b204e9800998ecf8427e");
        QTest::addRow("CRC32") << HashAlgorithm::Crc32 << QByteArray("123456789") << QByteArray("cbf43926");
        QTest::addRow("CRC32 of one byte") << HashAlgorithm::Crc32 << QByteArray("a")
                                                   << QByteArray("e8b7be43");
    }
    void streamHash()
    {
        QFETCH(HashAlgorithm, algorithm);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, digest);
        for (qsizetype head = 0; head <= input.size(); ++head) {
            QTemporaryFile file;
            QVERIFY(file.open() && file.write(input) == input.size() && file.flush());
            StreamHash hash(algorithm);
            hash.add("stale", 5); // a transfer starting over must not count it
            hash.reset();
            QVERIFY(hash.addFileHead(int(file.handle()), head));
            hash.add(input.constData() + head, input.size() - head);
            QCOMPARE(hash.hex().value_or(QByteArray()), digest);
            QCOMPARE(digest.size(), hashHexLength(algorithm));
        }
        // A head the file does not hold leaves no digest to claim.
        QTemporaryFile empty;
        QVERIFY(empty.open());
        StreamHash hash(algorithm);
        QVERIFY(!hash.addFileHead(int(empty.handle()), 4));
        QVERIFY(!hash.hex());
    }
};

QTEST_GUILESS_MAIN(TestHashReply)
#include "tst_hashreply.moc"
