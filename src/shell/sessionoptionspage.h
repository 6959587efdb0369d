#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

// The "Special" page of the preferences: what happens after a queue run (this run only), the
// keep-alive, the extensions sent as text, sounds, passive mode, checksums, kept file times and
// how many connections a queue run transfers on.
class CSpecialSet : public QWidget
{
    Q_OBJECT
public:
    explicit CSpecialSet(QWidget *parent = nullptr);

    void loadSettings();
    [[nodiscard]] bool validate();
    // The after-transfer choice lasts for this run; everything else is also stored.
    void apply();

    QRadioButton *afterTransferButton(int action) const;
    QCheckBox *keepConnectionBox() const { return keepConnection_; }
    QLineEdit *extensionsEdit() const { return extensions_; }
    QLineEdit *keepAliveEdit() const { return keepAlive_; }
    QCheckBox *soundBox() const { return sound_; }
    QCheckBox *passiveBox() const { return passive_; }
    QCheckBox *verifyChecksumsBox() const { return verifyChecksums_; }
    QCheckBox *keepFileTimesBox() const { return keepFileTimes_; }
    QSpinBox *simultaneousBox() const { return simultaneous_; }

signals:
    void modified();

private:
    QButtonGroup *afterTransfer_;
    QCheckBox *keepConnection_;
    QLineEdit *extensions_;
    QLineEdit *keepAlive_;
    QCheckBox *sound_;
    QCheckBox *passive_;
    QCheckBox *verifyChecksums_;
    QCheckBox *keepFileTimes_;
    QSpinBox *simultaneous_;
    int afterTransferAction_ = 0;
    QString asciiExtensions_;
    int keepAliveMinutes_ = 0;
};
