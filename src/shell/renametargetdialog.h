#pragma once

#include <QByteArray>
#include <QDialog>

#include <optional>

class QDialogButtonBox;
class QLineEdit;
class QPushButton;

// Another full path for a transfer's destination. OK takes only a path that differs from the
// one it started with; Cancel leaves the file untransferred.
class RenameTargetDialog : public QDialog
{
    Q_OBJECT
public:
    explicit RenameTargetDialog(const QByteArray &path, QWidget *parent = nullptr);

    [[nodiscard]] QByteArray path() const;
    QLineEdit *pathEdit() const { return edit_; }
    QPushButton *cancelButton() const;

    void accept() override;

    static constexpr int maxLength = 500;

private:
    QLineEdit *edit_;
    QDialogButtonBox *buttons_;
    QString start_;
};

// Shows the dialog; the new path, or nullopt when dismissed.
[[nodiscard]] std::optional<QByteArray> askRenameTargetWithDialog(const QByteArray &path,
                                                                  QWidget *parent = nullptr);
