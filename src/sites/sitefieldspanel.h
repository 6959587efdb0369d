#pragma once

#include "sites/sitefields.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

// The right-hand side of the Site Manager: the connection data of the selected site.
class SiteFieldsPanel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int portMaximum = 999999;

    explicit SiteFieldsPanel(QWidget *parent = nullptr);

    // Shows `fields` without counting as an edit.
    void showFields(const SiteFields &fields);
    // Shows the empty values (port 21, flags off) without counting as an edit.
    void clearFields();
    void setFieldsEnabled(bool enabled);

    // The values in the controls. A port that is not a whole number in 0..999999 keeps
    // `fallbackPort` and sets `portValid` false.
    SiteFields values(int fallbackPort, bool *portValid = nullptr) const;

    // Puts a path into the local-path box as if the user had typed it; a path too long for the
    // field is refused with a beep.
    void setLocalPathByUser(const QString &path);

    // The ends of the panel's Tab order, for the dialog to chain it between its own controls.
    [[nodiscard]] QWidget *firstField() const;
    [[nodiscard]] QWidget *lastField() const;

signals:
    // The user changed one of the six boxes, clicked one of the two check boxes or chose an
    // encryption.
    void edited();
    void browseRequested();

private:
    void onEncryptionChosen();

    QLineEdit *address_;
    QLineEdit *user_;
    QLineEdit *password_;
    QCheckBox *anonymous_;
    QLineEdit *port_;
    QLineEdit *remotePath_;
    QLineEdit *localPath_;
    QPushButton *browse_;
    QCheckBox *relative_;
    QComboBox *encryption_;
    QComboBox *charset_;
};
