#pragma once

#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

// The "General" page of the preferences: reconnect attempts, their delay, the e-mail address of
// anonymous logins and the default download folder. It holds its own copies in its boxes until
// the sheet is confirmed.
class CGeneralSet : public QWidget
{
    Q_OBJECT
public:
    explicit CGeneralSet(QWidget *parent = nullptr);

    // Shows the values in force.
    void loadSettings();
    // Checks the boxes in order; a refused one shows its message and takes the focus.
    [[nodiscard]] bool validate();
    // Copies the checked values into the settings in force and the settings store.
    void apply();

    QLineEdit *retriesEdit() const { return retries_; }
    QLineEdit *retryDelayEdit() const { return retryDelay_; }
    QLineEdit *emailEdit() const { return email_; }
    QLineEdit *downloadEdit() const { return download_; }
    QPushButton *browseButton() const { return browse_; }
    QCheckBox *keyringBox() const { return keyring_; }

signals:
    void modified();

private:
    void browseForFolder();

    QLineEdit *retries_;
    QLineEdit *retryDelay_;
    QLineEdit *email_;
    QLineEdit *download_;
    QPushButton *browse_;
    QCheckBox *keyring_;
    int retryCount_ = 0;
    int retryDelaySeconds_ = 0;
    QString emailAddress_;
    QString downloadFolder_;
};
