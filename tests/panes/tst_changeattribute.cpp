#include "guitest.h"
#include "scriptedserver.h"
#include "sessionreset.h"

#include "controls/sortlistctrl.h"
#include "panes/changeattributedialog.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "session/session.h"
#include "session/sessioncontroller.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

using testsupport::Reply;
using testsupport::ScriptedServer;

namespace
{

const QByteArray listing = "drwxr-xr-x   2 u  g      0 Jan  1  2020 sub\r\n"
                           "-rw-r--r--   1 u  g      5 Jan  1  2020 f.txt\r\n"
                           "-rwsr-xr-T   1 u  g      5 Jan  1  2020 x.bin\r\n";

int rowOf(const CSortListCtrl *list, const QString &name)
{
    for (int row = 0; row < list->listModel()->size(); ++row)
        if (list->listModel()->row(row).text(0) == name)
            return row;
    return -1;
}

} // namespace

// The attribute dialog's rules, checked by the command line the server receives.
class TestChangeAttribute : public QObject
{
    Q_OBJECT

    std::unique_ptr<ScriptedServer> server_;
    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }

    // The job is over, and what it posted to the pane before it ended has arrived.
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!session().busy() && !session().waitCursor, 10000);
        QCoreApplication::processEvents();
    }

    CRemoteWnd *pane() const { return frame_->remotePane(); }

private slots:
    void initTestCase()
    {
        guitest::clearSettings();
        testsupport::freshController();
        setLanguage(Language::English);
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        server_ = std::make_unique<ScriptedServer>();
        server_->on("USER", "331 Password required")
            .on("PASS", "230 Logged in")
            .on("PWD", "257 \"/\" is the current directory")
            .on("CWD", "250 OK")
            .on("TYPE", "200 Type set")
            .on("PASV", Reply::pasv())
            .on("LIST", Reply("150 Here it comes").sendData(listing).then("226 Done"))
            .on("SITE CHMOD", "200 SITE CHMOD command successful");
        {
            guitest::ModalWatcher watcher;
            frame_ = std::make_unique<CMainFrame>();
            frame_->show();
            QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
        }
        Session &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server_->port();
        s.userName = QStringLiteral("u");
        s.password = QStringLiteral("p");
        s.initialRemotePath.clear();
        QSignalSpy started(pane(), &CRemoteWnd::sessionStarted);
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(rowOf(pane()->list(), QStringLiteral("x.bin")) >= 0, 10000);
    }

    void cleanupTestCase()
    {
        frame_.reset();
        testsupport::freshController();
    }

    void modeRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("clicked"); // the box clicked after typing, -1 for none
        QTest::addColumn<QByteArray>("sent");
        QTest::newRow("folder") << "sub"
                                << "755" << QString() << -1 << QByteArray("SITE CHMOD 755 /sub");
        QTest::newRow("file") << "f.txt"
                              << "644" << QString() << -1 << QByteArray("SITE CHMOD 644 /f.txt");
        // Set-id and sticky letters check no box.
        QTest::newRow("set-id and sticky") << "x.bin"
                                           << "654" << QString() << -1 << QByteArray("SITE CHMOD 654 /x.bin");
        QTest::newRow("typed number is sent") << "f.txt"
                                              << "644"
                                              << "600" << -1 << QByteArray("SITE CHMOD 600 /f.txt");
        // A click replaces the typed number with the boxes' mode.
        QTest::newRow("click after typing") << "f.txt"
                                            << "644"
                                            << "777" << 6 << QByteArray("SITE CHMOD 640 /f.txt");
        QTest::newRow("beyond 777 is refused") << "f.txt"
                                               << "644"
                                               << "778" << -1 << QByteArray();
        QTest::newRow("not a number") << "f.txt"
                                      << "644"
                                      << "rw" << -1 << QByteArray();
    }
    void modeRules()
    {
        QFETCH(QString, name);
        QFETCH(QString, shown);
        QFETCH(QString, typed);
        QFETCH(int, clicked);
        QFETCH(QByteArray, sent);
        CSortListCtrl *list = pane()->list();
        list->selectionModel()->select(list->listModel()->index(rowOf(list, name), 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const int before = server_->commands().size();
        QString opened;
        bool warned = false;
        int visits = 0;
        guitest::ModalWatcher watcher([&](QWidget *modal) {
            if (qobject_cast<QMessageBox *>(modal)) {
                warned = true;
                modal->close();
                return;
            }
            auto *dialog = qobject_cast<ChangeAttributeDialog *>(modal);
            QVERIFY(dialog);
            // Back after a refused number: give up.
            if (visits++ > 0) {
                dialog->reject();
                return;
            }
            opened = dialog->modeEdit()->text();
            if (!typed.isEmpty())
                dialog->modeEdit()->setText(typed);
            if (clicked >= 0)
                dialog->box(clicked)->click();
            // Pressed once this handler has returned, so that the watcher sees the message.
            QTimer::singleShot(0, dialog, [dialog] { dialog->accept(); });
        });
        frame_->action(cmd::ChangeAttribute)->trigger();
        QCOMPARE(opened, shown);
        waitIdle();
        const QList<QByteArray> commands = server_->commands().mid(before);
        QCOMPARE(warned, sent.isEmpty());
        if (sent.isEmpty()) {
            QVERIFY(commands.isEmpty());
        } else {
            QCOMPARE(commands.value(0), sent);
            // The folder is listed again afterwards.
            QTRY_VERIFY(server_->commands().mid(before).contains("LIST"));
            // The next row must not find that listing still running.
            waitIdle();
        }
    }
};

TIDEWELL_GUI_TEST_MAIN(TestChangeAttribute)
#include "tst_changeattribute.moc"
