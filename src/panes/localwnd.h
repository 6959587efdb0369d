#pragma once

#include "controls/paneactions.h"
#include "session/sessionviews.h"

#include <QByteArray>
#include <QPointer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <vector>

class CSortListCtrl;
class ListFilterEdit;
class QAction;
class RowDragSource;
class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

// The local pane: one folder of the local file system, its files opened, renamed, deleted and
// handed to the transfer queue. Paths are bytes ("/" separated), so that a name that is not valid
// UTF-8 is still shown, deleted and uploaded as the file it is.
//
// Built by the frame with a parent and then given, through setters, the queue (Upload Later), the
// remote pane's current folder (the uploads' destination), the start of the queue transfer
// (Upload) and the two panes a drag may end on.
class CLocalWnd : public QWidget, public LocalPaneView
{
    Q_OBJECT
public:
    explicit CLocalWnd(QWidget *parent = nullptr);
    ~CLocalWnd() override;

    // The one-time set-up: the controls, the columns, the download folder shown.
    void initialUpdate();

    void setQueue(QueueView *queue) { queue_ = queue; }
    void setRemoteFolder(std::function<QByteArray()> folder) { remoteFolder_ = std::move(folder); }
    void setTransferStarter(std::function<void()> start) { transferStarter_ = std::move(start); }
    // Whether a transfer can start now (Upload is offered only then); unset: always.
    void setTransferPossible(std::function<bool()> possible)
    {
        transferPossible_ = std::move(possible);
        paneActions_.update();
    }
    void setDropTargets(QWidget *queuePane, QWidget *remotePane);
    // Opens a file in the program for its type, or (asText) in the text editor; true on success.
    // Replaced by tests; the default asks the desktop.
    void setDocumentOpener(std::function<bool(const QString &path, bool asText)> open)
    {
        openDocument_ = std::move(open);
    }

    CSortListCtrl *list() const { return list_; }
    QComboBox *pathCombo() const { return pathCombo_; }
    ListFilterEdit *filterEdit() const { return filterEdit_; }
    QToolButton *upButton() const { return upButton_; }
    QPushButton *browseButton() const { return browseButton_; }

    // Any thread (the queue job and the folder expansion call these from the worker).
    [[nodiscard]] QByteArray currentFolder() const override;
    [[nodiscard]] std::optional<RowOrder> rowOrder() const override;
    // LocalPaneView
    void refreshLocal() override { Refresh(); }
    bool showLocalFolder(const QByteArray &path) override { return ShowFolder(path); }
    // Lists the folder (an empty path: the current one again). False when it does not exist.
    bool ShowFolder(const QByteArray &path);
    [[nodiscard]] QByteArray PathJoin(const QByteArray &name) const;
    [[nodiscard]] std::vector<FileRow> rows() const;
    // While set (the upload folder expansion), ShowFolder does nothing.
    void setNoChange(bool on) { noChange_ = on; }

    void GoUp();
    void Refresh();
    void Browse();
    void OpenSelection();
    void OpenWithNotepad();
    void OpenWithExplorer();
    void StartRename();
    void DeleteSelection();
    void DeleteSubfolder();
    void NewFolder();
    void SelectAll();
    void UploadLater();
    void Upload();

    // The pane's commands (localcommands.cpp), placed alike in its context menu and in the main
    // window's menus and toolbar.
    struct Actions {
        QAction *upload = nullptr;
        QAction *uploadLater = nullptr;
        QAction *open = nullptr;
        QAction *openWithNotepad = nullptr;
        QAction *rename = nullptr;
        QAction *deleteItems = nullptr;
        QAction *deleteSubfolder = nullptr;
        QAction *newFolder = nullptr;
        QAction *selectAll = nullptr;
        QAction *openWithExplorer = nullptr;
        QAction *refresh = nullptr;
    };
    [[nodiscard]] const Actions &commands() const { return actions_; }
    // Their enabled states: the frame says whether this is the pane being worked in, and update()
    // reads the commands' conditions again (selection, whether a transfer can start).
    [[nodiscard]] PaneActions &commandStates() { return paneActions_; }

signals:
    // A folder is listed: another one, or the same again.
    void folderShown(const QByteArray &path);

protected:
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createActions();
    [[nodiscard]] bool hasSelection() const;
    bool showFolderHere(const QByteArray &path);
    void showPathInCombo(const QByteArray &path);
    void pathTyped(const QString &text);
    void finishRename(bool accept);
    void showContextMenu(const QPoint &globalPos);
    [[nodiscard]] QByteArray rowPath(int row) const;
    [[nodiscard]] bool isFolderRow(int row) const;
    [[nodiscard]] bool openFile(const QByteArray &path, bool asText);

    CSortListCtrl *list_ = nullptr;
    QComboBox *pathCombo_ = nullptr;
    ListFilterEdit *filterEdit_ = nullptr;
    QToolButton *upButton_ = nullptr;
    QPushButton *browseButton_ = nullptr;
    QLineEdit *renameEditor_ = nullptr;
    QByteArray renameFrom_; // the path of the entry being renamed
    QByteArray current_;    // window thread
    bool initialised_ = false;
    bool updatingCombo_ = false;
    std::atomic<bool> noChange_{false};

    QueueView *queue_ = nullptr;
    std::function<QByteArray()> remoteFolder_;
    std::function<void()> transferStarter_;
    std::function<bool()> transferPossible_;
    std::function<bool(const QString &, bool)> openDocument_;

    // A drag of selected rows towards the queue or the remote pane.
    RowDragSource *dragSource_ = nullptr;

    PaneActions paneActions_{this};
    Actions actions_;
};
