#include "queue/queuewnd.h"

#include "controls/columnwidth.h"
#include "controls/panekeys.h"
#include "controls/reorderlistctrl.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "queue/queuemodel.h"
#include "queue/queueprogressdelegate.h"
#include "session/queuefile.h"
#include "session/transferqueue.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyleOptionViewItem>
#include <QMessageBox>

#include <algorithm>
#include <cstdlib>

namespace
{

constexpr int initialWidths[QueueModel::ColumnCount] = {200, 80, 50, 200};
const QString columnSetting = QStringLiteral("QueueColumn");

} // namespace

CQueueWnd::CQueueWnd(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("queuePane"));
    queue_ = new TransferQueue(programpaths::programFolder(), this);
    model_ = new QueueModel(queue_, this);
    connect(queue_, &TransferQueue::queueChanged, this, &CQueueWnd::queueChanged);
    createActions();
}

CQueueWnd::~CQueueWnd()
{
    if (initialised_)
        writeColumnWidths();
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
    // Names and destinations are paths: their ends tell one item from another.
    list_->setTextElideMode(Qt::ElideMiddle);
    list_->setItemDelegateForColumn(QueueModel::StatusColumn, new QueueProgressDelegate(list_));
    paneActions_.followSelection(list_->selectionModel());
    paneActions_.update();
    connect(list_, &ReorderListCtrl::moveRequested, this,
            [this](const std::vector<int> &rows, int target) { model_->moveBlock(rows, target); });
    addContextMenuKeys(list_);
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { showContextMenu(list_->viewport()->mapToGlobal(pos)); });
    readColumnWidths();
    initialised_ = true;
    queue_->startAutosave();
    resizeEvent(nullptr);
}

void CQueueWnd::readColumnWidths()
{
    list_->header()->setMinimumSectionSize(10);
    for (int column = 0; column < QueueModel::ColumnCount; ++column)
        list_->header()->resizeSection(column, initialWidths[column]);
    list_->header()->resizeSection(QueueModel::SizeColumn,
                                   std::max(initialWidths[QueueModel::SizeColumn],
                                            columnWidthFor(list_, widestShownSize())));
    // Wide enough for the progress of a large file: its bytes, rate and time left.
    list_->header()->resizeSection(
        QueueModel::StatusColumn,
        std::max(initialWidths[QueueModel::StatusColumn],
                 columnWidthFor(list_, QStringLiteral("100,000,000 bytes  99999.99KB/sec  0:0:59 left"))));
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

int CQueueWnd::heightForRows(int rows) const
{
    // A row as the delegate sizes it: an icon beside a line of text.
    QStyleOptionViewItem item;
    item.initFrom(list_);
    item.features = QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
    item.text = QStringLiteral("Xg");
    item.decorationSize = list_->iconSize();
    const int row = std::max(
        list_->style()->sizeFromContents(QStyle::CT_ItemViewItem, &item, QSize(), list_).height(),
        list_->fontMetrics().height());
    // The horizontal scroll bar shows up as soon as the columns are wider than the pane.
    return list_->header()->sizeHint().height() + rows * row + 2 * list_->frameWidth() +
           list_->horizontalScrollBar()->sizeHint().height();
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

void CQueueWnd::changed()
{
    queue_->deliverChanges();
}

int CQueueWnd::LoadQueueFile(const QString &fileName)
{
    return queue_->LoadQueueFile(fileName) ? 1 : 0;
}

int CQueueWnd::SaveQueueFile(const QString &fileName, bool interactive)
{
    const queuefile::SaveResult result = queue_->SaveQueueFile(fileName);
    switch (result.status) {
    case queuefile::SaveStatus::Saved:
        return 1;
    case queuefile::SaveStatus::CannotCreate:
        if (interactive)
            QMessageBox::warning(this, QString(), loadText(TextId::CannotSaveToFile));
        else
            AppendLog(loadText(TextId::CannotSaveToFile) + QStringLiteral(": %1\n").arg(result.error),
                      LogColor::Error);
        return 0;
    case queuefile::SaveStatus::NothingToSave:
    case queuefile::SaveStatus::CannotWrite:
    case queuefile::SaveStatus::CannotReplace:
        return 0;
    }
    return 0;
}
