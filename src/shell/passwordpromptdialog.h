#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the password of a login that has none stored. The typed text is masked and not kept.
class PasswordPromptDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PasswordPromptDialog(QWidget *parent = nullptr);

    [[nodiscard]] QString password() const;
    [[nodiscard]] QLineEdit *passwordEdit() const { return edit_; }

private:
    QLineEdit *edit_;
};

#include <optional>

// Shows the dialog; the typed password, or nullopt when cancelled.
[[nodiscard]] std::optional<QString> askPasswordWithDialog(QWidget *parent = nullptr);
