#include "queue/queuewnd.h"

#include "controls/reorderlistctrl.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/uitext.h"
#include "platform/uithread.h"
#include "queue/queuefile.h"
#include "queue/queuemodel.h"

#include <QFile>
#include <QHeaderView>
#include <QMessageBox>
#include <QPointer>
#include <QSet>

#include <cstdlib>

namespace
{

constexpr int initialWidths[QueueModel::ColumnCount] = {200, 80, 50, 200};
const QString columnSetting = QStringLiteral("QueueColumn");

} // namespace

CQueueWnd::CQueueWnd(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("queuePane"));
    model_ = new QueueModel(this);
    autosaveTimer_.setSingleShot(true);
    autosaveTimer_.setInterval(autosaveDelayMs);
    connect(&autosaveTimer_, &QTimer::timeout, this, &CQueueWnd::autosave);
    createActions();
}

CQueueWnd::~CQueueWnd()
{
    autosaveTimer_.stop();
    if (!initialised_)
        return;
    // The one rotation of the run: the queue file the run began with becomes QUEUE.BAK. An empty
    // queue removes QUEUE.Q and leaves the backup alone.
    const std::vector<QueueItem> items = model_->items();
    if (!items.empty() && startFileKept_)
        (void)queuefile::saveBackup(startFile_, programFolder());
    const queuefile::SaveResult result = queuefile::save(
        QString::fromLatin1(queuefile::autosaveName), items,
        startFileKept_ ? queuefile::Backup::Keep : queuefile::Backup::Rotate, programFolder());
    if (result.status != queuefile::SaveStatus::Saved &&
        result.status != queuefile::SaveStatus::NothingToSave)
        AppendLog(uiText("Cannot save the queue to %1: %2\n")
                      .arg(programFolder() + QLatin1String(queuefile::autosaveName), result.error),
                  LogColor::Error);
    writeColumnWidths();
}

QString CQueueWnd::programFolder() const
{
    return programpaths::programFolder();
}

void CQueueWnd::initialUpdate()
{
    if (initialised_)
        return;
    list_ = new ReorderListCtrl(this);
    list_->setObjectName(QStringLiteral("queueList"));
    list_->setModel(model_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->setIconSize(QSize(27, 16));
    paneActions_.followSelection(list_->selectionModel());
    paneActions_.update();
    connect(list_, &ReorderListCtrl::moveRequested, this, [this](const std::vector<int> &rows, int target) {
        model_->moveBlock(rows, target);
        changed();
    });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showContextMenu(list_->viewport()->mapToGlobal(pos)); });
    readColumnWidths();
    initialised_ = true;
    QFile start(programFolder() + QLatin1String(queuefile::autosaveName));
    if (!start.exists()) {
        startFileKept_ = true;
    } else if (start.size() <= keptStartFileLimit && start.open(QIODevice::ReadOnly)) {
        startFile_ = start.readAll();
        startFileKept_ = startFile_.size() == start.size();
    }
    LoadQueueFile(QString::fromLatin1(queuefile::autosaveName));
    // Loading the file that is already there needs no save.
    autosaveTimer_.stop();
    resizeEvent(nullptr);
}

void CQueueWnd::readColumnWidths()
{
    list_->header()->setMinimumSectionSize(10);
    for (int column = 0; column < QueueModel::ColumnCount; ++column)
        list_->header()->resizeSection(column, initialWidths[column]);
    const QString stored =
        settingsstore::readString(QString::fromLatin1(settingsstore::applSet), columnSetting, QString());
    if (stored.isEmpty())
        return;
    const QStringList fields = stored.split(QLatin1Char(','));
    for (int column = 0; column < QueueModel::ColumnCount; ++column) {
        const int width = column < fields.size() ? std::atoi(fields[column].toLatin1().constData()) : 0;
        list_->header()->resizeSection(column, width <= 10 ? 10 : width);
    }
}

void CQueueWnd::writeColumnWidths()
{
    QString widths;
    for (int column = 0; column < QueueModel::ColumnCount; ++column)
        widths += QString::number(list_->header()->sectionSize(column)) + QLatin1Char(',');
    settingsstore::writeString(QString::fromLatin1(settingsstore::applSet), columnSetting, widths);
}

void CQueueWnd::resizeEvent(QResizeEvent *)
{
    if (list_)
        list_->setGeometry(rect());
}

template <typename T> T CQueueWnd::onWindowThread(std::function<T()> work, T fallback)
{
    if (uithread::isUiThread())
        return work();
    // The pane may be gone by the time the call runs.
    QPointer<CQueueWnd> self(this);
    return uithread::call<T>(
        [self, work = std::move(work), fallback]() -> T { return self ? work() : fallback; });
}

void CQueueWnd::changed()
{
    count_ = model_->size();
    if (initialised_)
        autosaveTimer_.start();
    emit queueChanged();
}

void CQueueWnd::flushAutosave()
{
    if (autosaveTimer_.isActive()) {
        autosaveTimer_.stop();
        autosave();
    }
}

void CQueueWnd::autosave()
{
    const queuefile::SaveResult result =
        queuefile::save(QString::fromLatin1(queuefile::autosaveName), model_->items(),
                        queuefile::Backup::Keep, programFolder());
    const bool failed = result.status != queuefile::SaveStatus::Saved &&
                        result.status != queuefile::SaveStatus::NothingToSave;
    // Said once per kind of failure, not after every change.
    if (failed && result.error != lastAutosaveError_)
        AppendLog(uiText("Cannot save the queue to %1: %2\n")
                      .arg(programFolder() + QLatin1String(queuefile::autosaveName), result.error),
                  LogColor::Error);
    lastAutosaveError_ = failed ? result.error : QString();
}

