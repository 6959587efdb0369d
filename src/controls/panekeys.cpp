#include "controls/panekeys.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

namespace
{

// Opens a context menu on the Menu key and on Shift+F10 in the widget it watches.
class ContextMenuKeys : public QObject
{
public:
    ContextMenuKeys(QWidget *widget, std::function<void()> open)
        : QObject(widget), widget_(widget), open_(std::move(open))
    {
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched != widget_ || event->type() != QEvent::KeyPress)
            return false;
        const auto *key = static_cast<QKeyEvent *>(event);
        const bool menuKey = key->key() == Qt::Key_Menu && key->modifiers() == Qt::NoModifier;
        const bool shiftF10 = key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier;
        if (!menuKey && !shiftF10)
            return false;
        open_();
        return true;
    }

private:
    QWidget *widget_;
    std::function<void()> open_;
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
    view->installEventFilter(new ContextMenuKeys(view, [view] {
        const QModelIndex current = view->currentIndex();
        const QRect row = current.isValid() ? view->visualRect(current) : QRect();
        const QPoint at = row.isValid() && view->viewport()->rect().intersects(row)
                              ? QPoint(row.left() + 8, row.center().y())
                              : QPoint(0, 0);
        emit view->customContextMenuRequested(at);
    }));
}

void addContextMenuKeys(QPlainTextEdit *view)
{
    view->installEventFilter(new ContextMenuKeys(view, [view] {
        // At the text cursor while it is in sight, else at the top left corner.
        const QRect cursor = view->cursorRect();
        const QPoint at = view->viewport()->rect().contains(cursor.center()) ? cursor.center() : QPoint(0, 0);
        QContextMenuEvent event(QContextMenuEvent::Keyboard, view->viewport()->mapTo(view, at),
                                view->viewport()->mapToGlobal(at));
        QCoreApplication::sendEvent(view, &event);
    }));
}
