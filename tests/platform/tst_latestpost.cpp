#include "platform/latestpost.h"

#include <QCoreApplication>
#include <QTest>

#include <memory>
#include <thread>

class TestLatestPost : public QObject
{
    Q_OBJECT
private slots:
    // A fast sender from another thread queues only a handful of calls and the last text wins.
    void coalescesToTheLatest()
    {
        QStringList delivered;
        LatestPost<QString> post([&delivered](const QString &text) { delivered << text; });
        constexpr int updates = 100000;
        std::thread sender([&post] {
            for (int i = 1; i <= updates; ++i)
                post.set(QString::number(i));
        });
        sender.join();
        QTRY_VERIFY(!delivered.isEmpty() && delivered.last() == QString::number(updates));
        QVERIFY2(delivered.size() <= 2, qPrintable(QString::number(delivered.size())));
    }

    void eachQuietSpellDeliversOnce()
    {
        QStringList delivered;
        LatestPost<QString> post([&delivered](const QString &text) { delivered << text; });
        post.set("a");
        QTRY_COMPARE(delivered, QStringList{"a"});
        post.set("b");
        post.set("c");
        QTRY_COMPARE(delivered, (QStringList{"a", "c"}));
    }

    void nothingArrivesAfterThePostIsGone()
    {
        QStringList delivered;
        auto post = std::make_unique<LatestPost<QString>>([&delivered](const QString &text) { delivered << text; });
        post->set("a");
        post.reset();
        QTest::qWait(120);
        QVERIFY(delivered.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestLatestPost)
#include "tst_latestpost.moc"
