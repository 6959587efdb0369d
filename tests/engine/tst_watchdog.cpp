// The reply watchdog with several threads waiting at once: each is covered whatever the others do.
#include "engine/watchdog.h"
#include "platform/durations.h"

#include <QScopeGuard>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;

class TestWatchdog : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        watchdog::stop();
        watchdog::setExpiryAction({});
        durations::resetForTest();
    }

    void everyThreadCovered_data()
    {
        QTest::addColumn<bool>("otherKeepsArming");
        // Another connection's read ends (it disarms) while this one still waits.
        QTest::newRow("other disarms") << false;
        // Another connection keeps receiving (it re-arms) while this one hangs.
        QTest::newRow("other re-arms") << true;
    }

    void everyThreadCovered()
    {
        QFETCH(bool, otherKeepsArming);
        durations::setForTest(durations::Kind::Watchdog, 300ms);
        std::atomic<int> expiries{0};
        watchdog::setExpiryAction([&expiries] { ++expiries; });
        const auto removeAction = qScopeGuard([] { watchdog::setExpiryAction({}); });

        // This thread waits for a reply that never comes.
        watchdog::start();
        std::atomic<bool> stop{false};
        std::thread other([&] {
            do {
                watchdog::start();
                std::this_thread::sleep_for(otherKeepsArming ? 50ms : 1ms);
                watchdog::stop();
            } while (otherKeepsArming && !stop);
        });
        auto joinOther = qScopeGuard([&] {
            stop = true;
            other.join();
        });
        QTRY_COMPARE_WITH_TIMEOUT(expiries.load(), 1, 3000);
        stop = true;
        other.join();
        joinOther.dismiss();
        QVERIFY(!watchdog::armed());
        // Nothing armed is left to fire again.
        QTest::qWait(500);
        QCOMPARE(expiries.load(), 1);
    }
};

QTEST_MAIN(TestWatchdog)
#include "tst_watchdog.moc"
