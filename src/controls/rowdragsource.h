#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>

#include <functional>
#include <vector>

class QAbstractItemView;
class QWidget;

// Drags the selected rows of a list out to other panes: a press on a selected row, a move past the
// drag distance, and the release over one of the targets runs that target's drop. The cursor tells
// over which target the rows would land. A plain click on a selected row still narrows the
// selection to it, as a list does.
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
    bool pressedOnSelection_ = false;
    bool dragging_ = false;
};
