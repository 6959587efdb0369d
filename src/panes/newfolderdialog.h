#pragma once

#include <QDialog>

class QLineEdit;

// Asks for the name of a new remote folder.
class NewFolderDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int nameLimit = 260;

    explicit NewFolderDialog(QWidget *parent = nullptr);

    [[nodiscard]] QString name() const;
    [[nodiscard]] QLineEdit *nameEdit() const { return edit_; }

private:
    QLineEdit *edit_;
};
