#include "controls/rowdragsource.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QMouseEvent>

RowDragSource::RowDragSource(QAbstractItemView *list) : QObject(list), list_(list), viewport_(list->viewport())
{
    list->viewport()->installEventFilter(this);
}

const RowDragSource::Target *RowDragSource::targetAt(const QPoint &globalPos) const
{
    for (QWidget *w = QApplication::widgetAt(globalPos); w; w = w->parentWidget()) {
        for (const Target &target : targets_)
            if (target.widget && target.widget == w)
                return &target;
    }
    return nullptr;
}

bool RowDragSource::eventFilter(QObject *watched, QEvent *event)
{
    // Compared with the pointer kept from the start: while the list is destroyed its viewport
    // still sends events here, and the list is no longer a list to ask.
    if (watched != viewport_)
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        pressPos_ = mouse->position().toPoint();
        const QModelIndex index = list_->indexAt(pressPos_);
        pressedOnRow_ =
            mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier && index.isValid();
        pressedOnSelection_ = pressedOnRow_ && list_->selectionModel()->isRowSelected(index.row(), {});
        // A row not yet selected becomes the selection the list's own way (its anchor for a later
        // Shift-click included), and a move from it drags it.
        if (!pressedOnSelection_)
            return false;
        // Keep a several-row selection for the drag; a plain click narrows it on release.
        list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        list_->setFocus(Qt::MouseFocusReason);
        return true;
    }
    case QEvent::MouseMove: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!pressedOnRow_ || !(mouse->buttons() & Qt::LeftButton))
            return false;
        if (!dragging_ &&
            (mouse->position().toPoint() - pressPos_).manhattanLength() >= QApplication::startDragDistance())
            dragging_ = true;
        if (dragging_) {
            const Target *target = targetAt(mouse->globalPosition().toPoint());
            list_->viewport()->setCursor(target ? target->cursor : Qt::ForbiddenCursor);
        }
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (!pressedOnRow_ || mouse->button() != Qt::LeftButton)
            return false;
        pressedOnRow_ = false;
        if (!dragging_ && !pressedOnSelection_)
            return false;
        if (!dragging_) {
            const QModelIndex index = list_->indexAt(mouse->position().toPoint());
            if (index.isValid())
                list_->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
            return true;
        }
        dragging_ = false;
        list_->viewport()->unsetCursor();
        if (const Target *target = targetAt(mouse->globalPosition().toPoint()); target && target->drop)
            target->drop();
        return true;
    }
    default:
        return false;
    }
}
