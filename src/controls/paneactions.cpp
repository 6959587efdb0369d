#include "controls/paneactions.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>

QAction *PaneActions::add(const QString &text, std::function<void()> run, std::function<bool()> ready)
{
    auto *action = new QAction(text, owner_);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(action, &QAction::triggered, owner_, [run = std::move(run)] { run(); });
    entries_.push_back({action, std::move(ready)});
    return action;
}

QList<QAction *> PaneActions::all() const
{
    QList<QAction *> actions;
    for (const Entry &entry : entries_)
        actions.append(entry.action);
    return actions;
}

void PaneActions::setActive(bool active)
{
    active_ = active;
    update();
}

void PaneActions::update()
{
    for (const Entry &entry : entries_)
        entry.action->setEnabled(active_ && (!entry.ready || entry.ready()));
}

void PaneActions::followSelection(QItemSelectionModel *selection)
{
    const auto refresh = [this] { update(); };
    QObject::connect(selection, &QItemSelectionModel::selectionChanged, owner_, refresh);
    QObject::connect(selection->model(), &QAbstractItemModel::modelReset, owner_, refresh);
    QObject::connect(selection->model(), &QAbstractItemModel::rowsRemoved, owner_, refresh);
}

bool PaneActions::yieldKeyToText(QEvent *event) const
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    // An editable combo box holds the focus for its line edit.
    const QWidget *focus = QApplication::focusWidget();
    const auto *box = qobject_cast<const QComboBox *>(focus);
    if (!qobject_cast<const QLineEdit *>(focus) && !(box && box->isEditable()))
        return false;
    // A function key edits no text: F5 and F2 stay the pane's in its path box too.
    const QKeyCombination combination = static_cast<QKeyEvent *>(event)->keyCombination();
    if (combination.key() >= Qt::Key_F1 && combination.key() <= Qt::Key_F35)
        return false;
    const QKeySequence pressed(combination);
    for (const Entry &entry : entries_) {
        if (entry.action->shortcuts().contains(pressed)) {
            event->accept();
            return true;
        }
    }
    return false;
}
