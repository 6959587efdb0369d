#pragma once

#include "session/existingfileanswer.h"

#include <QDialog>

class QPushButton;

// Asks before the after-transfer action (disconnect, or shut the computer down); answers Yes by
// itself after the dialog time-out, so that an unattended run still ends as chosen.
class AfterTransferDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AfterTransferDialog(AfterTransferAction action, QWidget *parent = nullptr);

    QPushButton *yesButton() const { return yes_; }
    QPushButton *noButton() const { return no_; }

private:
    QPushButton *yes_;
    QPushButton *no_;
};

[[nodiscard]] bool confirmAfterTransferWithDialog(AfterTransferAction action, QWidget *parent = nullptr);
