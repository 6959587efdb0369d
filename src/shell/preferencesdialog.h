#pragma once

#include <QDialog>

#include <array>

class CGeneralSet;
class CSpecialSet;
class QPushButton;
class QTabWidget;

// The "Preferences" sheet: the General and the Special page on tabs, with OK, Cancel and Apply.
// A page is filled when it is first shown; only pages that were shown are checked and applied.
// Leaving a page, OK and Apply check it first; a refused box keeps the user on its page.
class PreferencesDialog : public QDialog
{
    Q_OBJECT
public:
    explicit PreferencesDialog(QWidget *parent = nullptr);

    CGeneralSet *generalPage() const { return general_; }
    CSpecialSet *specialPage() const { return special_; }
    QTabWidget *tabs() const { return tabs_; }
    QPushButton *okButton() const { return ok_; }
    QPushButton *applyButton() const { return apply_; }

    void accept() override;

private:
    [[nodiscard]] bool validatePage(int index);
    [[nodiscard]] bool applyPages();
    void showPage(int index);
    void setFrontPage(int index);
    void onTabChanged(int index);

    QTabWidget *tabs_;
    CGeneralSet *general_;
    CSpecialSet *special_;
    QPushButton *ok_;
    QPushButton *apply_;
    std::array<bool, 2> opened_{};
    int current_ = 0;
    bool switching_ = false;
};

// Runs the sheet modally; what it returns is of no interest to the caller.
void openPreferences(QWidget *parent);
