#pragma once

#include <QByteArray>
#include <QLineEdit>
#include <QObject>
#include <QPointer>

class CSortListCtrl;

// The in-place editing of a row's name in the remote list: a line edit over the name cell.
// Enter, or leaving the field, ends it with the typed text; Escape, or new rows in the list,
// cancel it. The list's own rows never change here: the server's rename shows through the
// listing that follows it.
class RemoteNameEditor : public QObject
{
    Q_OBJECT
public:
    explicit RemoteNameEditor(CSortListCtrl *list);
    ~RemoteNameEditor() override;

    void begin(int row);
    [[nodiscard]] QLineEdit *lineEdit() const { return edit_; }

signals:
    // The row's name as it was (bytes) and the text typed; not sent when cancelled.
    void edited(const QByteArray &oldName, const QString &newText);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void finish(bool commit);

    CSortListCtrl *list_;
    QPointer<QLineEdit> edit_;
    QByteArray oldName_;
};
