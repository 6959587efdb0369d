#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <vector>

class QAbstractItemView;
class QWidget;

// Drags the selected rows of a list out to other panes: a press on a row, a move past the drag
// distance, and the release over one of the targets runs that target's drop. A press on a row that
// is not selected selects it alone first, so that it is the row dragged. The cursor tells over
// which target the rows would land. A plain click on a selected row still narrows the selection to
// it, as a list does.
class RowDragSource : public QObject
{
public:
    struct Target {
        QPointer<QWidget> widget;
        Qt::CursorShape cursor = Qt::DragCopyCursor;
        std::function<void()> drop;
    };

    explicit RowDragSource(QAbstractItemView *list);

    void setTargets(std::vector<Target> targets) { targets_ = std::move(targets); }
    // The target under a global position, or nullptr.
    [[nodiscard]] const Target *targetAt(const QPoint &globalPos) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QAbstractItemView *list_;
    const QObject *viewport_;
    std::vector<Target> targets_;
    QPoint pressPos_;
    bool pressedOnRow_ = false;       // a plain left press on a row: a move from it drags
    bool pressedOnSelection_ = false; // ... on a row that was already selected
    bool dragging_ = false;
};
