#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <vector>

class QAction;
class QEvent;
class QItemSelectionModel;
class QObject;

// The commands of one pane as actions, placed alike in its context menu, the main menu and the
// toolbar. An action is enabled while its pane is the one being worked in and its own condition
// holds; the pane calls update() whenever something a condition reads has changed (selection,
// session, queue). Shortcuts act only while the focus is inside the pane.
class PaneActions
{
public:
    // The actions are children of `owner`.
    explicit PaneActions(QObject *owner) : owner_(owner) {}

    // `run` when triggered; `ready` (unset: always) is the command's own condition, first read by
    // the next update().
    QAction *add(const QString &text, std::function<void()> run, std::function<bool()> ready = {});
    [[nodiscard]] QList<QAction *> all() const;

    // A pane used on its own is active; in the main window only the pane last worked in is.
    void setActive(bool active);
    [[nodiscard]] bool isActive() const { return active_; }
    void update();
    // Updates whenever the selection changes, also when a new listing drops it without telling
    // the selection's watchers.
    void followSelection(QItemSelectionModel *selection);
    // While text is typed into a field of the pane, the keys of its commands are the text's, all
    // but the function keys: true for such a key's shortcut override, which it accepts. The
    // pane's event() asks first.
    bool yieldKeyToText(QEvent *event) const;

private:
    struct Entry {
        QAction *action;
        std::function<bool()> ready;
    };
    QObject *owner_;
    std::vector<Entry> entries_;
    bool active_ = true;
};
