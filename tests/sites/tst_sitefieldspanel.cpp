#include "sites/sitefields.h"
#include "sites/sitefieldspanel.h"

#include <QLineEdit>
#include <QTest>

class TestSiteFieldsPanel : public QObject
{
    Q_OBJECT
private slots:
    void boxesHoldWhatTheFileHolds_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("address") << "address" << QString(60, u'a') << QString(49, u'a');
        QTest::newRow("user") << "userId" << QString(40, u'u') << QString(29, u'u');
        QTest::newRow("password") << "password" << QString(25, u'p') << QString(19, u'p');
        // Two bytes each: a tenth would need the terminator's byte.
        QTest::newRow("password, two-byte characters")
            << "password" << QString(12, u'\u00fc') << QString(9, u'\u00fc');
        QTest::newRow("remote path") << "remotePath" << QString(300, u'r') << QString(259, u'r');
        QTest::newRow("local path, three-byte characters")
            << "localPath" << QString(100, u'\uD55C') << QString(86, u'\uD55C');
        QTest::newRow("short text untouched") << "address"
                                              << "ftp.example.org"
                                              << "ftp.example.org";
    }
    void boxesHoldWhatTheFileHolds()
    {
        QFETCH(QString, box);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        SiteFieldsPanel panel;
        panel.setFieldsEnabled(true);
        auto *edit = panel.findChild<QLineEdit *>(box);
        QVERIFY(edit);
        for (QChar c : typed) // keyClicks knows only ASCII
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
        QCOMPARE(edit->text(), kept);

        // What Connect hands over is what the saved record gives back.
        const SiteFields shown = panel.values(21);
        SiteRecord site = SiteRecord::make(0);
        shown.storeInto(site);
        QCOMPARE(SiteFields::fromRecord(site), shown);
    }
};

QTEST_MAIN(TestSiteFieldsPanel)
#include "tst_sitefieldspanel.moc"
