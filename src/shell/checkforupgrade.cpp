#include "shell/checkforupgrade.h"

#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "shell/programidentity.h"
#include "shell/updatedialog.h"
#include "shell/upgradecheck.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QStatusBar>

#include <memory>

namespace
{

QPointer<UpgradeCheck> running;

// The check may wait for the server as long as its time limit: the owner's status bar says that
// it runs, so that a click meanwhile is not taken for one that did nothing.
class RunningNotice
{
public:
    explicit RunningNotice(QWidget *owner)
        : bar_(owner ? owner->window()->findChild<QStatusBar *>() : nullptr), text_(UiText::tr(checkingText))
    {
        if (bar_)
            bar_->showMessage(text_);
    }
    RunningNotice(const RunningNotice &) = delete;
    RunningNotice &operator=(const RunningNotice &) = delete;
    ~RunningNotice()
    {
        if (bar_ && bar_->currentMessage() == text_)
            bar_->clearMessage();
    }

    static constexpr const char *checkingText =
        QT_TRANSLATE_NOOP("UiText", "Checking for an upgraded version...");

private:
    QPointer<QStatusBar> bar_;
    QString text_;
};

void showOutcome(UpgradeCheck::Result result, const VersionFile &file, QWidget *owner)
{
    const QString title = loadText(TextId::ProgramName);
    switch (result) {
    case UpgradeCheck::Result::Upgrade: {
        UpdateDialog dialog(file, owner);
        (void)dialog.exec();
        break;
    }
    case UpgradeCheck::Result::NoUpgrade:
        QMessageBox::information(owner, title, loadText(TextId::NoUpgradedVersion));
        break;
    case UpgradeCheck::Result::Failed:
        QMessageBox::critical(owner, title, loadText(TextId::CannotConnectToHomepage));
        break;
    }
}

} // namespace

void CheckForUpgrade(QWidget *parent)
{
    CheckForUpgrade(parent, QUrl(QString(programidentity::versionFileAddress)));
}

void CheckForUpgrade(QWidget *parent, const QUrl &versionFile)
{
    if (running)
        return;
    // Owned by the application, not the window: the cursor comes back even when the window
    // goes first.
    auto *check = new UpgradeCheck(qApp);
    running = check;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QPointer<QWidget> owner(parent);
    auto notice = std::make_shared<RunningNotice>(parent);
    using Result = UpgradeCheck::Result;
    QObject::connect(check, &UpgradeCheck::finished, check, [check, owner, notice](Result result) mutable {
        QApplication::restoreOverrideCursor();
        running = nullptr;
        // Gone before the answer is shown, whose dialog may stay open for long.
        notice.reset();
        check->deleteLater();
        showOutcome(result, check->versionFile(), owner);
    });
    check->start(versionFile);
}
