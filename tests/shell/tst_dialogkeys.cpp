#include "guitest.h"
#include "panes/changeattributedialog.h"
#include "panes/movetodialog.h"
#include "panes/newfolderdialog.h"
#include "panes/usercommanddialog.h"
#include "platform/strings.h"
#include "shell/aboutbox.h"
#include "shell/aftertransferdialog.h"
#include "shell/certificatedialog.h"
#include "shell/existingfiledialog.h"
#include "shell/passwordpromptdialog.h"
#include "shell/preferencesdialog.h"
#include "shell/renametargetdialog.h"
#include "shell/unverifiedresumedialog.h"
#include "shell/updatedialog.h"
#include "sites/sitemanagerdialog.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

namespace
{

// The texts that carry an access key among what `dialog` shows now: labels, buttons, check
// boxes, group titles and tabs.
QStringList shownKeyTexts(QWidget *dialog)
{
    QStringList texts;
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (!widget->isVisible())
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget))
            texts.append(label->text());
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            texts.append(button->text());
        else if (auto *group = qobject_cast<QGroupBox *>(widget))
            texts.append(group->title());
    }
    for (QTabWidget *tabs : dialog->findChildren<QTabWidget *>())
        if (tabs->isVisible())
            for (int i = 0; i < tabs->count(); ++i)
                texts.append(tabs->tabText(i));
    return texts;
}

// Each access key given to more than one text, as "K: text and text".
QStringList sharedKeys(const QStringList &texts)
{
    QStringList shared;
    QHash<QChar, QString> taken;
    for (const QString &text : texts) {
        const QChar key = guitest::accessKey(text);
        if (key.isNull())
            continue;
        if (taken.contains(key))
            shared.append(QStringLiteral("%1: \"%2\" and \"%3\"").arg(key).arg(taken.value(key), text));
        taken.insert(key, text);
    }
    return shared;
}

using DialogFactory = std::function<std::unique_ptr<QDialog>(const QString &folder)>;

QList<std::pair<const char *, DialogFactory>> dialogs()
{
    static const QComboBox folders;
    return {
        {"Site Manager", [](const QString &folder) { return std::make_unique<SiteManagerDialog>(folder); }},
        {"Preferences", [](const QString &) { return std::make_unique<PreferencesDialog>(); }},
        {"existing file on download",
         [](const QString &) {
             return std::make_unique<ExistingFileDialog>(QStringLiteral("a.bin"), false, true);
         }},
        {"existing file on upload",
         [](const QString &) {
             return std::make_unique<ExistingFileDialog>(QStringLiteral("a.bin"), true, true);
         }},
        {"unverified resume",
         [](const QString &) {
             return std::make_unique<UnverifiedResumeDialog>(QStringLiteral("a.bin"), false);
         }},
        {"after transfer: disconnect",
         [](const QString &) {
             return std::make_unique<AfterTransferDialog>(AfterTransferAction::Disconnect);
         }},
        {"after transfer: shut down",
         [](const QString &) {
             return std::make_unique<AfterTransferDialog>(AfterTransferAction::Shutdown);
         }},
        {"certificate",
         [](const QString &) { return std::make_unique<CertificateDialog>(CertificateFacts{}, true); }},
        {"upgrade", [](const QString &) { return std::make_unique<UpdateDialog>(VersionFile{}); }},
        {"rename target",
         [](const QString &) { return std::make_unique<RenameTargetDialog>(QByteArray("/a.bin")); }},
        {"password", [](const QString &) { return std::make_unique<PasswordPromptDialog>(); }},
        {"user command", [](const QString &) { return std::make_unique<UserCommandDialog>(); }},
        {"change attribute",
         [](const QString &) {
             return std::make_unique<ChangeAttributeDialog>(QStringLiteral("rwxr-x---"));
         }},
        {"move to", [](const QString &) { return std::make_unique<MoveToDialog>(folders); }},
        {"new folder", [](const QString &) { return std::make_unique<NewFolderDialog>(); }},
        {"about", [](const QString &) { return std::make_unique<AboutBox>(); }},
    };
}

} // namespace

class TestDialogKeys : public QObject
{
    Q_OBJECT
private slots:
    void init() { guitest::clearSettings(); }
    void cleanup() { setLanguage(Language::English); }

