// The notice at the end of a long run, against a notification service of the test's own on a
// private bus: one that answers, one that hangs, none at all. The window thread never waits.
#include "fakenotifications.h"

#include "shell/desktopnotifier.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using testsupport::FakeNotifications;
using testsupport::PrivateBus;

class TestDesktopNotifier : public QObject
{
    Q_OBJECT
    std::unique_ptr<PrivateBus> bus_;

private slots:
    void initTestCase()
    {
        bus_ = std::make_unique<PrivateBus>();
        if (!bus_->isRunning())
            QSKIP(qPrintable(QStringLiteral("no private bus could be started: ") + bus_->failure()));
    }
    void cleanupTestCase() { bus_.reset(); }

    void services_data()
    {
        QTest::addColumn<int>("service"); // 0 answers, 1 hangs, 2 missing
        QTest::addColumn<bool>("shown");
        QTest::addColumn<QString>("error");
        QTest::newRow("answers") << 0 << true << QString();
        QTest::newRow("hangs") << 1 << false << QStringLiteral("org.freedesktop.DBus.Error.NoReply");
        QTest::newRow("missing") << 2 << false << QStringLiteral("org.freedesktop.DBus.Error.NameHasNoOwner");
    }
    void services()
    {
        QFETCH(int, service);
        QFETCH(bool, shown);
        QFETCH(QString, error);
        const QString tag = QString::fromLatin1(QTest::currentDataTag());
        std::unique_ptr<FakeNotifications> fake;
        if (service != 2) {
            fake = std::make_unique<FakeNotifications>(bus_->connect(QStringLiteral("service-") + tag),
                                                       service == 0 ? FakeNotifications::Mode::Answer
                                                                    : FakeNotifications::Mode::Hang);
            QVERIFY(fake->registered());
        }
        DesktopNotifier notifier;
        notifier.setBus(bus_->connect(QStringLiteral("client-") + tag));
        notifier.setReplyTimeout(400);
        QSignalSpy answered(&notifier, &DesktopNotifier::answered);

        // The window thread goes on at once, and keeps turning while the answer is awaited.
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(20);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(notifier.notify(QStringLiteral("Transfer finished"), QStringLiteral("2 files transferred.")));
        QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));

        QTRY_COMPARE_WITH_TIMEOUT(answered.count(), 1, 3000);
        QCOMPARE(answered.at(0).at(0).toBool(), shown);
        QCOMPARE(answered.at(0).at(1).toString(), error);
        // A hung service is given up after the bound, not after the bus's own 25 seconds.
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
        if (service == 1)
            QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        if (fake) {
            QCOMPARE(fake->notices.size(), 1);
            QCOMPARE(fake->notices.at(0).summary, QStringLiteral("Transfer finished"));
            QCOMPARE(fake->notices.at(0).body, QStringLiteral("2 files transferred."));
        }
    }

    // No bus at all: nothing is sent, and nothing breaks.
    void noBus()
    {
        DesktopNotifier notifier;
        notifier.setBus(QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("none")));
        QVERIFY(!notifier.notify(QStringLiteral("a"), QStringLiteral("b")));
        QDBusConnection::disconnectFromBus(QStringLiteral("none"));
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "tst_desktopnotifier.moc"
