#include "session/knowncertificates.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace
{

QByteArray fingerprint(char digit)
{
    QByteArray pairs;
    for (int i = 0; i < 32; ++i)
        pairs += QByteArray(i ? ":" : "") + digit + 'A';
    return pairs;
}

} // namespace

class TestKnownCertificates : public QObject
{
    Q_OBJECT

private slots:
    // Damaged files keep their sound lines and lose the rest.
    void loadsWhatIsSound_data()
    {
        const QByteArray good = "ftp.example.org\t21\t" + fingerprint('1') + '\n';
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("kept");
        QTest::newRow("sound") << good << 1;
        QTest::newRow("truncated fingerprint") << good + "other.example\t21\t" + fingerprint('2').left(40) << 1;
        QTest::newRow("truncated in the host") << good + "other.exa" << 1;
        QTest::newRow("port out of range") << good + "b\t70000\t" + fingerprint('2') + '\n' << 1;
        QTest::newRow("port not a number") << good + "b\t2x\t" + fingerprint('2') + '\n' << 1;
        QTest::newRow("lower-case fingerprint") << good + "b\t21\t" + fingerprint('2').toLower() + '\n' << 1;
        QTest::newRow("control character in the host") << good + "b\x01\t21\t" + fingerprint('2') + '\n' << 1;
        QTest::newRow("a fourth field") << good + "b\t21\t" + fingerprint('2') + "\tx\n" << 1;
        QTest::newRow("NUL bytes") << good + QByteArray(100, '\0') << 1;
        QTest::newRow("CR LF line ends") << "a\t21\t" + fingerprint('3') + "\r\n" + good << 2;
        QTest::newRow("same host and port twice: the later wins") << good + "FTP.example.org\t21\t" + fingerprint('4') << 1;
    }
    void loadsWhatIsSound()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, kept);
        const KnownCertificates known = KnownCertificates::parse(file);
        QCOMPARE(known.size(), kept);
        QVERIFY(known.fingerprintFor(QStringLiteral("FTP.EXAMPLE.ORG"), 21).has_value());
        QVERIFY(!known.fingerprintFor(QStringLiteral("ftp.example.org"), 990).has_value());
    }

    void savesAtomicallyForTheUserAlone()
    {
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("known-certificates"));
        KnownCertificates known;
        QVERIFY(known.remember(QStringLiteral("127.0.0.1"), 990, fingerprint('5')));
        QVERIFY(!known.remember(QStringLiteral("127.0.0.1"), 21, "AB:CD"));
        QVERIFY(known.save(path));
        struct stat info{};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &info), 0);
        QCOMPARE(int(info.st_mode & 0777), 0600);
        const KnownCertificates read = KnownCertificates::load(path);
        QCOMPARE(read.fingerprintFor(QStringLiteral("127.0.0.1"), 990), std::optional<QByteArray>(fingerprint('5')));
        QCOMPARE(read.serialized(), known.serialized());
        QCOMPARE(KnownCertificates::load(folder.filePath(QStringLiteral("missing"))).size(), 0);
    }
};

QTEST_GUILESS_MAIN(TestKnownCertificates)
#include "tst_knowncertificates.moc"
