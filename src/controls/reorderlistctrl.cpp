#include "controls/reorderlistctrl.h"

#include "controls/focusframe.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

ReorderListCtrl::ReorderListCtrl(QWidget *parent) : QTreeView(parent)
{
    new FocusFrame(this);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDragEnabled(false); // the drag is our own: rows move inside this list only
    header()->setSectionsClickable(false);
    header()->setSortIndicatorShown(false);
    scrollTimer_.setInterval(100);
    connect(&scrollTimer_, &QTimer::timeout, this, &ReorderListCtrl::scrollTick);
}

std::vector<int> ReorderListCtrl::selectedRows() const
{
    std::vector<int> rows;
    if (!selectionModel())
        return rows;
    for (const QModelIndex &index : selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

int ReorderListCtrl::rowAtHeight(int y) const
{
    // Probed near the left edge, so that a pointer right of the last column still finds its row.
    const QModelIndex index = indexAt(QPoint(8, y));
    return index.isValid() ? index.row() : -1;
}

void ReorderListCtrl::mousePressEvent(QMouseEvent *event)
{
    pressPos_ = event->position().toPoint();
    const QModelIndex index = indexAt(pressPos_);
    pressedOnSelection_ = event->button() == Qt::LeftButton && index.isValid() && selectionModel() &&
                          selectionModel()->isRowSelected(index.row(), QModelIndex()) &&
                          event->modifiers() == Qt::NoModifier;
    if (pressedOnSelection_) {
        // Keep the selection for a drag; a click without moving selects the row alone on release.
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTreeView::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && index.isValid() && event->modifiers() == Qt::NoModifier)
        pressedOnSelection_ = true;
}

void ReorderListCtrl::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (!dragging_) {
        if (pressedOnSelection_ && (event->buttons() & Qt::LeftButton) &&
            (pos - pressPos_).manhattanLength() >= QApplication::startDragDistance())
            beginDrag();
        if (!dragging_) {
            if (!pressedOnSelection_)
                QTreeView::mouseMoveEvent(event);
            return;
        }
    }
    trackPointer(pos);
}

void ReorderListCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    if (!dragging_) {
        if (pressedOnSelection_ && event->button() == Qt::LeftButton) {
            const QModelIndex index = indexAt(event->position().toPoint());
            if (index.isValid())
                selectionModel()->select(index,
                                         QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            pressedOnSelection_ = false;
            return;
        }
        QTreeView::mouseReleaseEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    int target = -1;
    if (viewport()->rect().contains(pos)) {
        const int row = rowAtHeight(pos.y());
        // Below the last row: the end.
        target = row >= 0 ? row + 1 : model()->rowCount();
    } else if (dropTarget_ >= 0) {
        target = dropTarget_ + 1;
    }
    const std::vector<int> rows = draggedRows_;
    endDrag();
    if (target >= 0 && !rows.empty())
        emit moveRequested(rows, std::min(target, model()->rowCount()));
}

void ReorderListCtrl::beginDrag()
{
    draggedRows_ = selectedRows();
    if (draggedRows_.empty())
        return;
    dragging_ = true;
    highlighted_ = -1;
    dropTarget_ = -1;
    viewport()->setCursor(Qt::DragMoveCursor);
    showDragImage(pressPos_);
}

void ReorderListCtrl::showDragImage(const QPoint &viewportPos)
{
    QRect bounds;
    for (const int row : draggedRows_) {
        const QModelIndex index = model()->index(row, 0);
        bounds |= QRect(0, visualRect(index).top(), viewport()->width(), visualRect(index).height());
    }
    bounds &= viewport()->rect();
    if (bounds.isEmpty())
        return;
    // Drawn before the drop highlight exists, so the rows look as the user picked them.
    QPixmap image(bounds.size() * devicePixelRatioF());
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setOpacity(0.7);
        for (const int row : draggedRows_) {
            const QRect rowRect = QRect(0, visualRect(model()->index(row, 0)).top(), viewport()->width(),
                                        visualRect(model()->index(row, 0)).height()) &
                                  bounds;
            if (!rowRect.isEmpty())
                painter.drawPixmap(rowRect.topLeft() - bounds.topLeft(), viewport()->grab(rowRect));
        }
    }
    auto *label = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint);
    label->setObjectName(QStringLiteral("rowDragImage"));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setAttribute(Qt::WA_TranslucentBackground);
    label->setAttribute(Qt::WA_ShowWithoutActivating);
    label->setPixmap(image);
    label->resize(bounds.size());
    dragImage_ = label;
    hotSpot_ = viewportPos - bounds.topLeft();
    moveDragImage(viewportPos);
    label->show();
}

void ReorderListCtrl::moveDragImage(const QPoint &viewportPos)
{
    if (dragImage_)
        dragImage_->move(viewport()->mapToGlobal(viewportPos) - hotSpot_);
}

void ReorderListCtrl::trackPointer(const QPoint &pos)
{
    moveDragImage(pos);
    highlight(rowAtHeight(pos.y()));
    // The active area is the rows' area; the header lies outside the viewport already.
    Scroll wanted = Scroll::None;
    if (pos.y() < 0)
        wanted = Scroll::Up;
    else if (pos.y() >= viewport()->height())
        wanted = Scroll::Down;
    scroll_ = wanted;
    if (wanted == Scroll::None)
        scrollTimer_.stop();
    else if (!scrollTimer_.isActive())
        scrollTimer_.start();
}

void ReorderListCtrl::scrollTick()
{
    if (!dragging_ || scroll_ == Scroll::None) {
        scrollTimer_.stop();
        return;
    }
    QScrollBar *bar = verticalScrollBar();
    const int rows = model() ? model()->rowCount() : 0;
    if (scroll_ == Scroll::Up) {
        bar->setValue(bar->value() - bar->singleStep());
        highlight(std::max(dropTarget_ - 1, 0));
    } else {
        bar->setValue(bar->value() + bar->singleStep());
        highlight(std::min(dropTarget_ + 1, rows - 1));
    }
}

void ReorderListCtrl::highlight(int row)
{
    if (row < 0 || row == highlighted_)
        return;
    highlighted_ = row;
    dropTarget_ = row;
    viewport()->update();
}

void ReorderListCtrl::endDrag()
{
    scrollTimer_.stop();
    scroll_ = Scroll::None;
    dragging_ = false;
    pressedOnSelection_ = false;
    draggedRows_.clear();
    highlighted_ = -1;
    dropTarget_ = -1;
    delete dragImage_.data();
    viewport()->unsetCursor();
    viewport()->update();
}

void ReorderListCtrl::drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    if (dragging_ && index.row() == highlighted_) {
        QStyleOptionViewItem shown(option);
        shown.state |= QStyle::State_Selected;
        QTreeView::drawRow(painter, shown, index);
        return;
    }
    QTreeView::drawRow(painter, option, index);
}
