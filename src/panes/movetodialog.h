#pragma once

#include <QByteArray>
#include <QDialog>

class QComboBox;

// Asks for the folder to move the selected rows to, offering the folders of the pane's box.
class MoveToDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int destinationLimit = 500;

    // The entries of `folders` (text and the folder's bytes), its current one selected.
    explicit MoveToDialog(const QComboBox &folders, QWidget *parent = nullptr);

    // The folder typed or picked: an entry's own bytes when its text was picked unchanged.
    [[nodiscard]] QByteArray destination() const;
    [[nodiscard]] QComboBox *destinationBox() const { return combo_; }

private:
    QComboBox *combo_;
};
