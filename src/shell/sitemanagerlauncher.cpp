#include "shell/sitemanagerlauncher.h"

#include "platform/uitext.h"
#include "session/sessionstate.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

// Until the site list exists, the Site Manager is a single form for one server, filled with the
// last session's values.
bool runSiteManager(QWidget *parent)
{
    SessionState &s = session();
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("siteManager"));
    dialog.setWindowTitle(uiText("Site Manager"));
    auto *form = new QFormLayout(&dialog);
    auto *host = new QLineEdit(s.serverHost, &dialog);
    host->setObjectName(QStringLiteral("host"));
    auto *port = new QSpinBox(&dialog);
    port->setObjectName(QStringLiteral("port"));
    port->setRange(1, 65535);
    port->setValue(s.port > 0 ? s.port : 21);
    auto *anonymous = new QCheckBox(uiText("&Anonymous"), &dialog);
    anonymous->setObjectName(QStringLiteral("anonymous"));
    anonymous->setChecked(s.anonymousLogin);
    auto *user = new QLineEdit(s.userName, &dialog);
    user->setObjectName(QStringLiteral("user"));
    auto *password = new QLineEdit(s.password, &dialog);
    password->setObjectName(QStringLiteral("password"));
    password->setEchoMode(QLineEdit::Password);
    auto *remote = new QLineEdit(s.initialRemotePath, &dialog);
    remote->setObjectName(QStringLiteral("remotePath"));
    auto *relative = new QCheckBox(uiText("&Relative paths"), &dialog);
    relative->setChecked(s.relativePaths);
    form->addRow(uiText("&Host:"), host);
    form->addRow(uiText("&Port:"), port);
    form->addRow(QString(), anonymous);
    form->addRow(uiText("&User:"), user);
    form->addRow(uiText("Pass&word:"), password);
    form->addRow(uiText("Remote &folder:"), remote);
    form->addRow(QString(), relative);
    auto *buttons = new QDialogButtonBox(&dialog);
    QPushButton *connectButton = buttons->addButton(uiText("&Connect"), QDialogButtonBox::AcceptRole);
    connectButton->setObjectName(QStringLiteral("connect"));
    connectButton->setDefault(true);
    buttons->addButton(QDialogButtonBox::Close);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);

    if (dialog.exec() != QDialog::Accepted || host->text().trimmed().isEmpty())
        return false;
    s.serverHost = host->text().trimmed();
    s.port = port->value();
    s.anonymousLogin = anonymous->isChecked();
    s.userName = user->text();
    s.password = password->text();
    s.initialRemotePath = remote->text();
    s.relativePaths = relative->isChecked();
    return true;
}
