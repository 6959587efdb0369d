#pragma once

#include <QPointer>
#include <QPoint>
#include <QTimer>
#include <QTreeView>

#include <vector>

// A flat list whose selected rows the user drags to another place: while the button is held an
// image of the dragged rows follows the pointer, the row under the pointer is shown as the drop
// target, and holding the pointer above or below the rows scrolls the list a line every 100 ms. On release the owner is asked to move the rows; the
// control itself never reorders the model.
class QLabel;

class ReorderListCtrl : public QTreeView
{
    Q_OBJECT
public:
    explicit ReorderListCtrl(QWidget *parent = nullptr);

    [[nodiscard]] bool dragging() const { return dragging_; }
    [[nodiscard]] int highlightedRow() const { return highlighted_; }
    // The rows selected, ascending.
    [[nodiscard]] std::vector<int> selectedRows() const;

signals:
    // The dragged rows (ascending) go as one block before row `target` (the row count: the end).
    void moveRequested(const std::vector<int> &rows, int target);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void drawRow(QPainter *painter, const QStyleOptionViewItem &option,
                 const QModelIndex &index) const override;

private:
    void beginDrag();
    // The dragged rows as they are drawn (those in view), held where the pointer took them.
    void showDragImage(const QPoint &viewportPos);
    void moveDragImage(const QPoint &viewportPos);
    void trackPointer(const QPoint &viewportPos);
    void scrollTick();
    void highlight(int row);
    void endDrag();
    [[nodiscard]] int rowAtHeight(int y) const;

    enum class Scroll { None, Up, Down };
    QTimer scrollTimer_;
    Scroll scroll_ = Scroll::None;
    QPoint pressPos_;
    bool pressedOnSelection_ = false;
    bool dragging_ = false;
    std::vector<int> draggedRows_;
    int highlighted_ = -1;
    int dropTarget_ = -1; // the row the block goes behind
    QPointer<QLabel> dragImage_;
    QPoint hotSpot_; // the pointer inside the image
};
