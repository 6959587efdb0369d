#pragma once

#include "platform/rowsort.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

// One sort of a list's rows on a thread of its own, so that the window goes on answering while a
// large list is ordered. The rows are read in place: whoever changes them calls cancel() first,
// which also drops the result that was to come. Window thread.
class SortListSorter
{
public:
    // Runs on the window thread with the new display order.
    using Done = std::function<void(std::vector<quint32> order)>;

    SortListSorter() = default;
    ~SortListSorter();
    SortListSorter(const SortListSorter &) = delete;
    SortListSorter &operator=(const SortListSorter &) = delete;

    // Sorts `rows` by `by`; `position` is where each stored row is shown now. Cancels the sort
    // that was still running. `rows` must stay unchanged until `done` ran or cancel() returned.
    void start(const FileRows &rows, const RowOrder &by, std::vector<quint32> position, Done done);
    // Stops the sort and waits for its thread: afterwards nothing reads the rows, and `done` of
    // that sort never runs.
    void cancel();
    // A sort was started and its result has not arrived yet.
    [[nodiscard]] bool pending() const { return job_ != nullptr; }
    // What the pending sort sorts by.
    [[nodiscard]] const RowOrder &order() const { return by_; }

private:
    struct Job;
    std::shared_ptr<Job> job_;
    std::thread thread_;
    RowOrder by_;
};
