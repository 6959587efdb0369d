#include "ftpserver.h"
#include "guitest.h"
#include "sessionreset.h"

#include "controls/sortlistctrl.h"
#include "panes/listingcache.h"
#include "panes/remotenameeditor.h"
#include "panes/remotewnd.h"
#include "platform/appsettings.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "queue/queuewnd.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "shell/mainframe.h"

#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <memory>

using testsupport::LogRecorder;

namespace
{

int rowOf(const CSortListCtrl *list, const QString &name)
{
    for (int row = 0; row < list->listModel()->size(); ++row)
        if (list->listModel()->row(row).text(0) == name)
            return row;
    return -1;
}

void writeFile(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("data\n");
}

// Answers the next modal window: fills the named line edit or combo box, then presses the button
// with that text (a message box) or accepts the dialog.
std::function<void(QWidget *)> answer(const QString &field, const QString &text, const QString &button = {})
{
    return [field, text, button](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            for (QAbstractButton *candidate : box->buttons())
                if (candidate->text() == button)
                    candidate->click();
            return;
        }
        if (auto *edit = modal->findChild<QLineEdit *>(field))
            edit->setText(text);
        else if (auto *combo = modal->findChild<QComboBox *>(field))
            combo->setEditText(text);
        static_cast<QDialog *>(modal)->accept();
    };
}

// Stands in for the desktop's viewer of the debug listing.
class Viewer : public QObject
{
    Q_OBJECT
public:
    Viewer() { QDesktopServices::setUrlHandler(QStringLiteral("file"), this, "open"); }
    ~Viewer() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }
    QList<QUrl> opened;
public slots:
    void open(const QUrl &url) { opened.append(url); }
};

} // namespace

// The remote file operations from the main window against a real server, the way a user runs
// them: each goes out as a worker job and the folder shown is listed again afterwards.
class TestRemoteOperations : public QObject
{
    Q_OBJECT

    std::unique_ptr<testsupport::FtpServer> server_;
    std::unique_ptr<CMainFrame> frame_;

    // The session of the window under test.
    Session &session() const { return frame_->controller()->session(); }

    CRemoteWnd *pane() const { return frame_->remotePane(); }
    CSortListCtrl *list() const { return pane()->list(); }
    QString served(const QString &path) const { return QDir(server_->root()).filePath(path); }

    void connectSession(bool relative)
    {
        frame_->controller()->disconnect();
        Session &s = session();
        s.serverHost = QStringLiteral("127.0.0.1");
        s.port = server_->port();
        s.userName = QString::fromLatin1(testsupport::FtpServer::user);
        s.password = QString::fromLatin1(testsupport::FtpServer::password);
        s.anonymousLogin = false;
        s.relativePaths = relative;
        s.initialRemotePath.clear();
        QSignalSpy started(pane(), &CRemoteWnd::sessionStarted);
        emit frame_->controller()->stateChanged();
        frame_->action(cmd::Connect)->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(started.count(), 1, 10000);
        waitIdle();
        QTRY_COMPARE(pane()->currentPath(), QByteArray("/"));
    }

    // The job is over, and what it posted to the panes before it ended has arrived.
    void waitIdle()
    {
        QTRY_VERIFY_WITH_TIMEOUT(!session().busy() && !session().waitCursor, 20000);
        QCoreApplication::processEvents();
    }

