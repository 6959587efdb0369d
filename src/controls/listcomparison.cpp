#include "controls/listcomparison.h"

#include "controls/rowmarkdelegate.h"
#include "controls/sortlistctrl.h"
#include "platform/uithread.h"

#include <atomic>

// Shared by the window thread and the comparing thread, as a sort's job is: the thread reads
// `cancelled`; only the window thread decides, through `dropped`, whether its result is used.
struct ListComparison::Job {
    std::atomic<bool> cancelled{false};
    bool dropped = false;
    ListComparison *owner = nullptr;
};

ListComparison::ListComparison(CSortListCtrl *left, CSortListCtrl *right, QObject *parent) : QObject(parent)
{
    left_.list = left;
    right_.list = right;
    restart_.setSingleShot(true);
    restart_.setInterval(0);
    connect(&restart_, &QTimer::timeout, this, &ListComparison::start);
    watch(left_);
    watch(right_);
}

ListComparison::~ListComparison()
{
    cancel();
}

void ListComparison::watch(Side &side)
{
    CSortListCtrl *list = side.list;
    // The delegate belongs to the list, which may outlive this.
    list->setItemDelegate(new RowMarkDelegate(
        [self = QPointer<ListComparison>(this), list](const QModelIndex &index) {
            return self ? self->markOf(list, index.row()) : RowMark::Same;
        },
        list));
    SortListModel *model = list->listModel();
    // The thread reads the rows in place: it stops before they are written, and starts again once
    // the window thread has done so. A sort writes keys only; the marks stay right.
    connect(model, &SortListModel::rowsAboutToChange, this, [this] {
        if (job_) {
            cancel();
            restart_.start();
        }
    });
    const auto replaced = [this, &side] { rowsReplaced(side); };
    connect(model, &QAbstractItemModel::modelReset, this, replaced);
    connect(model, &QAbstractItemModel::rowsInserted, this, replaced);
    connect(model, &QAbstractItemModel::rowsRemoved, this, replaced);
    connect(model, &QAbstractItemModel::dataChanged, this, replaced);
}

void ListComparison::setEnabled(bool on)
{
    if (on == enabled_)
        return;
    enabled_ = on;
    if (on) {
        start();
        return;
    }
    cancel();
    restart_.stop();
    left_.marks.clear();
    right_.marks.clear();
    repaint();
}

void ListComparison::rowsReplaced(Side &side)
{
    if (!enabled_)
        return;
    // Marks are kept by stored row, which now holds other rows.
    side.marks.clear();
    if (side.list)
        side.list->viewport()->update();
    restart_.start();
}

RowMark ListComparison::markOf(const CSortListCtrl *list, int displayRow) const
{
    const Side *side = sideOf(list);
    if (!side || side->marks.empty() || !list)
        return RowMark::Same;
    const std::vector<quint32> &order = list->listModel()->displayOrder();
    if (displayRow < 0 || size_t(displayRow) >= order.size() || order[size_t(displayRow)] >= side->marks.size())
        return RowMark::Same;
    return side->marks[order[size_t(displayRow)]];
}

const ListComparison::Side *ListComparison::sideOf(const CSortListCtrl *list) const
{
    if (list == left_.list.data())
        return &left_;
    if (list == right_.list.data())
        return &right_;
    return nullptr;
}

void ListComparison::start()
{
    cancel();
    if (!enabled_ || !left_.list || !right_.list)
        return;
    auto job = std::make_shared<Job>();
    job->owner = this;
    job_ = job;
    const FileRows &left = left_.list->listModel()->storedRows();
    const FileRows &right = right_.list->listModel()->storedRows();
    thread_ = std::thread([&left, &right, job] {
        std::optional<ComparedFolders> marks = compareFolderRows(left, right, &job->cancelled);
        if (!marks)
            return;
        uithread::post([job, marks = std::move(*marks)]() mutable {
            if (job->dropped)
                return;
            job->dropped = true;
            job->owner->finish(std::move(marks));
        });
    });
}

void ListComparison::finish(ComparedFolders marks)
{
    job_.reset();
    // It has posted this call and has nothing left to do.
    thread_.join();
    left_.marks = std::move(marks.left);
    right_.marks = std::move(marks.right);
    repaint();
    emit compared();
}

void ListComparison::cancel()
{
    if (job_) {
        job_->cancelled = true;
        job_->dropped = true;
        job_.reset();
    }
    if (thread_.joinable())
        thread_.join();
}

void ListComparison::repaint()
{
    for (const Side *side : {&left_, &right_})
        if (side->list)
            side->list->viewport()->update();
}