QueueView::AddResult CQueueWnd::AddQueueItem(const QueueItem &item, bool atHead)
{
    return onWindowThread<AddResult>(
        [this, item, atHead] {
            if (!item.fitsQueueFile()) {
                addOnWindowThread({item}, atHead);
                return AddResult::TooLong;
            }
            return addOnWindowThread({item}, atHead) == 1 ? AddResult::Added : AddResult::Duplicate;
        },
        AddResult::Duplicate);
}

int CQueueWnd::AddQueueItems(const std::vector<QueueItem> &items, bool atHead)
{
    return onWindowThread<int>([this, items, atHead] { return addOnWindowThread(items, atHead); }, 0);
}

int CQueueWnd::addOnWindowThread(const std::vector<QueueItem> &items, bool atHead)
{
    std::vector<QueueItem> accepted;
    accepted.reserve(items.size());
    QSet<QByteArray> names;
    for (const QueueItem &item : items) {
        if (!item.fitsQueueFile()) {
            // The file's field holds 259 bytes; a cut path would transfer the wrong file.
            const QByteArray &tooLong =
                item.name.size() > QueueItem::maxPathBytes ? item.name : item.destination;
            AppendLog(uiText("Not queued: the path is longer than %1 bytes: %2\n")
                          .arg(QueueItem::maxPathBytes)
                          .arg(QueueModel::shownText(tooLong)),
                      LogColor::Error);
            continue;
        }
        if (model_->containsName(item.name) || names.contains(item.name))
            continue;
        names.insert(item.name);
        QueueItem added = item;
        if (added.isFolder)
            added.sizeText.clear();
        accepted.push_back(std::move(added));
    }
    if (accepted.empty())
        return 0;
    model_->insertItems(atHead ? 0 : model_->size(), accepted);
    changed();
    return int(accepted.size());
}

std::optional<QueueItem> CQueueWnd::PeekQueueHead()
{
    return onWindowThread<std::optional<QueueItem>>(
        [this]() -> std::optional<QueueItem> {
            if (model_->size() == 0)
                return std::nullopt;
            return model_->item(0);
        },
        std::nullopt);
}

std::optional<QueueItem> CQueueWnd::PopQueueHead()
{
    return onWindowThread<std::optional<QueueItem>>(
        [this]() -> std::optional<QueueItem> {
            if (model_->size() == 0)
                return std::nullopt;
            model_->removeRowsAt({0});
            changed();
            if (model_->size() == 0)
                return std::nullopt;
            return model_->item(0);
        },
        std::nullopt);
}

bool CQueueWnd::RemoveQueueItem(const QueueItem &done)
{
    return onWindowThread<bool>(
        [this, done] {
            for (int row = 0; row < model_->size(); ++row) {
                if (model_->item(row) == done) {
                    model_->removeRowsAt({row});
                    changed();
                    return true;
                }
            }
            return false;
        },
        false);
}

std::vector<QueueItem> CQueueWnd::queueItems()
{
    return onWindowThread<std::vector<QueueItem>>([this] { return model_->items(); }, {});
}

int CQueueWnd::LoadQueueFile(const QString &fileName)
{
    queuefile::LoadResult result = queuefile::load(fileName, programFolder());
    if (!result.opened)
        return 0;
    const queuefile::Decoded &decoded = result.decoded;
    if (!decoded.headerComplete) {
        // Not even a count: whatever this is, it holds no queue, and the queue shown stays.
        AppendLog(uiText("%1 is not a queue file.\n").arg(fileName), LogColor::Error);
        return 0;
    }
    const bool complete = decoded.complete();
    model_->setItems(std::move(result.decoded.items));
    changed();
    if (!complete) {
        AppendLog(uiText("The queue file %1 ends inside a record; %2 of %3 items were read.\n")
                      .arg(fileName)
                      .arg(model_->size())
                      .arg(result.decoded.count),
                  LogColor::Error);
        return 0;
    }
    return 1;
}

int CQueueWnd::SaveQueueFile(const QString &fileName, bool interactive)
{
    const queuefile::SaveResult result =
        queuefile::save(fileName, model_->items(), queuefile::Backup::Rotate, programFolder());
    for (const QByteArray &name : result.sizesDropped)
        AppendLog(uiText("The size of %1 does not fit the queue file and was left out.\n")
                      .arg(QueueModel::shownText(name)),
                  LogColor::Error);
    switch (result.status) {
    case queuefile::SaveStatus::Saved:
        return 1;
    case queuefile::SaveStatus::NothingToSave:
        return 0;
    case queuefile::SaveStatus::CannotCreate:
        if (interactive)
            QMessageBox::warning(this, QString(), loadString(183));
        else
            AppendLog(loadString(183) + QStringLiteral(": %1\n").arg(result.error), LogColor::Error);
        return 0;
    case queuefile::SaveStatus::CannotWrite:
    case queuefile::SaveStatus::CannotReplace:
        AppendLog(uiText("Cannot save the queue to %1: %2\n")
                      .arg(queuefile::resolve(fileName, programFolder()).path, result.error),
                  LogColor::Error);
        return 0;
    }
    return 0;
}
