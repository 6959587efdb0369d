#include "ftpserver.h"
#include "guitest.h"

#include "controls/sortlistctrl.h"
#include "controls/sortlistmodel.h"
#include "panes/remotewnd.h"
#include "platform/settingsstore.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"
#include "shell/passwordpromptdialog.h"
#include "sites/sitefield.h"
#include "sites/sitelist.h"
#include "sites/sitemanagerdialog.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>
#include <fcntl.h>

// The road a new user takes: the program starts, the Site Manager opens by itself, the user picks a
// site whose password is not stored, connects, answers the password question and browses.
class TestFirstSession : public QObject
{
    Q_OBJECT

    static QStringList rowNames(const CSortListCtrl *list)
    {
        QStringList names;
        for (int row = 0; row < list->listModel()->size(); ++row)
            names << list->listModel()->row(row).text(0);
        return names;
    }

private slots:
    void connectFromTheSiteManagerOpenedAtStart()
    {
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        QVERIFY(QDir(server.root()).mkpath(QStringLiteral("pub")));
        QFile file(server.root() + QStringLiteral("/notes.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("hello\n");
        file.close();

        SiteList sites;
        sites.folders = {SiteFolder::make(0)};
        SiteRecord record = SiteRecord::make(0);
        sitefield::setText(record.siteName, QStringLiteral("local test server"));
        sitefield::setText(record.address, QStringLiteral("127.0.0.1"));
        sitefield::setText(record.userId, QString::fromLatin1(testsupport::FtpServer::user));
        record.port = server.port();
        sites.sites = {record};
        QCOMPARE(SaveSiteList(sites), SiteFileStatus::Complete);
        settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteFolderIndex"), 0);
        settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteDataIndex"), 0);

        bool passwordAsked = false;
        guitest::ModalWatcher watcher([&passwordAsked](QWidget *dialog) {
            if (auto *manager = qobject_cast<SiteManagerDialog *>(dialog)) {
                manager->findChild<QPushButton *>(QStringLiteral("connect"))->click();
            } else if (auto *prompt = qobject_cast<PasswordPromptDialog *>(dialog)) {
                passwordAsked = true;
                prompt->passwordEdit()->setText(QString::fromLatin1(testsupport::FtpServer::password));
                prompt->accept();
            }
        });

        auto frame = std::make_unique<CMainFrame>();
        frame->show();
        QTRY_VERIFY_WITH_TIMEOUT(frame->controller()->session().connected.load(), 20000);
        QVERIFY(passwordAsked);
        CSortListCtrl *list = frame->remotePane()->list();
        QTRY_COMPARE_WITH_TIMEOUT(rowNames(list),
                                  (QStringList{QStringLiteral("pub"), QStringLiteral("notes.txt")}), 20000);
        QVERIFY(frame->windowTitle().endsWith(QStringLiteral(" - 127.0.0.1")));
        // The password was typed, not stored: the next session asks again.
        QVERIFY(frame->controller()->session().password.isEmpty());
        QVERIFY(guitest::logText(frame.get()).contains(QStringLiteral("PASS xxxxxx")));
        // Closing the window ends the session with it.
        const int socket = frame->controller()->session().controlSocket;
        QVERIFY(socket >= 0);
        frame.reset();
        QCOMPARE(::fcntl(socket, F_GETFD), -1);
    }
};

TIDEWELL_GUI_TEST_MAIN(TestFirstSession)
#include "tst_firstsession.moc"
