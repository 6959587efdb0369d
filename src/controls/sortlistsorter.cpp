#include "controls/sortlistsorter.h"

#include "platform/uithread.h"

#include <optional>

// Shared by the window thread and the sorting thread. `cancelled` is read by the sort as it runs;
// `dropped`, `owner` and `done` belong to the window thread, which alone decides whether a result
// is used: while it is not dropped, the sorter that started it lives.
struct SortListSorter::Job {
    std::atomic<bool> cancelled{false};
    bool dropped = false;
    SortListSorter *owner = nullptr;
    Done done;
};

SortListSorter::~SortListSorter()
{
    cancel();
}

void SortListSorter::start(const FileRows &rows, const RowOrder &by, std::vector<quint32> position, Done done)
{
    cancel();
    auto job = std::make_shared<Job>();
    job->done = std::move(done);
    job->owner = this;
    job_ = job;
    by_ = by;
    thread_ = std::thread([&rows, by, position = std::move(position), job]() mutable {
        std::optional<std::vector<quint32>> order = sortedRowOrder(rows, by, position, job->cancelled);
        if (!order)
            return;
        uithread::post([job, order = std::move(*order)]() mutable {
            if (job->dropped)
                return;
            job->dropped = true;
            SortListSorter &sorter = *job->owner;
            sorter.job_.reset();
            // It has posted this call and has nothing left to do.
            sorter.thread_.join();
            // Called last: `done` may start the next sort.
            Done done = std::move(job->done);
            done(std::move(order));
        });
    });
}

void SortListSorter::cancel()
{
    if (job_) {
        job_->cancelled = true;
        job_->dropped = true;
        job_.reset();
    }
    if (thread_.joinable())
        thread_.join();
}
