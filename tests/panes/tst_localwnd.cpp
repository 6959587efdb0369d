#include "guitest.h"
#include "sessionreset.h"

#include "controls/sortlistctrl.h"
#include "panes/localfolder.h"
#include "panes/localwnd.h"
#include "platform/commandids.h"
#include "platform/strings.h"
#include "queue/queuemodel.h"
#include "queue/queuewnd.h"
#include "session/transferqueue.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <memory>

using testsupport::LogRecorder;

namespace
{

// By its bytes: a name that is not UTF-8 must reach the disk as it is.
void writeFile(const QByteArray &path, qint64 size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QVERIFY(::ftruncate(fd, size) == 0);
    ::close(fd);
}

QStringList rowNames(const CSortListCtrl *list)
{
    QStringList names;
    for (int row = 0; row < list->listModel()->size(); ++row)
        names << list->listModel()->row(row).text(0);
    return names;
}

void selectNames(CSortListCtrl *list, const QStringList &names)
{
    list->clearSelection();
    const QStringList all = rowNames(list);
    for (const QString &name : names)
        list->selectionModel()->select(list->listModel()->index(int(all.indexOf(name)), 0),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// The in-place editor of a rename in progress (one that has ended may linger until deleted).
QLineEdit *renameEditor(CSortListCtrl *list)
{
    for (auto *editor : list->viewport()->findChildren<QLineEdit *>(QStringLiteral("renameEditor")))
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Every entry below `folder`, links not followed, as sorted relative paths.
QStringList treeOf(const QByteArray &folder)
{
    QStringList entries;
    QDirIterator it(QString::fromUtf8(folder),
                    QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        entries << it.next().mid(folder.size());
    entries.sort();
    return entries;
}

// Answers the next message box with `button`.
auto pressButton(QMessageBox::StandardButton button)
{
    return [button](QWidget *modal) {
        if (auto *box = qobject_cast<QMessageBox *>(modal))
            box->button(button)->click();
    };
}

} // namespace

class TestLocalWnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<CLocalWnd> pane_;
    QByteArray root_;

    CSortListCtrl *list() { return pane_->list(); }

private slots:
    void init()
    {
        guitest::clearSettings();
        dir_ = std::make_unique<QTemporaryDir>();
        root_ = QFile::encodeName(dir_->path());
        pane_ = std::make_unique<CLocalWnd>();
        pane_->resize(600, 400);
        pane_->initialUpdate();
        pane_->show();
        QVERIFY(pane_->ShowFolder(root_));
    }

    void cleanup()
    {
        pane_.reset();
        // QTemporaryDir leaves a name that is not UTF-8 behind; the pane's own removal takes it.
        (void)localfolder::deleteTree(root_);
        dir_.reset();
    }

    void paths_data()
    {
        QTest::addColumn<QByteArray>("folder");
        QTest::addColumn<QByteArray>("joined");
        QTest::addColumn<QByteArray>("parent");
        QTest::addColumn<QByteArray>("left");
        QTest::newRow("root") << QByteArray("/") << QByteArray("/a.txt") << QByteArray() << QByteArray();
        QTest::newRow("top folder") << QByteArray("/work") << QByteArray("/work/a.txt") << QByteArray("/")
                                    << QByteArray("work");
        QTest::newRow("final separator") << QByteArray("/work/sub/") << QByteArray("/work/sub/a.txt")
                                         << QByteArray("/work") << QByteArray("sub");
    }

    void paths()
    {
        QFETCH(QByteArray, folder);
        QFETCH(QByteArray, joined);
        QFETCH(QByteArray, parent);
        QFETCH(QByteArray, left);
        QCOMPARE(localfolder::joinPath(folder, "a.txt"), joined);
        const localfolder::ParentStep step = localfolder::parentOf(folder);
        QCOMPARE(step.hasParent, !parent.isEmpty());
        QCOMPARE(step.parent, parent);
        QCOMPARE(step.leftName, left);
    }

    void listing_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("sizeText");
        QTest::newRow("grouped") << QByteArray("big.bin") << qint64(1234567) << QStringLiteral("1,234,567");
        QTest::newRow("three digits") << QByteArray("small") << qint64(999) << QStringLiteral("999");
        QTest::newRow("four digits") << QByteArray("k.txt") << qint64(1000) << QStringLiteral("1,000");
        QTest::newRow("over 32 bits")
            << QByteArray("sparse.img") << Q_INT64_C(5000000000) << QStringLiteral("5,000,000,000");
        QTest::newRow("name not UTF-8") << QByteArray("caf\xe9.txt") << qint64(5) << QStringLiteral("5");
    }

    void listing()
    {
        QFETCH(QByteArray, name);
        QFETCH(qint64, size);
        QFETCH(QString, sizeText);
        writeFile(localfolder::joinPath(root_, name), size);
        QVERIFY(pane_->ShowFolder(root_));
        QCOMPARE(list()->listModel()->size(), 1);
        const FileRow &row = list()->listModel()->row(0);
        QCOMPARE(row.text(1), sizeText);
        QCOMPARE(row.nameBytes(), name);
        QCOMPARE(row.itemData, FileRow::fileItemData);
        QVERIFY(!row.text(2).isEmpty());
    }

    // The cap on one listing's entries, at its edge ("." and ".." do not count).
    void listingCap_data()
    {
        QTest::addColumn<int>("entries");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("capped");
        QTest::newRow("one under the cap") << 2 << 2 << false;
        QTest::newRow("at the cap") << 3 << 3 << false;
        QTest::newRow("one over the cap") << 4 << 3 << true;
    }
    void listingCap()
    {
        QFETCH(int, entries);
        QFETCH(int, rows);
        QFETCH(bool, capped);
        for (int i = 0; i < entries; ++i)
            writeFile(localfolder::joinPath(root_, QByteArray::number(i)), 1);
        const localfolder::Listing listing = localfolder::listFolder(root_, 3);
        QCOMPARE(int(listing.rows.size()), rows);
        QCOMPARE(listing.capped, capped);
        QCOMPARE(listing.error, 0);
    }

    void hostileFolders()
    {
        LogRecorder log;
        // A link pointing at itself and a link into its own folder: listed, never followed round.
        QVERIFY(::symlink("loop", localfolder::joinPath(root_, "loop").constData()) == 0);
        QVERIFY(::symlink(".", localfolder::joinPath(root_, "self").constData()) == 0);
        QVERIFY(pane_->ShowFolder(root_));
        QCOMPARE(rowNames(list()).size(), 2);
        // A folder that does not exist changes nothing.
        QVERIFY(!pane_->ShowFolder(root_ + "/missing"));
        QCOMPARE(pane_->currentFolder(), root_);
        // A folder that cannot be read: said in the log. Whoever may read every folder tries it
        // as a user without that right.
        const QByteArray closed = localfolder::joinPath(root_, "closed");
        QVERIFY(::mkdir(closed.constData(), 0) == 0);
        QVERIFY(::chmod(root_.constData(), 0755) == 0);
        const bool privileged = ::access(closed.constData(), R_OK) == 0;
        const QString said = QStringLiteral("Cannot read the folder %1: %2\n")
                                 .arg(QString::fromUtf8(closed), localfolder::errorText(EACCES));
        if (!privileged) {
            QVERIFY(pane_->ShowFolder(closed));
            QVERIFY(log.waitFor(said, LogColor::Error));
            return;
        }
        const passwd *nobody = ::getpwnam("nobody");
        QVERIFY(nobody);
        const uid_t uid = nobody->pw_uid;
        const gid_t gid = nobody->pw_gid;
        const pid_t child = ::fork();
        QVERIFY(child >= 0);
        if (child == 0) {
            int code = 1;
            if (::setgroups(0, nullptr) == 0 && ::setgid(gid) == 0 && ::setuid(uid) == 0)
                code = pane_->ShowFolder(closed) && log.waitFor(said, LogColor::Error, 5000) ? 0 : 2;
            ::_exit(code);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    // The commands that hand a file or folder to the desktop name what this desktop offers.
    void desktopWordsInEitherLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("manager");
        QTest::newRow("English") << int(Language::English) << QStringLiteral("Open with text editor")
                                 << QStringLiteral("Open in file manager");
        QTest::newRow("Korean") << int(Language::Korean) << QStringLiteral("텍스트 편집기로 열기")
                                << QStringLiteral("파일 관리자에서 열기");
    }
    void desktopWordsInEitherLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, editor);
        QFETCH(QString, manager);
        setLanguage(Language(language));
        const auto english = qScopeGuard([] { setLanguage(Language::English); });
        CLocalWnd pane;
        QCOMPARE(pane.commands().openWithNotepad->text(), editor);
        QCOMPARE(pane.commands().openWithExplorer->text(), manager);
    }

    // The pane's keys reach its commands wherever its focus is; Delete typed in the path box
    // stays the text's.
    void keysFromEveryFocusPosition_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QKeySequence>("key");
        QTest::addColumn<QString>("reaction");
        for (const char *at : {"list", "path box", "Up"}) {
            const QString focus = QString::fromLatin1(at);
            QTest::addRow("F5 in %s", at) << focus << QKeySequence(Qt::Key_F5) << "refresh";
            QTest::addRow("F2 in %s", at) << focus << QKeySequence(Qt::Key_F2) << "rename";
            QTest::addRow("Delete in %s", at)
                << focus << QKeySequence(Qt::Key_Delete)
                << (focus == QLatin1String("path box") ? "nothing" : "delete");
            QTest::addRow("Ctrl+L in %s", at)
                << focus << QKeySequence(Qt::CTRL | Qt::Key_L) << "path box";
        }
        QTest::newRow("Shift+F10 in list") << "list" << QKeySequence(Qt::SHIFT | Qt::Key_F10) << "menu";
        QTest::newRow("Menu key in list") << "list" << QKeySequence(Qt::Key_Menu) << "menu";
    }
    void keysFromEveryFocusPosition()
    {
        QFETCH(QString, focus);
        QFETCH(QKeySequence, key);
        QFETCH(QString, reaction);
        writeFile(localfolder::joinPath(root_, "kept"), 1);
        QVERIFY(pane_->ShowFolder(root_));
        selectNames(list(), {QStringLiteral("kept")});
        pane_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pane_.get()));
        QWidget *target = focus == QLatin1String("list")       ? static_cast<QWidget *>(list())
                          : focus == QLatin1String("path box") ? static_cast<QWidget *>(pane_->pathCombo())
                                                               : pane_->upButton();
        target->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), target);

        const CLocalWnd::Actions &a = pane_->commands();
        QSignalSpy refresh(a.refresh, &QAction::triggered);
        QSignalSpy rename(a.rename, &QAction::triggered);
        QSignalSpy remove(a.deleteItems, &QAction::triggered);
        QString menuSeen;
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Cancel));
            QTimer closer;
            connect(&closer, &QTimer::timeout, this, [&] {
                if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                    menuSeen = menu->actions().value(0) ? menu->actions().value(0)->text() : QStringLiteral("?");
                    menu->close();
                }
            });
            closer.start(10);
            QTest::keyClick(target, key[0].key(), key[0].keyboardModifiers());
            QTest::qWait(30);
        }
        QCOMPARE(refresh.size(), reaction == QLatin1String("refresh") ? 1 : 0);
        QCOMPARE(rename.size(), reaction == QLatin1String("rename") ? 1 : 0);
        QCOMPARE(remove.size(), reaction == QLatin1String("delete") ? 1 : 0);
        QCOMPARE(!menuSeen.isEmpty(), reaction == QLatin1String("menu"));
        if (reaction == QLatin1String("path box")) {
            QCOMPARE(QApplication::focusWidget(), pane_->pathCombo());
            QVERIFY(pane_->pathCombo()->lineEdit()->hasSelectedText());
        }
        QVERIFY(QFile::exists(QString::fromUtf8(localfolder::joinPath(root_, "kept"))));
    }

    void upAndPathBox()
    {
        const QByteArray work = localfolder::joinPath(root_, "WORK");
        QVERIFY(::mkdir(work.constData(), 0755) == 0);
        QVERIFY(pane_->ShowFolder(work));
        pane_->upButton()->click();
        QCOMPARE(pane_->currentFolder(), root_);
        QCOMPARE(list()->selectedRows().size(), size_t(1));
        QCOMPARE(list()->listModel()->row(list()->selectedRows().front()).text(0), QStringLiteral("WORK"));
        // Typing shows a folder as soon as the text names one; a final "/" waits for more.
        QComboBox *box = pane_->pathCombo();
        box->setEditText(QString::fromUtf8(work) + QLatin1Char('/'));
        QCOMPARE(pane_->currentFolder(), root_);
        box->setEditText(QString::fromUtf8(work));
        QCOMPARE(pane_->currentFolder(), work);
        box->setEditText(QString::fromUtf8(work) + QStringLiteral("X"));
        QCOMPARE(pane_->currentFolder(), work);
    }

    void uploadLater()
    {
        CQueueWnd queue;
        queue.initialUpdate();
        queue.commands().deleteAll->trigger();
        pane_->setQueue(queue.queue());
        pane_->setRemoteFolder([] { return QByteArray("/pub/in"); });
        writeFile(localfolder::joinPath(root_, "a.txt"), 1234);
        writeFile(localfolder::joinPath(root_, "b\xff.bin"), 1);
        QVERIFY(::mkdir(localfolder::joinPath(root_, "sub").constData(), 0755) == 0);
        QVERIFY(pane_->ShowFolder(root_));
        pane_->SelectAll();
        pane_->commands().uploadLater->trigger();
        QCOMPARE(queue.model()->size(), 3);
        // Folders first, as the list sorts them.
        const QueueItem folder = queue.model()->item(0);
        QCOMPARE(folder.name, localfolder::joinPath(root_, "sub"));
        QCOMPARE(folder.itemParameter(), 240);
        const QueueItem file = queue.model()->item(1);
        QCOMPARE(file.name, localfolder::joinPath(root_, "a.txt"));
        QCOMPARE(file.sizeText, QByteArray("1,234"));
        QCOMPARE(file.destination, QByteArray("/pub/in"));
        QCOMPARE(file.itemParameter(), 0);
        // The name's bytes reach the queue unchanged.
        QCOMPARE(queue.model()->item(2).name, localfolder::joinPath(root_, "b\xff.bin"));
        // Upload asks first; on Yes it queues and starts the transfer.
        int started = 0;
        pane_->setTransferStarter([&] { ++started; });
        queue.commands().deleteAll->trigger();
        selectNames(list(), {QStringLiteral("a.txt")});
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::No));
            pane_->commands().upload->trigger();
        }
        QCOMPARE(queue.model()->size(), 0);
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Yes));
            pane_->commands().upload->trigger();
        }
        QCOMPARE(queue.model()->size(), 1);
        QCOMPARE(started, 1);
        pane_->setQueue(nullptr);
        queue.commands().deleteAll->trigger();
    }

    // Rows dragged onto the queue pane are queued; dropped elsewhere, nothing happens. A drag from
    // a row that is not selected selects that row and drags it alone.
    void dragToQueue_data()
    {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("pressed");
        QTest::addColumn<QStringList>("queued");
        const QString one = QStringLiteral("one");
        const QString two = QStringLiteral("two");
        QTest::newRow("from the selection") << QStringList{one, two} << one << QStringList{one, two};
        QTest::newRow("from a row not selected") << QStringList{two} << one << QStringList{one};
        QTest::newRow("with nothing selected") << QStringList() << two << QStringList{two};
    }
    void dragToQueue()
    {
        QFETCH(QStringList, selected);
        QFETCH(QString, pressed);
        QFETCH(QStringList, queued);
        QWidget window;
        window.resize(900, 400);
        CQueueWnd queue(&window);
        queue.initialUpdate();
        queue.commands().deleteAll->trigger();
        pane_->setParent(&window);
        // Also when a check fails: the pane is the test's, not the window's, to delete.
        const auto giveBack = qScopeGuard([this] {
            pane_->setQueue(nullptr);
            pane_->setParent(nullptr);
        });
        pane_->setGeometry(0, 0, 450, 400);
        queue.setGeometry(450, 0, 450, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        pane_->setQueue(queue.queue());
        pane_->setDropTargets(&queue, nullptr);
        writeFile(localfolder::joinPath(root_, "one"), 1);
        writeFile(localfolder::joinPath(root_, "two"), 2);
        QVERIFY(pane_->ShowFolder(root_));
        QWidget *viewport = list()->viewport();
        auto drag = [&](const QPoint &to) {
            selectNames(list(), selected);
            const int row = int(rowNames(list()).indexOf(pressed));
            const QPoint from = list()->visualRect(list()->listModel()->index(row, 0)).center();
            auto send = [&](QEvent::Type type, const QPoint &pos, Qt::MouseButtons buttons) {
                QMouseEvent event(type, pos, viewport->mapToGlobal(pos), Qt::LeftButton, buttons,
                                  Qt::NoModifier);
                QApplication::sendEvent(viewport, &event);
            };
            send(QEvent::MouseButtonPress, from, Qt::LeftButton);
            send(QEvent::MouseMove, from + QPoint(30, 0), Qt::LeftButton);
            send(QEvent::MouseMove, viewport->mapFrom(&window, to), Qt::LeftButton);
            send(QEvent::MouseButtonRelease, viewport->mapFrom(&window, to), Qt::NoButton);
        };
        drag(QPoint(200, 200)); // back onto the local pane itself
        QCOMPARE(queue.model()->size(), 0);
        drag(QPoint(700, 200));
        QStringList names;
        for (int row = 0; row < queue.model()->size(); ++row)
            names << QString::fromUtf8(queue.model()->item(row).name);
        QStringList expected;
        for (const QString &name : queued)
            expected << QString::fromUtf8(localfolder::joinPath(root_, name.toUtf8()));
        QCOMPARE(names, expected);
        pane_->setQueue(nullptr);
        queue.commands().deleteAll->trigger();
        pane_->setParent(nullptr);
    }

    void deleteSelection()
    {
        LogRecorder log;
        writeFile(localfolder::joinPath(root_, "f1"), 1);
        writeFile(localfolder::joinPath(root_, "f2"), 1);
        const QByteArray full = localfolder::joinPath(root_, "full");
        QVERIFY(::mkdir(full.constData(), 0755) == 0);
        writeFile(localfolder::joinPath(full, "inside"), 1);
        QVERIFY(pane_->ShowFolder(root_));
        selectNames(list(), {QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("full")});
        // The key reaches the pane's Delete while the focus is in its list.
        pane_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(pane_.get()));
        list()->setFocus();
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Ok));
            QTest::keyClick(list(), Qt::Key_Delete);
        }
        QCOMPARE(rowNames(list()), QStringList{QStringLiteral("full")});
        QVERIFY(log.waitFor(QStringLiteral("Cannot delete %1: %2\n")
                                .arg(QString::fromUtf8(full), localfolder::errorText(ENOTEMPTY)),
                            LogColor::Error));
        // Delete subfolder takes it with everything in it.
        selectNames(list(), {QStringLiteral("full")});
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Yes));
            pane_->commands().deleteSubfolder->trigger();
        }
        QVERIFY(rowNames(list()).isEmpty());
        QVERIFY(!QFile::exists(QString::fromUtf8(full)));
    }

    // Delete subfolder removes links inside the tree (or the selected link itself) and never what
    // they point to.
    void deleteTreeKeepsLinkTargets_data()
    {
        QTest::addColumn<QByteArray>("link"); // in root_; "tree" is the folder deleted
        QTest::addColumn<QByteArray>("target");
        QTest::newRow("link to a folder outside") << QByteArray("tree/sub/out") << QByteArray("outside");
        QTest::newRow("link to a file outside") << QByteArray("tree/keep") << QByteArray("outside/keep.txt");
        QTest::newRow("the selected row is a link") << QByteArray("tree") << QByteArray("outside");
    }
    void deleteTreeKeepsLinkTargets()
    {
        QFETCH(QByteArray, link);
        QFETCH(QByteArray, target);
        const QByteArray outside = localfolder::joinPath(root_, "outside");
        QVERIFY(::mkdir(outside.constData(), 0755) == 0);
        writeFile(localfolder::joinPath(outside, "keep.txt"), 7);
        if (link != "tree") {
            QVERIFY(QDir(QString::fromUtf8(root_)).mkpath(QStringLiteral("tree/sub")));
            writeFile(localfolder::joinPath(root_, "tree/sub/own.txt"), 1);
        }
        QVERIFY(::symlink(localfolder::joinPath(root_, target).constData(),
                          localfolder::joinPath(root_, link).constData()) == 0);
        QVERIFY(pane_->ShowFolder(root_));
        selectNames(list(), {QStringLiteral("tree")});
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Yes));
            pane_->commands().deleteSubfolder->trigger();
        }
        struct stat info {
        };
        QCOMPARE(::lstat(localfolder::joinPath(root_, "tree").constData(), &info), -1);
        QVERIFY(QFileInfo(QString::fromUtf8(localfolder::joinPath(outside, "keep.txt"))).isFile());
        QCOMPARE(QFileInfo(QString::fromUtf8(localfolder::joinPath(outside, "keep.txt"))).size(), 7);
        QCOMPARE(rowNames(list()), QStringList{QStringLiteral("outside")});
    }

    // The question before a Delete names the one entry, or says how many there are.
    void deleteQuestionSaysWhat_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QString>("question");
        const QString selectedItems = QStringLiteral("Do you want to delete the selected item(s) ?\n\n");
        QTest::newRow("one file") << int(cmd::Delete) << QStringList{QStringLiteral("f1")}
                                  << selectedItems + QStringLiteral("f1");
        QTest::newRow("three entries")
            << int(cmd::Delete)
            << QStringList{QStringLiteral("f1"), QStringLiteral("f2"), QStringLiteral("full")}
            << selectedItems + QStringLiteral("3 items");
        QTest::newRow("a whole folder")
            << int(cmd::DeleteSubfolder) << QStringList{QStringLiteral("full")}
            << QStringLiteral("Delete folder selected and all items included?\n\nfull");
    }
    void deleteQuestionSaysWhat()
    {
        QFETCH(int, command);
        QFETCH(QStringList, selected);
        QFETCH(QString, question);
        writeFile(localfolder::joinPath(root_, "f1"), 1);
        writeFile(localfolder::joinPath(root_, "f2"), 1);
        QVERIFY(::mkdir(localfolder::joinPath(root_, "full").constData(), 0755) == 0);
        QVERIFY(pane_->ShowFolder(root_));
        selectNames(list(), selected);
        QString asked;
        {
            guitest::ModalWatcher watcher([&](QWidget *modal) {
                auto *box = qobject_cast<QMessageBox *>(modal);
                QVERIFY(box);
                asked = box->text();
                box->reject();
            });
            (command == int(cmd::Delete) ? pane_->commands().deleteItems : pane_->commands().deleteSubfolder)
                ->trigger();
        }
        QCOMPARE(asked, question);
        QCOMPARE(rowNames(list()).size(), 3);
    }

    // New Folder and Rename take a name, never a path: what they refuse changes nothing on disk.
    void typedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("plain") << QStringLiteral("made") << true;
        QTest::newRow("255 bytes") << QString(255, QLatin1Char('n')) << true;
        QTest::newRow("255 bytes of UTF-8") << QString(85, QChar(0xAC00)) << true;
        QTest::newRow("256 bytes") << QString(256, QLatin1Char('n')) << false;
        QTest::newRow("256 bytes of UTF-8") << QString(85, QChar(0xAC00)) + QLatin1Char('n') << false;
        QTest::newRow("into a subfolder") << QStringLiteral("sub/made") << false;
        QTest::newRow("into the parent") << QStringLiteral("../made") << false;
        QTest::newRow("dot") << QStringLiteral(".") << false;
        QTest::newRow("dot dot") << QStringLiteral("..") << false;
        QTest::newRow("line feed") << QStringLiteral("a\nb") << false;
        QTest::newRow("escape byte") << QStringLiteral("a\x1b") << false;
        QTest::newRow("delete byte") << QStringLiteral("a\x7f") << false;
    }
    void typedNames()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        const QByteArray inner = localfolder::joinPath(root_, "inner");
        QVERIFY(QDir(QString::fromUtf8(root_)).mkpath(QStringLiteral("inner/sub")));
        writeFile(localfolder::joinPath(inner, "file"), 1);
        QVERIFY(pane_->ShowFolder(inner));
        const QStringList before = treeOf(root_);
        const QByteArray made = localfolder::joinPath(inner, typed.toUtf8());
        const QString refusal = QStringLiteral("Not a valid name: %1\n").arg(typed);
        {
            LogRecorder log;
            guitest::ModalWatcher watcher([&](QWidget *modal) {
                auto *dialog = qobject_cast<QInputDialog *>(modal);
                QVERIFY(dialog);
                dialog->setTextValue(typed);
                dialog->accept();
            });
            pane_->commands().newFolder->trigger();
            if (accepted) {
                QVERIFY(QFileInfo(QString::fromUtf8(made)).isDir());
                QVERIFY(::rmdir(made.constData()) == 0);
            } else {
                QVERIFY(log.waitFor(refusal, LogColor::Error));
            }
        }
        QCOMPARE(treeOf(root_), before);
        {
            LogRecorder log;
            pane_->Refresh();
            selectNames(list(), {QStringLiteral("file")});
            pane_->commands().rename->trigger();
            QLineEdit *editor = renameEditor(list());
            QVERIFY(editor);
            editor->setText(typed);
            QTest::keyClick(editor, Qt::Key_Return);
            if (accepted) {
                QVERIFY(QFileInfo(QString::fromUtf8(made)).isFile());
                QVERIFY(::rename(made.constData(), localfolder::joinPath(inner, "file").constData()) == 0);
            } else {
                QVERIFY(log.waitFor(refusal, LogColor::Error));
            }
        }
        QCOMPARE(treeOf(root_), before);
    }

    // A tree with an entry that cannot be removed: the walk stops there, names it, and the
    // folders above it stay.
    void deleteTreeStops()
    {
        // A path longer than the system takes: created step by step from inside, it cannot be
        // removed by its full path, whoever runs the test.
        const QByteArray tree = localfolder::joinPath(root_, "tree");
        QVERIFY(::mkdir(tree.constData(), 0755) == 0);
        writeFile(localfolder::joinPath(tree, "a-first"), 1);
        int fd = ::open(tree.constData(), O_RDONLY | O_DIRECTORY);
        QVERIFY(fd >= 0);
        const QByteArray step(200, 'd');
        for (int depth = 0; depth < 25; ++depth) {
            QVERIFY(::mkdirat(fd, step.constData(), 0755) == 0);
            const int next = ::openat(fd, step.constData(), O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = next;
            QVERIFY(fd >= 0);
        }
        ::close(fd);
        const std::optional<localfolder::Failure> failure = localfolder::deleteTree(tree);
        QVERIFY(failure);
        QCOMPARE(failure->error, ENAMETOOLONG);
        QVERIFY(failure->path.startsWith(tree + "/" + step));
        QVERIFY(QFile::exists(QString::fromUtf8(tree)));
        // Through the pane, the log says where and why.
        LogRecorder log;
        QVERIFY(pane_->ShowFolder(root_));
        selectNames(list(), {QStringLiteral("tree")});
        {
            guitest::ModalWatcher watcher(pressButton(QMessageBox::Yes));
            pane_->commands().deleteSubfolder->trigger();
        }
        const QString said = QStringLiteral("Deleting %1 stopped at %2: %3\n")
                                 .arg(QString::fromUtf8(tree), QString::fromUtf8(failure->path),
                                      localfolder::errorText(ENAMETOOLONG));
        QVERIFY(log.waitFor(said, LogColor::Error));
        QVERIFY(rowNames(list()).contains(QStringLiteral("tree")));
        QVERIFY(QProcess::execute(QStringLiteral("rm"), {QStringLiteral("-rf"), QString::fromUtf8(tree)}) ==
                0);
    }

    void newFolderAndRename()
    {
        {
            guitest::ModalWatcher watcher([](QWidget *modal) {
                auto *dialog = qobject_cast<QInputDialog *>(modal);
                QVERIFY(dialog);
                dialog->setTextValue(QStringLiteral("made"));
                dialog->accept();
            });
            pane_->commands().newFolder->trigger();
        }
        QCOMPARE(rowNames(list()), QStringList{QStringLiteral("made")});
        writeFile(localfolder::joinPath(root_, "taken"), 1);
        pane_->Refresh();
        selectNames(list(), {QStringLiteral("made")});
        // Renaming onto an existing name replaces nothing.
        LogRecorder log;
        pane_->commands().rename->trigger();
        auto *editor = renameEditor(list());
        QVERIFY(editor);
        editor->setText(QStringLiteral("taken"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(log.waitFor(
            QStringLiteral("Cannot rename %1: %2\n")
                .arg(QString::fromUtf8(localfolder::joinPath(root_, "made")), localfolder::errorText(EEXIST)),
            LogColor::Error));
        QVERIFY(QFileInfo(QString::fromUtf8(localfolder::joinPath(root_, "taken"))).isFile());
        selectNames(list(), {QStringLiteral("made")});
        pane_->commands().rename->trigger();
        editor = renameEditor(list());
        QVERIFY(editor);
        editor->setText(QStringLiteral("renamed"));
        QTest::keyClick(editor, Qt::Key_Return);
        QVERIFY(rowNames(list()).contains(QStringLiteral("renamed")));
    }
};

TIDEWELL_GUI_TEST_MAIN(TestLocalWnd)
#include "tst_localwnd.moc"
