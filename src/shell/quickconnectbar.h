#pragma once

#include "engine/loginfields.h"

#include <QStringList>
#include <QToolBar>

#include <optional>

class QComboBox;
class QLineEdit;
class QMainWindow;
class QPushButton;
class SessionController;

// The bar under the toolbar for connecting without a stored site: a host name or a URL (with a
// drop-down of the addresses connected to lately), the user, the password and the port. Connect
// hands the login to the session as the Site Manager's Connect does. The recent addresses are
// kept in the settings without their passwords.
class QuickConnectBar : public QToolBar
{
    Q_OBJECT
public:
    static constexpr int recentMaximum = 10;

    explicit QuickConnectBar(SessionController &controller, QWidget *parent = nullptr);

    // The login the boxes stand for: the host box's address, with the user, the password and the
    // port of their boxes where those are filled in. Empty, with `error` set, when a box holds
    // what cannot be used.
    [[nodiscard]] std::optional<LoginFields> login(QString *error = nullptr) const;
    // What Connect does: a refusal is shown in a message box.
    void connectNow();

    // The recent addresses as stored, newest first.
    [[nodiscard]] static QStringList recentAddresses();

private:
    void remember(const LoginFields &login);
    void fillRecent();

    SessionController &controller_;
    QComboBox *host_;
    QLineEdit *user_;
    QLineEdit *password_;
    QLineEdit *port_;
    QPushButton *connect_;
    bool returnPending_ = false;
};

// Puts the bar on its own row under the frame's toolbar.
QuickConnectBar *addQuickConnectBar(QMainWindow &frame, SessionController &controller);
