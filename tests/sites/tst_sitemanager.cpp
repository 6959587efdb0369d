#include "engine/login.h"
#include "ftpserver.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/sessioncontroller.h"
#include "session/session.h"
#include "sessionreset.h"
#include "sites/siteconnect.h"
#include "sites/sitefield.h"
#include "sites/sitelist.h"
#include "sites/sitemanagerdialog.h"
#include "testviews.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <thread>

namespace
{

// While it lives, runs `act` once on each top-level widget of type T that shows (a modal question,
// a popup menu), so that a test can answer what blocks it; counts the widgets it acted on. Scoped,
// so that an answer a case did not use can never act on a widget of a later case.
template <typename T> class WhenShown
{
public:
    explicit WhenShown(std::function<void(T *)> act)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, &timer_, [this, act = std::move(act)] {
            for (QWidget *widget : QApplication::topLevelWidgets()) {
                auto *found = qobject_cast<T *>(widget);
                if (found && found->isVisible() && !actedOn_.contains(found)) {
                    actedOn_.append(found);
                    ++count;
                    act(found);
                    return;
                }
            }
        });
        timer_.start();
    }
    WhenShown(const WhenShown &) = delete;
    WhenShown &operator=(const WhenShown &) = delete;

    int count = 0;

private:
    QList<QPointer<QWidget>> actedOn_;
    QTimer timer_;
};

// Answers every message box shown while it lives with `button` and keeps the texts of the boxes,
// so that a case can check which questions were asked. A box without that button is closed and
// marked in its text.
class MessageBoxAnswer
{
public:
    explicit MessageBoxAnswer(QMessageBox::StandardButton button)
        : watch_([this, button](QMessageBox *box) {
              texts << box->text();
              if (QAbstractButton *answer = box->button(button)) {
                  answer->click();
              } else {
                  texts.last().prepend(QStringLiteral("(no such button) "));
                  box->reject();
              }
          })
    {
    }

    QStringList texts;

private:
    WhenShown<QMessageBox> watch_;
};

SiteRecord site(int folder, const char *name, const char *address, const char *user = "",
                const char *password = "")
{
    SiteRecord record = SiteRecord::make(folder);
    sitefield::setText(record.siteName, QString::fromUtf8(name));
    sitefield::setText(record.address, QString::fromUtf8(address));
    sitefield::setText(record.userId, QString::fromUtf8(user));
    sitefield::setText(record.sitePassword, QString::fromUtf8(password));
    return record;
}

void setSelection(int folder, int site)
{
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteFolderIndex"), folder);
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), QStringLiteral("SiteDataIndex"), site);
}

int storedSelection(const char *name)
{
    return settingsstore::readInt(QLatin1String(settingsstore::applSet), QLatin1String(name), -100);
}

} // namespace

class TestSiteManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    QString folder() const { return m_dir.path() + QLatin1Char('/'); }

    void writeSites(const SiteList &list)
    {
        QCOMPARE(SaveSiteList(folder(), list), SiteFileStatus::Complete);
    }

    SiteList readSites()
    {
        SiteList list;
        [&] { QCOMPARE(LoadSiteList(folder(), list), SiteFileStatus::Complete); }();
        return list;
    }

    // Three folders; the last one holds two sites, the middle one one.
    SiteList threeFolders()
    {
        SiteList list;
        list.folders = {SiteFolder::make(0), SiteFolder::make(1), SiteFolder::make(2)};
        list.folders[1].setName(QStringLiteral("Middle"));
        list.folders[2].setName(QStringLiteral("Last"));
        list.sites = {site(0, "first", "one.example"), site(2, "c1", "c1.example"),
                      site(1, "m", "middle.example"), site(2, "c2", "c2.example")};
        return list;
    }

    static void showActive(SiteManagerDialog &dialog)
    {
        dialog.show();
        QApplication::setActiveWindow(&dialog);
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
    }

    template <typename T> static T *child(SiteManagerDialog &dialog, const char *name)
    {
        return dialog.findChild<T *>(QLatin1String(name));
    }

