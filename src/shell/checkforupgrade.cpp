#include "shell/checkforupgrade.h"

#include "platform/strings.h"
#include "shell/programidentity.h"
#include "shell/updatedialog.h"
#include "shell/upgradecheck.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>

namespace
{

constexpr int programTitleId = 57344;
constexpr int cannotConnectId = 195;
constexpr int noUpgradeId = 196;

QPointer<UpgradeCheck> running;

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
    QObject::connect(check, &UpgradeCheck::finished, check, [check, owner](UpgradeCheck::Result result) {
        QApplication::restoreOverrideCursor();
        running = nullptr;
        check->deleteLater();
        const QString title = loadString(programTitleId);
        switch (result) {
        case UpgradeCheck::Result::Upgrade: {
            UpdateDialog dialog(check->versionFile(), owner);
            (void)dialog.exec();
            break;
        }
        case UpgradeCheck::Result::NoUpgrade:
            QMessageBox::information(owner, title, loadString(noUpgradeId));
            break;
        case UpgradeCheck::Result::Failed:
            QMessageBox::critical(owner, title, loadString(cannotConnectId));
            break;
        }
    });
    check->start(versionFile);
}
