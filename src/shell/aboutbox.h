#pragma once

#include <QDialog>

class QLineEdit;

// "About Tidewell": the program's picture, name and version, the credits, and its homepage and
// contact addresses in read-only boxes that can be selected and copied.
class AboutBox : public QDialog
{
    Q_OBJECT
public:
    explicit AboutBox(QWidget *parent = nullptr);

    QLineEdit *homepageEdit() const { return homepage_; }
    QLineEdit *contactEdit() const { return contact_; }

private:
    QLineEdit *homepage_;
    QLineEdit *contact_;
};

// Shows the About box modally.
void openAboutBox(QWidget *parent);
