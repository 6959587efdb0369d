#pragma once

#include <QDialog>
#include <QStringView>

#include <array>

class QCheckBox;
class QLineEdit;

// One permission box: the character it tests in an attribute text such as "drwxr-xr-x"
// (position 0 is the type character) and what it adds to the mode number, whose decimal digits
// are the three octal permission digits.
struct PermissionBox {
    int controlId;
    int position;
    char letter;
    int value;
};
inline constexpr std::array<PermissionBox, 9> permissionBoxes{{
    {1022, 1, 'r', 400},
    {1031, 2, 'w', 200},
    {1032, 3, 'x', 100},
    {1023, 4, 'r', 40},
    {1033, 5, 'w', 20},
    {1034, 6, 'x', 10},
    {1035, 7, 'r', 4},
    {1036, 8, 'w', 2},
    {1037, 9, 'x', 1},
}};

// The mode the attribute text shows: only the exact lower-case letter counts (set-id and sticky
// letters do not), and a text too short checks nothing beyond its end.
[[nodiscard]] int modeFromAttributes(QStringView attributes);

// Sets the Unix permissions of a remote row: a box per permission and the mode number.
class ChangeAttributeDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int maxMode = 777;

    explicit ChangeAttributeDialog(QStringView attributes, QWidget *parent = nullptr);

    // The number in the field when OK was pressed.
    [[nodiscard]] int mode() const { return accepted_; }
    [[nodiscard]] QLineEdit *modeEdit() const { return edit_; }
    // The box of permissionBoxes[index].
    [[nodiscard]] QCheckBox *box(int index) const { return boxes_.at(size_t(index)); }

    // Takes the number from the field; one that is not a number from 0 to 777 keeps the dialog
    // open with a message.
    void accept() override;

private:
    void boxToggled(int index, bool checked);

    QLineEdit *edit_;
    std::array<QCheckBox *, 9> boxes_{};
    int mode_ = 0;
    int accepted_ = 0;
};