private slots:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
        testsupport::freshController();
    }

    void cleanup() { testsupport::freshController(); }

    void firstStart()
    {
        setSelection(0, 0);
        {
            SiteManagerDialog dialog(folder());
            showActive(dialog);
            auto *tree = child<QTreeWidget>(dialog, "folderTree");
            QCOMPARE(tree->topLevelItemCount(), 1);
            QCOMPARE(tree->topLevelItem(0)->text(0), QStringLiteral("Folder"));
            QCOMPARE(child<QListWidget>(dialog, "siteList")->count(), 0);
            QVERIFY(!child<QLineEdit>(dialog, "address")->isEnabled());
            QVERIFY(!child<QCheckBox>(dialog, "relativePath")->isEnabled());
            QCOMPARE(child<QLineEdit>(dialog, "port")->text(), QStringLiteral("21"));

            child<QPushButton>(dialog, "connect")->click();
            QVERIFY(dialog.isVisible());
            child<QPushButton>(dialog, "close")->click();
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
        }
        QVERIFY(QDir(m_dir.path()).isEmpty());
        QCOMPARE(storedSelection("SiteFolderIndex"), 0);
        QCOMPARE(storedSelection("SiteDataIndex"), -1);
    }

    void addFolderAndSite()
    {
        setSelection(0, 0);
        {
            SiteManagerDialog dialog(folder());
            showActive(dialog);
            auto *tree = child<QTreeWidget>(dialog, "folderTree");
            child<QPushButton>(dialog, "addFolder")->click();
            QCOMPARE(tree->topLevelItemCount(), 2);
            QCOMPARE(dialog.currentFolder(), 1);
            // The new folder's label is open for editing; a long name is cut to what the field keeps.
            QTRY_VERIFY(QApplication::focusWidget() &&
                        qobject_cast<QLineEdit *>(QApplication::focusWidget()));
            QLineEdit *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            editor->selectAll();
            QTest::keyClicks(editor, QStringLiteral("A folder name of forty characters, long"));
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_COMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("A folder name of forty characte"));
            QVERIFY(dialog.isVisible());

            child<QPushButton>(dialog, "addSite")->click();
            auto *sites = child<QListWidget>(dialog, "siteList");
            QCOMPARE(sites->count(), 1);
            QCOMPARE(dialog.currentSite(), 0);
            QTRY_VERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // keeps "FTP site"
            QVERIFY(dialog.isVisible());

            auto *address = child<QLineEdit>(dialog, "address");
            QVERIFY(address->isEnabled());
            QTest::keyClicks(address, QStringLiteral("ftp.example.org"));
            // Typed through an input method: one key event carrying the whole text.
            QTest::sendKeyEvent(QTest::Press, child<QLineEdit>(dialog, "userId"), Qt::Key_unknown,
                                QStringLiteral("홍길동"), Qt::NoModifier);
            child<QCheckBox>(dialog, "relativePath")->click();
            auto *port = child<QLineEdit>(dialog, "port");
            port->selectAll();
            QTest::keyClicks(port, QStringLiteral("2121"));
            child<QPushButton>(dialog, "close")->click();
        }
        const SiteList list = readSites();
        QCOMPARE(list.folders.size(), size_t(2));
        QCOMPARE(list.folders[1].index, 1);
        QCOMPARE(list.sites.size(), size_t(1));
        const SiteRecord &saved = list.sites[0];
        QCOMPARE(saved.folderIndex, 1);
        QCOMPARE(sitefield::text(saved.siteName), QStringLiteral("FTP site"));
        QCOMPARE(sitefield::text(saved.address), QStringLiteral("ftp.example.org"));
        QCOMPARE(sitefield::text(saved.userId), QStringLiteral("홍길동"));
        QCOMPARE(saved.port, 2121);
        QCOMPARE(saved.relativePath, 1);

        // The next Site Manager opens where this one was left.
        SiteManagerDialog again(folder());
        QCOMPARE(again.currentFolder(), 1);
        QCOMPARE(again.currentSite(), 0);
        QCOMPARE(child<QLineEdit>(again, "address")->text(), QStringLiteral("ftp.example.org"));
    }

    void staleSelection_data()
    {
        QTest::addColumn<int>("folderIndex");
        QTest::addColumn<int>("siteIndex");
        QTest::addColumn<int>("folder");
        QTest::addColumn<int>("site");
        QTest::newRow("both fit") << 2 << 1 << 2 << 1;
        QTest::newRow("folder beyond the last") << 3 << 0 << -1 << -1;
        QTest::newRow("site beyond the last") << 1 << 1 << 1 << -1;
    }

    void staleSelection()
    {
        QFETCH(int, folderIndex);
        QFETCH(int, siteIndex);
        QFETCH(int, folder);
        QFETCH(int, site);
        writeSites(threeFolders());
        setSelection(folderIndex, siteIndex);
        SiteManagerDialog dialog(this->folder());
        QCOMPARE(dialog.currentFolder(), folder);
        QCOMPARE(dialog.currentSite(), site);
        QCOMPARE(child<QLineEdit>(dialog, "address")->isEnabled(), site != -1);
    }

    void deleteMiddleFolder()
    {
        SiteList list = threeFolders();
        writeSites(list);
        const QString cache = folder() + QStringLiteral("Cache/");
        QVERIFY(QDir().mkpath(cache));
        // The deleted site's listings under the remote pane's name and the old one; another port's
        // and another server's stay.
        for (const char *name : {"middle.example$$.ini", "anonymous@middle.example$$pub.ini",
                                 "c1.example$$.ini", "anonymous@middle.example#2121$$.ini"})
            QVERIFY(QFile(cache + QLatin1String(name)).open(QIODevice::WriteOnly));
        setSelection(1, 0);
        {
            SiteManagerDialog dialog(folder());
            showActive(dialog);
            auto *tree = child<QTreeWidget>(dialog, "folderTree");
            tree->setFocus();
            {
                MessageBoxAnswer answer(QMessageBox::Ok);
                QTest::keyClick(tree, Qt::Key_Delete);
                QCOMPARE(answer.texts, QStringList{loadText(TextId::ConfirmDeleteSelection)});
            }
            QCOMPARE(tree->topLevelItemCount(), 2);
            QCOMPARE(dialog.currentFolder(), 1);
            QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("Last"));
            auto *sites = child<QListWidget>(dialog, "siteList");
            QCOMPARE(sites->count(), 2);
            QCOMPARE(sites->item(1)->text(), QStringLiteral("c2"));
            QTest::keyClick(tree, Qt::Key_Escape);
        }
        const SiteList saved = readSites();
        QCOMPARE(saved.folders.size(), size_t(2));
        QCOMPARE(saved.folders[1].index, 1);
        QCOMPARE(saved.folders[1].name(), QStringLiteral("Last"));
        QCOMPARE(saved.sites.size(), size_t(3));
        for (const SiteRecord &record : saved.sites)
            QCOMPARE(record.folderIndex, sitefield::text(record.siteName) == QStringLiteral("first") ? 0 : 1);
        QCOMPARE(storedSelection("SiteFolderIndex"), 1);
        QCOMPARE(QDir(cache).entryList(QDir::Files, QDir::Name),
                 (QStringList{"anonymous@middle.example#2121$$.ini", "c1.example$$.ini"}));
    }

    void deleteSiteSelectsNeighbour()
    {
        writeSites(threeFolders());
        setSelection(2, 1);
        SiteManagerDialog dialog(folder());
        showActive(dialog);
        auto *sites = child<QListWidget>(dialog, "siteList");
        auto *address = child<QLineEdit>(dialog, "address");
        // The last site goes: the one before it is shown.
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            child<QPushButton>(dialog, "deleteSite")->click();
            QCOMPARE(answer.texts, QStringList{loadText(TextId::ConfirmDeleteSelection)});
        }
        QCOMPARE(sites->count(), 1);
        QCOMPARE(dialog.currentSite(), 0);
        QCOMPARE(address->text(), QStringLiteral("c1.example"));
        QVERIFY(address->isEnabled());
        // The folder's only site goes through the list's context menu: nothing is left to show.
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            WhenShown<QMenu> menuShown([](QMenu *menu) {
                for (QAction *action : menu->actions())
                    if (action->text() == QStringLiteral("Delete Site"))
                        action->trigger();
                menu->close();
            });
            QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    sites->viewport()->mapToGlobal(QPoint(5, 5)));
            QApplication::sendEvent(sites->viewport(), &event);
            QCOMPARE(menuShown.count, 1);
            QCOMPARE(answer.texts, QStringList{loadText(TextId::ConfirmDeleteSelection)});
        }
        QCOMPARE(sites->count(), 0);
        QCOMPARE(dialog.currentSite(), -1);
        QVERIFY(address->text().isEmpty());
        QVERIFY(!address->isEnabled());
        QVERIFY(dialog.siteModified());
    }

    void escapeAfterEditSaves()
    {
        writeSites(threeFolders());
        setSelection(0, 0);
        {
            SiteManagerDialog dialog(folder());
            showActive(dialog);
            auto *address = child<QLineEdit>(dialog, "address");
            address->setFocus();
            QTest::keyClick(address, Qt::Key_End);
            QTest::keyClicks(address, QStringLiteral(".kr"));
            QTest::keyClick(address, Qt::Key_Escape);
            QCOMPARE(dialog.result(), int(QDialog::Rejected));
            QVERIFY(!dialog.isVisible());
        }
        QCOMPARE(sitefield::text(readSites().sites[0].address), QStringLiteral("one.example.kr"));
    }

    void connect_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("button") << QStringLiteral("button");
        QTest::newRow("Enter") << QStringLiteral("enter");
        QTest::newRow("double click") << QStringLiteral("double click");
    }

    // A site with a user and no password: the dialog hands over the user and an empty password
    // with the anonymous flag off, which makes the login ask for the password.
    void connect()
    {
        QFETCH(QString, how);
        SiteList list = threeFolders();
        SiteRecord &bob = list.sites[2];
        // A server that refuses at once: the hand-over really connects, to loopback only.
        const quint16 closedPort = testsupport::closedLoopbackPort();
        QVERIFY(closedPort != 0);
        sitefield::setText(bob.address, QStringLiteral("127.0.0.1"));
        sitefield::setText(bob.userId, QStringLiteral("bob"));
        bob.port = closedPort;
        sitefield::setText(bob.remotePath, QStringLiteral("/pub"));
        sitefield::setText(bob.localPath, QStringLiteral("/tmp/down"));
        bob.relativePath = 1;
        writeSites(list);
        setSelection(1, 0);

        SessionController &controller = testsupport::nextController();
        controller.session().serverHost = QStringLiteral("old.example");
        controller.session().connected = true;
        testsupport::LogRecorder log;

        WhenShown<SiteManagerDialog> dialogShown([how](SiteManagerDialog *dialog) {
            auto *sites = dialog->findChild<QListWidget *>(QStringLiteral("siteList"));
            if (how == QStringLiteral("button")) {
                dialog->findChild<QPushButton *>(QStringLiteral("connect"))->click();
            } else if (how == QStringLiteral("enter")) {
                QApplication::setActiveWindow(dialog);
                sites->setFocus();
                QTest::keyClick(sites, Qt::Key_Return);
            } else {
                const QPoint centre = sites->visualItemRect(sites->item(0)).center();
                // A real double click: the first click, then the second one that the system reports
                // as a double click.
                QTest::mouseClick(sites->viewport(), Qt::LeftButton, {}, centre);
                QTest::mouseDClick(sites->viewport(), Qt::LeftButton, {}, centre);
            }
        });
        QVERIFY(OpenSiteManager(nullptr, controller, folder()));
        QCOMPARE(dialogShown.count, 1);

        // The old session ends before the new one connects.
        QVERIFY(log.waitFor(QStringLiteral("Connection refused\n"), LogColor::Error));
        QStringList statuses;
        for (const auto &line : log.lines())
            if (line.color == LogColor::Status)
                statuses << line.text;
        QCOMPARE(statuses.mid(0, 2), (QStringList{QStringLiteral("Disconnected\n"),
                                                  QStringLiteral("Connecting to 127.0.0.1...\n")}));
        const Session &state = controller.session();
        QCOMPARE(state.serverHost, QStringLiteral("127.0.0.1"));
        QCOMPARE(state.userName, QStringLiteral("bob"));
        QCOMPARE(state.password, QString());
        QVERIFY(!state.anonymousLogin);
        QCOMPARE(state.port, int(closedPort));
        QCOMPARE(state.initialRemotePath, QStringLiteral("/pub"));
        QCOMPARE(state.initialLocalPath, QStringLiteral("/tmp/down"));
        QVERIFY(state.relativePaths);
        QCOMPARE(storedSelection("SiteFolderIndex"), 1);
        QCOMPARE(storedSelection("SiteDataIndex"), 0);
    }

    void badPortKeepsDialogOpen()
    {
        writeSites(threeFolders());
        setSelection(0, 0);
        SiteManagerDialog dialog(folder());
        showActive(dialog);
        auto *port = child<QLineEdit>(dialog, "port");
        port->selectAll();
        QTest::keyClick(port, Qt::Key_Backspace);
        QVERIFY(!dialog.siteModified());
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            child<QPushButton>(dialog, "connect")->click();
            QCOMPARE(answer.texts, QStringList{UiText::tr("Please enter an integer between 0 and 999999.")});
        }
        QVERIFY(dialog.isVisible());
        QTest::keyClicks(port, QStringLiteral("990"));
        {
            MessageBoxAnswer answer(QMessageBox::Ok);
            child<QPushButton>(dialog, "connect")->click();
            QCOMPARE(answer.texts, QStringList{});
        }
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.fields().port, 990);
        QCOMPARE(readSites().sites[0].port, 990);
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("folders");
        QByteArray good = [] {
            SiteList list;
            list.folders = {SiteFolder::make(0), SiteFolder::make(1)};
            list.sites = {site(0, "a", "a.example"), site(1, "b", "b.example")};
            QTemporaryDir dir;
            QFile file(dir.path() + QStringLiteral("/") + QLatin1String(siteListFileName));
            if (SaveSiteList(dir.path() + QStringLiteral("/"), list) != SiteFileStatus::Complete ||
                !file.open(QIODevice::ReadOnly))
                return QByteArray();
            return file.readAll();
        }();
        QTest::newRow("unknown version")
            << QByteArray("SITEDAT099\0garbage", 18) << loadText(TextId::UnknownDataFile) << 0;
        QTest::newRow("cut in the second site") << good.left(good.size() - 300) << QString() << 2;
    }

    // A damaged site file is reported and kept: the next save puts it aside as the backup.
    void damagedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        QFETCH(int, folders);
        QVERIFY(!bytes.isEmpty());
        {
            QFile file(folder() + QLatin1String(siteListFileName));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        }
        setSelection(0, 0);
        testsupport::LogRecorder log;
        MessageBoxAnswer answer(QMessageBox::Ok);
        {
            SiteManagerDialog dialog(folder());
            QCOMPARE(answer.texts, message.isEmpty() ? QStringList{} : QStringList{message});
            QCOMPARE(int(dialog.siteList().folders.size()), folders);
            if (message.isEmpty())
                QVERIFY(log.waitFor(
                    UiText::tr(
                        "The site list file ends inside a record; the sites after it were not loaded.\n"),
                    LogColor::Error));
            showActive(dialog);
            child<QPushButton>(dialog, "addFolder")->click();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); // ends the label editing
            child<QPushButton>(dialog, "close")->click();
        }
        QFile backup(folder() + QLatin1String(siteListBackupName));
        QVERIFY(backup.open(QIODevice::ReadOnly));
        QCOMPARE(backup.readAll(), bytes);
        QCOMPARE(int(readSites().folders.size()), folders + 1);
    }

    // The whole road from the Site Manager to a logged-in control connection on a real server,
    // with the login's password question answered.
    void connectToRealServer()
    {
        testsupport::FtpServer server;
        QVERIFY(server.isRunning());
        SiteList list;
        list.folders = {SiteFolder::make(0)};
        list.sites = {site(0, "local", "127.0.0.1", testsupport::FtpServer::user)};
        list.sites[0].port = server.port();
        writeSites(list);
        setSelection(0, 0);

        // The whole road: the dialog, the controller, the connect job, the password question.
        SessionController &controller = testsupport::nextController();
        testsupport::TestViews views;
        bool asked = false;
        int connected = 0;
        views.onAskPassword = [&asked]() -> std::optional<QString> {
            asked = true;
            return QString::fromLatin1(testsupport::FtpServer::password);
        };
        views.onSessionConnected = [&connected] { ++connected; };
        WhenShown<SiteManagerDialog> dialogShown([](SiteManagerDialog *dialog) {
            dialog->findChild<QPushButton *>(QStringLiteral("connect"))->click();
        });
        QVERIFY(OpenSiteManager(nullptr, controller, folder()));
        QCOMPARE(dialogShown.count, 1);
        QTRY_COMPARE_WITH_TIMEOUT(connected, 1, 20000);
        QVERIFY(asked);
        QVERIFY(controller.session().controlSocket >= 0);
        QVERIFY(controller.session().connected);
        controller.disconnect();
        QVERIFY(!controller.session().connected);
    }
};

QTEST_MAIN(TestSiteManager)
#include "tst_sitemanager.moc"
