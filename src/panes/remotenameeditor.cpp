#include "panes/remotenameeditor.h"

#include "controls/sortlistctrl.h"

#include <QKeyEvent>
#include <QLineEdit>

RemoteNameEditor::RemoteNameEditor(CSortListCtrl *list) : QObject(list), list_(list)
{
    connect(list_->listModel(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { finish(false); });
}

RemoteNameEditor::~RemoteNameEditor()
{
    delete edit_.data();
}

void RemoteNameEditor::begin(int row)
{
    finish(false);
    const QModelIndex index = list_->listModel()->index(row, 0);
    if (!index.isValid())
        return;
    oldName_ = list_->listModel()->nameBytes(row);
    list_->scrollTo(index);
    auto *edit = new QLineEdit(list_->viewport());
    edit->setObjectName(QStringLiteral("nameEditor"));
    edit->setText(list_->listModel()->text(row, 0));
    edit->setGeometry(list_->visualRect(index));
    edit->selectAll();
    edit->installEventFilter(this);
    connect(edit, &QLineEdit::editingFinished, this, [this] { finish(true); });
    edit_ = edit;
    edit->show();
    edit->setFocus();
}

bool RemoteNameEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != edit_ || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    // Return is taken here too: the line edit passes it on to the list, which would open the
    // row under its old name.
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Escape:
        finish(false);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        finish(true);
        return true;
    default:
        return QObject::eventFilter(watched, event);
    }
}

void RemoteNameEditor::finish(bool commit)
{
    QLineEdit *edit = edit_;
    if (!edit)
        return;
    // Cleared first: hiding the field moves the focus, which would end the edit a second time.
    edit_ = nullptr;
    const QString text = edit->text();
    edit->removeEventFilter(this);
    edit->disconnect(this);
    edit->hide();
    edit->deleteLater();
    list_->setFocus();
    if (commit)
        emit edited(oldName_, text);
}
