#pragma once

#include "session/existingfileanswer.h"
#include "session/existingfilefacts.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// "The file %s already exists.": Resume, Rename, Overwrite or Skip, and "All" for every later file
// of the same direction. The size and date of the file there and of the one that would replace it
// are shown side by side. Unanswered, it resumes by itself after the dialog time-out.
class ExistingFileDialog : public QDialog
{
    Q_OBJECT
public:
    ExistingFileDialog(const QString &fileName, bool upload, bool resumePossible,
                       const ExistingFileFacts &facts = {}, QWidget *parent = nullptr);

    [[nodiscard]] ExistingFileAnswer answer() const { return answer_; }

    QPushButton *resumeButton() const { return resume_; }
    QPushButton *renameButton() const { return rename_; }
    QPushButton *overwriteButton() const { return overwrite_; }
    QPushButton *skipButton() const { return skip_; }
    QCheckBox *allBox() const { return all_; }
    QLabel *messageLabel() const { return message_; }
    QLabel *existingFileLabel() const { return existing_; }
    QLabel *incomingFileLabel() const { return incoming_; }

    // "1,234 bytes  2026-12-01 10:00": what is known of the file.
    [[nodiscard]] static QString factsText(const FileFacts &facts);

private:
    void choose(ExistingFileAnswer::Choice choice);

    QLabel *message_;
    QLabel *existing_;
    QLabel *incoming_;
    QPushButton *resume_;
    QPushButton *rename_;
    QPushButton *overwrite_;
    QPushButton *skip_;
    QCheckBox *all_;
    bool resumePossible_;
    ExistingFileAnswer answer_;
};

// Shows the dialog and returns the answer (choice None when it was dismissed).
[[nodiscard]] ExistingFileAnswer askExistingFileWithDialog(const QString &fileName, bool upload,
                                                           bool resumePossible,
                                                           const ExistingFileFacts &facts,
                                                           QWidget *parent = nullptr);