    void select(const QStringList &names)
    {
        list()->clearSelection();
        for (const QString &name : names) {
            const int row = rowOf(list(), name);
            QVERIFY2(row >= 0, qPrintable(name));
            list()->selectionModel()->select(list()->listModel()->index(row, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
        }
    }

    // Runs a command from the menu while `handler` answers its dialog, and waits for its job.
    void run(int id, std::function<void(QWidget *)> handler = {})
    {
        // A listing posted by the previous command may still run; a command finds no job running.
        waitIdle();
        guitest::ModalWatcher watcher(std::move(handler));
        QVERIFY(frame_->action(id)->isEnabled());
        frame_->action(id)->trigger();
        QTest::qWait(50);
        waitIdle();
    }

private slots:
    void initTestCase()
    {
        guitest::clearSettings();
        testsupport::freshController();
        setLanguage(Language::English);
        appSettings().soundEffects = 0;
        appSettings().retryCount = 0;
        server_ = std::make_unique<testsupport::FtpServer>();
        QVERIFY(server_->isRunning());
        QDir root(server_->root());
        for (const char *folder : {"empty", "dest", "box", "tree/x/tree", "tree/y"})
            QVERIFY(root.mkpath(QString::fromLatin1(folder)));
        for (const char *file : {"old.txt", "a.txt", "b.txt", "mode.txt", "tree/g.txt", "tree/x/f.txt",
                                 "tree/x/tree/deep.txt", "tree/y/h.txt"})
            writeFile(served(QString::fromLatin1(file)));
        QFile::setPermissions(served(QStringLiteral("mode.txt")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
        {
            guitest::ModalWatcher watcher;
            frame_ = std::make_unique<CMainFrame>();
            frame_->show();
            QVERIFY(QTest::qWaitFor([&] { return !watcher.seen.isEmpty(); }, 5000));
        }
        connectSession(false);
    }

    void cleanupTestCase()
    {
        frame_.reset();
        testsupport::freshController();
    }

    void renameInPlace_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("a path is refused")
            << "old.txt"
            << "dest/old.txt" << formatText(TextId::NameHoldsSeparator, "dest/old.txt");
        QTest::newRow("a line break is refused")
            << "old.txt"
            << "x\r\nDELE a.txt" << loadText(TextId::ControlCharacterRefused);
        QTest::newRow("a plain name") << "old.txt"
                                      << "new.txt" << QString();
        QTest::newRow("a folder") << "box"
                                  << "crate" << QString();
    }
    void renameInPlace()
    {
        QFETCH(QString, from);
        QFETCH(QString, typed);
        QFETCH(QString, refusal);
        const bool renamed = refusal.isEmpty();
        LogRecorder log;
        select({from});
        run(cmd::Rename);
        QLineEdit *edit = pane()->nameEditor()->lineEdit();
        QVERIFY(edit);
        QCOMPARE(edit->text(), from);
        edit->setText(typed);
        QTest::keyClick(edit, Qt::Key_Return);
        waitIdle();
        QTRY_COMPARE(QFileInfo::exists(served(typed)), renamed);
        QCOMPARE(QFileInfo::exists(served(from)), !renamed);
        QVERIFY(QFile::exists(served(QStringLiteral("a.txt"))));
        // The Return ends the edit and nothing else: the row is neither queued nor opened.
        QTest::qWait(100);
        QVERIFY(!frame_->queuePane()->queue()->queueHasItems());
        QCOMPARE(pane()->currentPath(), QByteArray("/"));
        QVERIFY(log.texts(LogColor::Error).filter(QStringLiteral("not finished")).isEmpty());
        if (renamed) {
            QTRY_VERIFY(rowOf(list(), typed) >= 0);
            QCOMPARE(rowOf(list(), from), -1);
        } else {
            QVERIFY(log.waitFor(refusal, LogColor::Error));
            QVERIFY(!log.contains(QStringLiteral("RNFR /old.txt\n"), LogColor::Command));
        }
    }

    void deleteFilesAndAnEmptyFolder()
    {
        select({QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("empty")});
        QString asked;
        run(cmd::Delete, [&asked](QWidget *modal) {
            if (auto *box = qobject_cast<QMessageBox *>(modal))
                asked = box->text();
            answer({}, {}, QStringLiteral("OK"))(modal);
        });
        // The question says how many entries go.
        QCOMPARE(asked, loadText(TextId::ConfirmDeleteSelection) + QStringLiteral("\n\n3 items"));
        QTRY_VERIFY(!QFile::exists(served(QStringLiteral("a.txt"))));
        QVERIFY(!QFile::exists(served(QStringLiteral("b.txt"))));
        QVERIFY(!QFileInfo::exists(served(QStringLiteral("empty"))));
        QTRY_COMPARE(rowOf(list(), QStringLiteral("a.txt")), -1);
        QCOMPARE(rowOf(list(), QStringLiteral("empty")), -1);
    }

    void newFolder()
    {
        run(cmd::NewFolder, answer(QStringLiteral("folderName"), QStringLiteral("made")));
        QTRY_VERIFY(QFileInfo(served(QStringLiteral("made"))).isDir());
        QTRY_VERIFY(rowOf(list(), QStringLiteral("made")) >= 0);
    }

    // A typed name the site's character set cannot hold is refused, never sent with substitutes.
    void newFolderOutsideTheCharset()
    {
        session().charset = "ISO-8859-1";
        LogRecorder log;
        run(cmd::NewFolder, answer(QStringLiteral("folderName"), QString::fromUtf8("5€")));
        QVERIFY(log.waitFor(formatText(TextId::NameNotInCharset, "5€", "ISO-8859-1"), LogColor::Error));
        session().charset.clear();
        QVERIFY(!QFileInfo::exists(served(QStringLiteral("5?"))));
        QVERIFY(!QFileInfo::exists(served(QString::fromUtf8("5€"))));
    }

    void moveIntoAFolder()
    {
        // The destination was seen before: its cache must not hide the file moved into it.
        QVERIFY(!pane()->Navigate("/dest"));
        waitIdle();
        QTRY_COMPARE(pane()->currentPath(), QByteArray("/dest"));
        const QString destCache = pane()->cache()->CacheFilePath(QStringLiteral("/dest"));
        QVERIFY(QFile::exists(destCache));
        pane()->GoUp();
        QCOMPARE(pane()->currentPath(), QByteArray("/"));

        select({QStringLiteral("new.txt")});
        run(cmd::MoveTo, answer(QStringLiteral("destination"), QStringLiteral("/dest/")));
        QTRY_VERIFY(QFile::exists(served(QStringLiteral("dest/new.txt"))));
        QTRY_COMPARE(rowOf(list(), QStringLiteral("new.txt")), -1);
        QVERIFY(!QFile::exists(destCache));
    }

    void deleteANestedTree_data()
    {
        QTest::addColumn<bool>("relative");
        QTest::newRow("absolute paths") << false;
        // Inside the tree a folder bears the top folder's own name.
        QTest::newRow("relative paths") << true;
    }
    void deleteANestedTree()
    {
        QFETCH(bool, relative);
        if (relative) {
            QVERIFY(QDir(server_->root()).mkpath(QStringLiteral("tree/x/tree")));
            writeFile(served(QStringLiteral("tree/x/tree/deep.txt")));
            connectSession(true);
        }
        LogRecorder log;
        pane()->Refresh();
        waitIdle();
        select({QStringLiteral("tree")});
        run(cmd::DeleteSubfolder, answer({}, {}, QStringLiteral("Yes")));
        QTRY_VERIFY(!QFileInfo::exists(served(QStringLiteral("tree"))));
        QTRY_COMPARE(pane()->currentPath(), QByteArray("/"));
        QTRY_COMPARE(rowOf(list(), QStringLiteral("tree")), -1);
        QVERIFY(rowOf(list(), QStringLiteral("dest")) >= 0);
        for (const auto &line : log.lines())
            QVERIFY2(line.color != LogColor::Error, qPrintable(line.text));
    }

    void changeAttribute()
    {
        select({QStringLiteral("mode.txt")});
        QString shown;
        run(cmd::ChangeAttribute, [&](QWidget *modal) {
            shown = modal->findChild<QLineEdit *>(QStringLiteral("mode"))->text();
            answer(QStringLiteral("mode"), QStringLiteral("600"))(modal);
        });
        QCOMPARE(shown, QStringLiteral("644"));
        constexpr int unixBits = 0x7077; // owner, group, others
        QTRY_COMPARE(int(QFile::permissions(served(QStringLiteral("mode.txt")))) & unixBits,
                     int(QFile::ReadOwner | QFile::WriteOwner));
        QTRY_COMPARE(list()->listModel()->row(rowOf(list(), QStringLiteral("mode.txt"))).text(3),
                     QStringLiteral("-rw-------"));
    }

    void debugListing()
    {
        Viewer viewer;
        LogRecorder log;
        run(cmd::UserCommand, answer(QStringLiteral("command"), QStringLiteral("dbglist")));
        QTRY_COMPARE(viewer.opened.size(), 1);
        QVERIFY(viewer.opened.front().toLocalFile().endsWith(QStringLiteral("DBGLIST.TXT")));
        QVERIFY(QFile(viewer.opened.front().toLocalFile()).size() > 0);
        QVERIFY(log.contains(QStringLiteral("MLSD\n"), LogColor::Command));
        for (const auto &line : log.lines())
            QVERIFY(!line.text.contains(QLatin1String("dbglist"), Qt::CaseInsensitive));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestRemoteOperations)
#include "tst_remoteoperations.moc"
