#pragma once

#include "session/existingfileanswer.h"

#include <QDialog>

class QCheckBox;
class QPushButton;

// A resume that could not be proved safe (the log says why): start again from the beginning, the
// default, or skip the file; "All" answers for every later such file of the same direction.
// Unanswered, it starts again by itself after the dialog time-out.
class UnverifiedResumeDialog : public QDialog
{
    Q_OBJECT
public:
    UnverifiedResumeDialog(const QString &fileName, bool upload, QWidget *parent = nullptr);

    [[nodiscard]] ExistingFileAnswer answer() const { return answer_; }
    QPushButton *againButton() const { return again_; }
    QPushButton *skipButton() const { return skip_; }
    QCheckBox *allBox() const { return all_; }

private:
    void choose(ExistingFileAnswer::Choice choice);

    QPushButton *again_;
    QPushButton *skip_;
    QCheckBox *all_;
    ExistingFileAnswer answer_{ExistingFileAnswer::Overwrite, false};
};

// Shows the dialog; dismissed, it answers as its default does (from the start again).
[[nodiscard]] ExistingFileAnswer askUnverifiedResumeWithDialog(const QString &fileName, bool upload,
                                                               QWidget *parent = nullptr);