    void sharedKeysFound_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("shared");
        QTest::newRow("unique") << QStringList{"&Add", "&Delete", "Cl&ose", "no key"} << 0;
        QTest::newRow("case does not matter") << QStringList{"&Add", "L&ast"} << 1;
        QTest::newRow("bracketed keys") << QStringList{"추가(&A)", "삭제(&D)", "닫기(&A)"} << 1;
        QTest::newRow("doubled ampersand is no key") << QStringList{"Save && exit", "&Save"} << 0;
    }
    void sharedKeysFound()
    {
        QFETCH(QStringList, texts);
        QFETCH(int, shared);
        QCOMPARE(sharedKeys(texts).size(), shared);
    }

    // In every dialog, in both languages, no two of the labels, buttons, boxes and tabs shown
    // together share an access key: a shared key only moves between them.
    void noSharedAccessKeys_data()
    {
        QTest::addColumn<int>("dialog");
        QTest::addColumn<int>("language");
        const auto all = dialogs();
        for (int i = 0; i < all.size(); ++i) {
            QTest::addRow("%s, English", all[i].first) << i << int(Language::English);
            QTest::addRow("%s, Korean", all[i].first) << i << int(Language::Korean);
        }
    }
    void noSharedAccessKeys()
    {
        QFETCH(int, dialog);
        QFETCH(int, language);
        setLanguage(Language(language));
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        const std::unique_ptr<QDialog> shown = dialogs().at(dialog).second(folder.path() + QLatin1Char('/'));
        shown->show();
        QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
        QList<QTabWidget *> tabs = shown->findChildren<QTabWidget *>();
        const int pages = tabs.isEmpty() ? 1 : tabs.first()->count();
        for (int page = 0; page < pages; ++page) {
            if (!tabs.isEmpty())
                tabs.first()->setCurrentIndex(page);
            const QStringList shared = sharedKeys(shownKeyTexts(shown.get()));
            QVERIFY2(shared.isEmpty(), qPrintable(shared.join(QLatin1Char('\n'))));
        }
    }

    // Each box of the Site Manager has a label whose access key reaches it.
    void siteManagerLabelsReachTheirBoxes_data()
    {
        QTest::addColumn<int>("language");
        QTest::newRow("English") << int(Language::English);
        QTest::newRow("Korean") << int(Language::Korean);
    }
    void siteManagerLabelsReachTheirBoxes()
    {
        QFETCH(int, language);
        setLanguage(Language(language));
        QTemporaryDir folder;
        SiteManagerDialog dialog(folder.path() + QLatin1Char('/'));
        const QList<QLabel *> labels = dialog.findChildren<QLabel *>();
        QList<QWidget *> boxes;
        for (QLineEdit *edit : dialog.findChildren<QLineEdit *>())
            boxes.append(edit);
        for (QComboBox *box : dialog.findChildren<QComboBox *>())
            boxes.append(box);
        QCOMPARE(boxes.size(), 8);
        for (QWidget *box : boxes) {
            const auto label =
                std::find_if(labels.begin(), labels.end(), [box](QLabel *l) { return l->buddy() == box; });
            QVERIFY2(label != labels.end(), qPrintable(box->objectName()));
            QVERIFY2(!guitest::accessKey((*label)->text()).isNull(), qPrintable((*label)->text()));
        }
    }

    // Tab goes down the folders, the sites and the site's fields, in the order they are shown.
    void siteManagerTabOrderFollowsTheFields()
    {
        QTemporaryDir folder;
        SiteManagerDialog dialog(folder.path() + QLatin1Char('/'));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QWidget *start = dialog.findChild<QWidget *>(QStringLiteral("folderTree"));
        QVERIFY(start);
        QStringList order{start->objectName()};
        for (QWidget *next = start->nextInFocusChain(); next != start; next = next->nextInFocusChain()) {
            if (dialog.isAncestorOf(next) && next->isVisible() && (next->focusPolicy() & Qt::TabFocus) &&
                !next->focusProxy())
                order.append(next->objectName());
        }
        const QStringList expected{"folderTree", "addFolder",    "deleteFolder", "siteList",   "addSite",
                                   "deleteSite", "address",      "userId",       "password",   "anonymous",
                                   "encryption", "charset",      "port",         "remotePath", "localPath",
                                   "browse",     "relativePath", "connect",      "close"};
        QCOMPARE(order, expected);

        // Both lists show when they have the focus.
        for (const char *name : {"folderTree", "siteList"}) {
            auto *list = dialog.findChild<QWidget *>(QLatin1String(name));
            list->setFocus(Qt::TabFocusReason);
            auto *frame =
                list->findChild<QWidget *>(QStringLiteral("focusFrame"), Qt::FindDirectChildrenOnly);
            QVERIFY2(frame, name);
            QTRY_VERIFY2(frame->isVisible(), name);
        }
    }
};

TIDEWELL_GUI_TEST_MAIN(TestDialogKeys)
#include "tst_dialogkeys.moc"
