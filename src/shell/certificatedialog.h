#pragma once

#include "engine/tlscertificate.h"
#include "session/certificateanswer.h"

#include <QDialog>

class QLabel;
class QPushButton;

// A server certificate that did not verify: who it names, who issued it, how long it is valid,
// why it failed and its SHA-256 fingerprint, with "&Trust always", "Trust &once" and "Cancel".
// For a host trusted always with another certificate it warns of a possible interception
// instead. Cancel is the default, Escape's answer and the answer after the time-out.
class CertificateDialog : public QDialog
{
    Q_OBJECT
public:
    CertificateDialog(const CertificateFacts &facts, bool changed, QWidget *parent = nullptr);

    [[nodiscard]] CertificateAnswer answer() const { return answer_; }

    QPushButton *trustAlwaysButton() const { return always_; }
    QPushButton *trustOnceButton() const { return once_; }
    QPushButton *cancelButton() const { return cancel_; }
    QLabel *messageLabel() const { return message_; }
    QLabel *detailsLabel() const { return details_; }

private:
    void choose(CertificateAnswer answer);

    QLabel *message_;
    QLabel *details_;
    QPushButton *always_;
    QPushButton *once_;
    QPushButton *cancel_;
    CertificateAnswer answer_ = CertificateAnswer::Cancel;
};

// Shows the dialog and returns the answer (Cancel when it was dismissed).
[[nodiscard]] CertificateAnswer askCertificateWithDialog(const CertificateFacts &facts, bool changed,
                                                         QWidget *parent = nullptr);
