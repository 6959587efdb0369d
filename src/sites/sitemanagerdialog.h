#pragma once

#include "sites/sitefields.h"
#include "sites/sitelist.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class SiteFieldsPanel;
class SitePasswordMover;

// The Site Manager: folders on the left, the sites of the selected folder in the middle, the
// selected site's connection data on the right. Edits the site list in place, saves it when it
// closes after a change, and ends with Accepted when the user pressed Connect.
class SiteManagerDialog : public QDialog
{
    Q_OBJECT
public:
    enum ContextTarget { FolderTarget = 0, SiteTarget = 1 };

    // The site list of the program's data folder.
    explicit SiteManagerDialog(QWidget *parent = nullptr);
    // The site list of `folder` (a path ending in "/").
    explicit SiteManagerDialog(const QString &folder, QWidget *parent = nullptr);
    // Stores the selection in "SiteFolderIndex" and "SiteDataIndex".
    ~SiteManagerDialog() override;

    // The values shown on the right: after Connect, the site to connect to.
    SiteFields fields() const { return fields_; }
    const SiteList &siteList() const { return list_; }
    int currentFolder() const { return currentFolder_; }
    int currentSite() const { return currentSite_; }
    bool siteModified() const { return siteModified_; }

    // The three commands of both context menus, acting on folders or sites by `target`.
    void addItem(ContextTarget target);
    void deleteItem(ContextTarget target);
    void renameItem(ContextTarget target);

public slots:
    // Close and Escape: save when something changed, end with Rejected.
    void reject() override;
    // Connect, Enter and a double click on a site.
    void connectToSelected();

private:
    void buildLayout();
    void fillTree();
    void fillSites();
    void selectFolder(int position);
    void selectSite(int position);
    void showSite(int position);
    void clearFields();
    // Position in the site list of the `position`-th site of the current folder, or -1.
    int siteIndex(int position) const;

    void onFolderSelectionChanged();
    void onSiteSelectionChanged();
    void onFieldsEdited();
    void onFolderRenamed(QTreeWidgetItem *item);
    void onSiteRenamed(QListWidgetItem *item);
    void browseLocalPath();
    void showContextMenu(ContextTarget target);

    void addFolder();
    void addSite();
    void deleteFolder();
    void deleteSite();
    bool confirmDelete();
    // The site's cached listings, under the name the remote pane gives them.
    void dropCachedListings(const SiteRecord &site) const;
    // The keyring's entry of a site being deleted goes once the list without it is saved.
    void dropKeyringKey(size_t index);
    void save();

    QString folder_;
    SitePasswordMover *mover_;
    SiteList list_;
    int currentFolder_ = -1;
    int currentSite_ = -1;
    bool siteModified_ = false;
    ContextTarget contextTarget_ = FolderTarget;
    SiteFields fields_;
    QStringList droppedKeys_;
    bool synchronised_ = false;
    // Set while the program itself fills the tree and the list, whose signals then are no edits.
    bool filling_ = false;

    QTreeWidget *tree_;
    QListWidget *sites_;
    SiteFieldsPanel *panel_;
    QPushButton *addFolder_;
    QPushButton *deleteFolder_;
    QPushButton *addSite_;
    QPushButton *deleteSite_;
    QPushButton *connect_;
    QPushButton *close_;
};
