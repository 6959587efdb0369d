#include "platform/durations.h"

#include <QTest>

class TestDurations : public QObject {
    Q_OBJECT
private slots:
    void overrideAndReset()
    {
        using namespace std::chrono_literals;
        QCOMPARE(durations::get(durations::Kind::Watchdog), 500s);
        durations::setForTest(durations::Kind::Watchdog, 200ms);
        QCOMPARE(durations::get(durations::Kind::Watchdog), 200ms);
        durations::resetForTest();
        QCOMPARE(durations::get(durations::Kind::JobDoneWait), 3500ms);
    }
};

QTEST_GUILESS_MAIN(TestDurations)
#include "tst_durations.moc"
