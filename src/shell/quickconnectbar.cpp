#include "shell/quickconnectbar.h"

#include "platform/settingsstore.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "session/connecturl.h"
#include "session/sessioncontroller.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPushButton>

namespace
{

const QString recentKey = QStringLiteral("RecentAddresses");

QLineEdit *makeEdit(const char *name, int width, QWidget *parent)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setMaximumWidth(width);
    return edit;
}

} // namespace

QuickConnectBar::QuickConnectBar(SessionController &controller, QWidget *parent)
    : QToolBar(UiText::tr("Quick connect"), parent), controller_(controller), host_(new QComboBox(this)),
      user_(makeEdit("quickUser", 140, this)), password_(makeEdit("quickPassword", 140, this)),
      port_(makeEdit("quickPort", 60, this)), connect_(new QPushButton(UiText::tr("&Connect"), this))
{
    setObjectName(QStringLiteral("quickConnectBar"));
    setMovable(false);
    host_->setObjectName(QStringLiteral("quickHost"));
    host_->setEditable(true);
    host_->setInsertPolicy(QComboBox::NoInsert);
    host_->setMinimumContentsLength(24);
    host_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    host_->lineEdit()->setMaxLength(int(connectAddressMaximum));
    host_->lineEdit()->setPlaceholderText(UiText::tr("host or ftpes://user@host"));
    password_->setEchoMode(QLineEdit::Password);
    port_->setMaxLength(5);
    connect_->setObjectName(QStringLiteral("quickConnect"));
    fillRecent();

    // Each box behind its label, whose access key reaches it; Tab goes from left to right.
    const auto addLabelled = [this](const char *text, QWidget *box) {
        auto *label = new QLabel(UiText::tr(text), this);
        label->setBuddy(box);
        label->setContentsMargins(6, 0, 2, 0);
        addWidget(label);
        addWidget(box);
    };
    addLabelled(QT_TRANSLATE_NOOP("UiText", "Ho&st:"), host_);
    addLabelled(QT_TRANSLATE_NOOP("UiText", "&User:"), user_);
    addLabelled(QT_TRANSLATE_NOOP("UiText", "Pass&word:"), password_);
    addLabelled(QT_TRANSLATE_NOOP("UiText", "&Port:"), port_);
    addWidget(connect_);

    connect(connect_, &QPushButton::clicked, this, &QuickConnectBar::connectNow);
    // The host box's line edit passes a Return it has handled on to its combo box, which hands it
    // back: the presses of one key event come together as one Connect.
    for (QLineEdit *edit : {host_->lineEdit(), user_, password_, port_})
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            if (returnPending_)
                return;
            returnPending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    returnPending_ = false;
                    connectNow();
                },
                Qt::QueuedConnection);
        });
}

std::optional<LoginFields> QuickConnectBar::login(QString *error) const
{
    ConnectAddress address = parseConnectAddress(host_->currentText());
    const QString portText = port_->text().trimmed();
    if (address.ok() && !portText.isEmpty()) {
        if (const std::optional<int> port = parseConnectPort(portText))
            address.login.port = *port;
        else
            address.error = loadText(TextId::AddressBadPort);
    }
    if (!address.ok()) {
        if (error)
            *error = address.error;
        return std::nullopt;
    }
    LoginFields login = address.login;
    if (!user_->text().isEmpty()) {
        login.userName = user_->text();
        login.anonymousLogin = false;
    }
    if (!password_->text().isEmpty()) {
        login.password = password_->text();
        login.anonymousLogin = false;
    }
    return login;
}

void QuickConnectBar::connectNow()
{
    QString error;
    const std::optional<LoginFields> chosen = login(&error);
    if (!chosen) {
        QMessageBox::warning(window(), QGuiApplication::applicationDisplayName(), error.trimmed());
        return;
    }
    remember(*chosen);
    controller_.connectTo(*chosen);
}

QStringList QuickConnectBar::recentAddresses()
{
    const QString stored = settingsstore::readString(QLatin1String(settingsstore::applSet), recentKey, {});
    QStringList addresses;
    for (const QString &line : stored.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        // Whatever the store holds, what is shown is an address without a password.
        const ConnectAddress address = parseConnectAddress(line);
        const QString text = address.ok() ? connectAddressText(address.login) : QString();
        if (!text.isEmpty() && !addresses.contains(text) && addresses.size() < recentMaximum)
            addresses << text;
    }
    return addresses;
}

void QuickConnectBar::remember(const LoginFields &login)
{
    QStringList addresses = recentAddresses();
    const QString text = connectAddressText(login);
    addresses.removeAll(text);
    addresses.prepend(text);
    while (addresses.size() > recentMaximum)
        addresses.removeLast();
    settingsstore::writeString(QLatin1String(settingsstore::applSet), recentKey,
                               addresses.join(QLatin1Char('\n')));
    fillRecent();
}

void QuickConnectBar::fillRecent()
{
    const QString typed = host_->currentText();
    host_->clear();
    host_->addItems(recentAddresses());
    host_->setEditText(typed);
}

QuickConnectBar *addQuickConnectBar(QMainWindow &frame, SessionController &controller)
{
    auto *bar = new QuickConnectBar(controller, &frame);
    frame.addToolBarBreak();
    frame.addToolBar(bar);
    return bar;
}
