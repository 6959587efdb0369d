#pragma once

#include <QDialog>

class QComboBox;

// Asks for a command line to send to the server as it stands.
class UserCommandDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int commandLimit = 255;

    explicit UserCommandDialog(QWidget *parent = nullptr);

    [[nodiscard]] QString command() const;
    [[nodiscard]] QComboBox *commandBox() const { return combo_; }

private:
    QComboBox *combo_;
};
