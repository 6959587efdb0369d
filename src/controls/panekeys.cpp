#include "controls/panekeys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

namespace
{

class ContextMenuKeys : public QObject
{
public:
    explicit ContextMenuKeys(QAbstractItemView *view) : QObject(view), view_(view) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != view_ || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (!menuKey && !shiftF10)
            return false;
        const QModelIndex current = view_->currentIndex();
        const QRect row = current.isValid() ? view_->visualRect(current) : QRect();
        const QPoint at = row.isValid() && view_->viewport()->rect().intersects(row)
                              ? QPoint(row.left() + 8, row.center().y())
                              : QPoint(0, 0);
        emit view_->customContextMenuRequested(at);
        return true;
    }

private:
    QAbstractItemView *view_;
};

} // namespace

void addPathBoxKey(QWidget *pane, QComboBox *pathBox)
{
    auto *action = new QAction(pane);
    action->setShortcut(Qt::CTRL | Qt::Key_L);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, pathBox, [pathBox] {
        pathBox->setFocus(Qt::ShortcutFocusReason);
        if (QLineEdit *edit = pathBox->lineEdit())
            edit->selectAll();
    });
    pane->addAction(action);
}

void addContextMenuKeys(QAbstractItemView *view)
{
    view->installEventFilter(new ContextMenuKeys(view));
}
