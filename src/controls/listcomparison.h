#pragma once

#include "controls/foldercomparison.h"

#include <QObject>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <thread>

class CSortListCtrl;

// Marks, while it is on, what differs between two folder lists (the local and the remote one):
// rows on one side only, files whose sizes differ and files newer on one side. The marks are
// made again whenever either list's rows change, on a thread of their own so that the window
// goes on answering with a million rows; until they arrive a list whose rows changed shows none.
// Window thread.
class ListComparison : public QObject
{
    Q_OBJECT
public:
    ListComparison(CSortListCtrl *left, CSortListCtrl *right, QObject *parent = nullptr);
    ~ListComparison() override;

    void setEnabled(bool on);
    [[nodiscard]] bool isEnabled() const { return enabled_; }
    // The lists have changed since the marks shown were made.
    [[nodiscard]] bool pending() const { return job_ != nullptr || restart_.isActive(); }
    // The mark of a shown row of one of the two lists.
    [[nodiscard]] RowMark markOf(const CSortListCtrl *list, int displayRow) const;

signals:
    // New marks are shown.
    void compared();

private:
    struct Side {
        QPointer<CSortListCtrl> list;
        // By stored row; empty when there are none to show.
        std::vector<RowMark> marks;
    };
    struct Job;

    void watch(Side &side);
    void rowsReplaced(Side &side);
    void start();
    void cancel();
    void finish(ComparedFolders marks);
    [[nodiscard]] const Side *sideOf(const CSortListCtrl *list) const;
    void repaint();

    Side left_;
    Side right_;
    bool enabled_ = false;
    // Coalesces the changes of one turn of the event loop into one comparison.
    QTimer restart_;
    std::shared_ptr<Job> job_;
    std::thread thread_;
};
