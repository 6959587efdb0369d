#include "sites/sitemanagerdialog.h"

#include "session/listingcachefiles.h"

#include "controls/focusframe.h"
#include "platform/appsettings.h"
#include "platform/log.h"
#include "platform/programpaths.h"
#include "platform/settingsstore.h"
#include "platform/strings.h"
#include "platform/textformat.h"
#include "platform/uitext.h"
#include "sites/siteconnect.h"
#include "sites/sitefield.h"
#include "sites/sitefieldspanel.h"
#include "sites/siteimages.h"
#include "sites/sitepasswordmover.h"
#include "sites/sitesettingsfile.h"

#include <QCursor>
#include <QFileDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QShortcut>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

const QString folderIndexKey = QStringLiteral("SiteFolderIndex");
const QString siteIndexKey = QStringLiteral("SiteDataIndex");

constexpr Qt::ItemFlags editableItem = Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable;

// A button with the access key `key`, or none when `key` is 0.
QPushButton *makeButton(const char *text, char key, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(key ? UiText::withAccessKey(text, key) : UiText::tr(text), parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

} // namespace

SiteManagerDialog::SiteManagerDialog(QWidget *parent)
    : SiteManagerDialog(programpaths::programFolder(), parent)
{
}

SiteManagerDialog::SiteManagerDialog(const QString &folder, QWidget *parent)
    : QDialog(parent), folder_(folder), mover_(&sitePasswords(folder)), tree_(new QTreeWidget(this)),
      sites_(new QListWidget(this)), panel_(new SiteFieldsPanel(this)),
      addFolder_(makeButton(QT_TRANSLATE_NOOP("UiText", "Add"), 0, "addFolder", this)),
      deleteFolder_(makeButton(QT_TRANSLATE_NOOP("UiText", "Delete"), 0, "deleteFolder", this)),
      addSite_(makeButton(QT_TRANSLATE_NOOP("UiText", "Add"), 'A', "addSite", this)),
      deleteSite_(makeButton(QT_TRANSLATE_NOOP("UiText", "Delete"), 'D', "deleteSite", this)),
      connect_(makeButton(QT_TRANSLATE_NOOP("UiText", "Connect"), 'C', "connect", this)),
      close_(makeButton(QT_TRANSLATE_NOOP("UiText", "Close"), 'O', "close", this))
{
    setWindowTitle(UiText::tr("Site Manager"));
    buildLayout();
    SitePasswordMover::siteListOpened();

    currentFolder_ = settingsstore::readInt(QLatin1String(settingsstore::applSet), folderIndexKey, 0);
    currentSite_ = settingsstore::readInt(QLatin1String(settingsstore::applSet), siteIndexKey, 0);

    const SiteFileStatus status = LoadSiteList(folder_, list_);
    if (status == SiteFileStatus::Truncated)
        AppendLog(
            UiText::tr("The site list file ends inside a record; the sites after it were not loaded.\n"),
            LogColor::Error);
    reportSiteFileStatus(status);
    if (const int skipped = loadSiteSettings(folder_, list_))
        AppendLog(formatText(TextId::SiteSettingsSkipped, skipped, siteSettingsFileName), LogColor::Error);

    fillTree();
    if (currentFolder_ < -1 || currentFolder_ >= int(list_.folders.size()))
        currentFolder_ = -1;
    if (currentFolder_ != -1) {
        filling_ = true;
        tree_->setCurrentItem(tree_->topLevelItem(currentFolder_));
        filling_ = false;
    }
    fillSites();
    clearFields();
    if (sites_->count() == 0 || currentSite_ < -1 || currentSite_ >= sites_->count())
        currentSite_ = -1;
    if (currentSite_ != -1)
        selectSite(currentSite_);
    sites_->setFocus();
}

SiteManagerDialog::~SiteManagerDialog()
{
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), folderIndexKey, currentFolder_);
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), siteIndexKey, currentSite_);
    // Unsaved, the files may still hold what an earlier pass could not move (no keyring then).
    if (!synchronised_)
        mover_->synchronise(appSettings().keepPasswordsInKeyring != 0);
    SitePasswordMover::siteListClosed();
}

void SiteManagerDialog::buildLayout()
{
    tree_->setObjectName(QStringLiteral("folderTree"));
    tree_->setHeaderHidden(true);
    tree_->setRootIsDecorated(true);
    tree_->setSelectionMode(QAbstractItemView::SingleSelection);
    tree_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    tree_->setContextMenuPolicy(Qt::CustomContextMenu);

    sites_->setObjectName(QStringLiteral("siteList"));
    sites_->setSelectionMode(QAbstractItemView::SingleSelection);
    sites_->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    sites_->setContextMenuPolicy(Qt::CustomContextMenu);
    sites_->setMinimumWidth(160);
    new FocusFrame(tree_);
    new FocusFrame(sites_);

    connect_->setDefault(true);

    auto *folderBox = new QGroupBox(UiText::withAccessKey("Folder", 'F'), this);
    auto *folderLayout = new QGridLayout(folderBox);
    folderLayout->addWidget(tree_, 0, 0, 1, 2);
    folderLayout->addWidget(addFolder_, 1, 0);
    folderLayout->addWidget(deleteFolder_, 1, 1);

    auto *siteBox = new QGroupBox(UiText::withAccessKey("Site", 'S'), this);
    auto *siteLayout = new QGridLayout(siteBox);
    siteLayout->addWidget(sites_, 0, 0, 1, 2);
    siteLayout->addWidget(addSite_, 1, 0);
    siteLayout->addWidget(deleteSite_, 1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(connect_);
    buttons->addWidget(close_);

    auto *right = new QVBoxLayout;
    right->addWidget(panel_);
    right->addStretch();
    right->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(folderBox);
    layout->addWidget(siteBox);
    layout->addLayout(right, 1);

    // Tab goes down each column from left to right: the folders, the sites, the site's fields.
    // The folder buttons have no access key: "Add" and "Delete" twice leave too few letters, and
    // the folder tree has its Delete key and context menu.
    const QList<QWidget *> order{tree_,    addFolder_,  deleteFolder_,       sites_,
                                 addSite_, deleteSite_, panel_->firstField()};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(panel_->lastField(), connect_);
    setTabOrder(connect_, close_);

    connect(tree_, &QTreeWidget::itemSelectionChanged, this, &SiteManagerDialog::onFolderSelectionChanged);
    connect(tree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item) { onFolderRenamed(item); });
    connect(tree_, &QWidget::customContextMenuRequested, this, [this] { showContextMenu(FolderTarget); });
    connect(sites_, &QListWidget::itemSelectionChanged, this, &SiteManagerDialog::onSiteSelectionChanged);
    connect(sites_, &QListWidget::itemChanged, this, &SiteManagerDialog::onSiteRenamed);
    connect(sites_, &QListWidget::itemDoubleClicked, this, &SiteManagerDialog::connectToSelected);
    connect(sites_, &QWidget::customContextMenuRequested, this, [this] { showContextMenu(SiteTarget); });
    connect(new QShortcut(QKeySequence::Delete, tree_, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &SiteManagerDialog::deleteFolder);
    connect(new QShortcut(QKeySequence::Delete, sites_, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &SiteManagerDialog::deleteSite);

    connect(addFolder_, &QPushButton::clicked, this, &SiteManagerDialog::addFolder);
    connect(deleteFolder_, &QPushButton::clicked, this, &SiteManagerDialog::deleteFolder);
    connect(addSite_, &QPushButton::clicked, this, &SiteManagerDialog::addSite);
    connect(deleteSite_, &QPushButton::clicked, this, &SiteManagerDialog::deleteSite);
    connect(connect_, &QPushButton::clicked, this, &SiteManagerDialog::connectToSelected);
    connect(close_, &QPushButton::clicked, this, &SiteManagerDialog::reject);
    connect(panel_, &SiteFieldsPanel::edited, this, &SiteManagerDialog::onFieldsEdited);
    connect(panel_, &SiteFieldsPanel::browseRequested, this, &SiteManagerDialog::browseLocalPath);
}

void SiteManagerDialog::fillTree()
{
    filling_ = true;
    tree_->clear();
    for (const SiteFolder &folder : list_.folders) {
        auto *item = new QTreeWidgetItem(tree_, QStringList(folder.name()));
        item->setIcon(0, siteimages::folder());
        item->setFlags(editableItem);
    }
    filling_ = false;
}

void SiteManagerDialog::fillSites()
{
    filling_ = true;
    sites_->clear();
    for (const SiteRecord &site : list_.sites) {
        if (currentFolder_ == -1 || site.folderIndex != currentFolder_)
            continue;
        auto *item = new QListWidgetItem(siteimages::site(), sitefield::text(site.siteName), sites_);
        item->setFlags(editableItem);
    }
    filling_ = false;
}

int SiteManagerDialog::siteIndex(int position) const
{
    if (currentFolder_ == -1 || position < 0)
        return -1;
    int seen = 0;
    for (size_t i = 0; i < list_.sites.size(); ++i) {
        if (list_.sites[i].folderIndex == currentFolder_ && seen++ == position)
            return int(i);
    }
    return -1;
}

void SiteManagerDialog::showSite(int position)
{
    const int index = siteIndex(position);
    if (index == -1) {
        clearFields();
        return;
    }
    panel_->setFieldsEnabled(true);
    fields_ = SiteFields::fromRecord(list_.sites[size_t(index)], list_.settings[size_t(index)]);
    panel_->showFields(fields_);
}

void SiteManagerDialog::clearFields()
{
    fields_ = SiteFields{};
    panel_->clearFields();
    panel_->setFieldsEnabled(false);
}

void SiteManagerDialog::selectSite(int position)
{
    QListWidgetItem *item = sites_->item(position);
    if (!item)
        return;
    filling_ = true;
    sites_->setCurrentItem(item);
    item->setSelected(true);
    filling_ = false;
    currentSite_ = position;
    showSite(position);
}

void SiteManagerDialog::selectFolder(int position)
{
    QTreeWidgetItem *item = tree_->topLevelItem(position);
    filling_ = true;
    tree_->setCurrentItem(item);
    filling_ = false;
    onFolderSelectionChanged();
}

void SiteManagerDialog::onFolderSelectionChanged()
{
    if (filling_)
        return;
    clearFields();
    const QList<QTreeWidgetItem *> selected = tree_->selectedItems();
    currentFolder_ = selected.isEmpty() ? -1 : tree_->indexOfTopLevelItem(selected.first());
    currentSite_ = -1;
    fillSites();
}

void SiteManagerDialog::onSiteSelectionChanged()
{
    if (filling_)
        return;
    const QList<QListWidgetItem *> selected = sites_->selectedItems();
    currentSite_ = selected.isEmpty() ? -1 : sites_->row(selected.first());
    if (currentSite_ == -1)
        clearFields();
    else
        showSite(currentSite_);
}

void SiteManagerDialog::onFieldsEdited()
{
    const int index = siteIndex(currentSite_);
    // A port that is not a number yet (the box being retyped) leaves the stored port alone; Connect
    // reports it.
    fields_ = panel_->values(index == -1 ? fields_.port : list_.sites[size_t(index)].port);
    if (index != -1 && fields_.storeInto(list_.sites[size_t(index)], list_.settings[size_t(index)]))
        siteModified_ = true;
}

void SiteManagerDialog::onFolderRenamed(QTreeWidgetItem *item)
{
    if (filling_)
        return;
    const int position = tree_->indexOfTopLevelItem(item);
    if (position < 0 || position >= int(list_.folders.size()))
        return;
    SiteFolder &folder = list_.folders[size_t(position)];
    folder.setName(item->text(0));
    siteModified_ = true;
    // The label shows what the 32-byte field could keep.
    filling_ = true;
    item->setText(0, folder.name());
    filling_ = false;
    if (tree_->currentItem() != item)
        tree_->setCurrentItem(item);
}

void SiteManagerDialog::onSiteRenamed(QListWidgetItem *item)
{
    if (filling_)
        return;
    const int position = sites_->row(item);
    const int index = siteIndex(position);
    if (index == -1)
        return;
    SiteRecord &site = list_.sites[size_t(index)];
    sitefield::setText(site.siteName, item->text());
    siteModified_ = true;
    filling_ = true;
    item->setText(sitefield::text(site.siteName));
    filling_ = false;
    selectSite(position);
}

void SiteManagerDialog::addItem(ContextTarget target)
{
    if (target == FolderTarget)
        addFolder();
    else
        addSite();
}

void SiteManagerDialog::deleteItem(ContextTarget target)
{
    if (target == FolderTarget)
        deleteFolder();
    else
        deleteSite();
}

void SiteManagerDialog::renameItem(ContextTarget target)
{
    if (target == FolderTarget) {
        const QList<QTreeWidgetItem *> selected = tree_->selectedItems();
        if (!selected.isEmpty())
            tree_->editItem(selected.first(), 0);
    } else {
        const QList<QListWidgetItem *> selected = sites_->selectedItems();
        if (!selected.isEmpty())
            sites_->editItem(selected.first());
    }
}

void SiteManagerDialog::showContextMenu(ContextTarget target)
{
    contextTarget_ = target;
    const bool folders = target == FolderTarget;
    QMenu menu(this);
    menu.setObjectName(folders ? QStringLiteral("Folder") : QStringLiteral("List"));
    menu.addAction(folders ? UiText::tr("Add Folder") : UiText::tr("Add Site"), this,
                   [this] { addItem(contextTarget_); });
    menu.addAction(folders ? UiText::tr("Delete Folder") : UiText::tr("Delete Site"), this,
                   [this] { deleteItem(contextTarget_); });
    menu.addAction(UiText::tr("Rename..."), this, [this] { renameItem(contextTarget_); });
    menu.exec(QCursor::pos());
}

void SiteManagerDialog::addFolder()
{
    siteModified_ = true;
    list_.folders.push_back(SiteFolder::make(int(list_.folders.size())));
    filling_ = true;
    auto *item = new QTreeWidgetItem(tree_, QStringList(list_.folders.back().name()));
    item->setIcon(0, siteimages::folder());
    item->setFlags(editableItem);
    filling_ = false;
    selectFolder(tree_->topLevelItemCount() - 1);
    tree_->setFocus();
    tree_->editItem(item, 0);
}

void SiteManagerDialog::addSite()
{
    if (list_.folders.empty() || currentFolder_ == -1)
        return;
    siteModified_ = true;
    appendSite(list_, SiteRecord::make(currentFolder_));
    filling_ = true;
    auto *item =
        new QListWidgetItem(siteimages::site(), sitefield::text(list_.sites.back().siteName), sites_);
    item->setFlags(editableItem);
    filling_ = false;
    selectSite(sites_->row(item));
    sites_->setFocus();
    sites_->editItem(item);
}

void SiteManagerDialog::dropCachedListings(const SiteRecord &site) const
{
    deleteServerCacheFiles(folder_ + QStringLiteral("Cache"), loginFromSite(SiteFields::fromRecord(site)));
}

void SiteManagerDialog::dropKeyringKey(size_t index)
{
    if (index < list_.settings.size() && !list_.settings[index].keyringKey.isEmpty())
        droppedKeys_.append(list_.settings[index].keyringKey);
}

bool SiteManagerDialog::confirmDelete()
{
    return QMessageBox::question(this, loadText(TextId::DeleteTitle),
                                 loadText(TextId::ConfirmDeleteSelection),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void SiteManagerDialog::deleteFolder()
{
    if (currentFolder_ == -1 || currentFolder_ >= int(list_.folders.size()) || !confirmDelete())
        return;
    const int removed = currentFolder_;

    for (size_t i = list_.sites.size(); i-- > 0;) {
        if (list_.sites[i].folderIndex != removed)
            continue;
        dropCachedListings(list_.sites[i]);
        dropKeyringKey(i);
        removeSite(list_, i);
    }
    // The folder shown at that position goes, whatever index a damaged file gave it, so that the
    // tree and the list never disagree.
    list_.folders.erase(list_.folders.begin() + removed);
    filling_ = true;
    delete tree_->takeTopLevelItem(removed);
    filling_ = false;

    for (size_t i = 0; i < list_.folders.size(); ++i) {
        SiteFolder &folder = list_.folders[i];
        if (folder.index == int(i))
            continue;
        for (SiteRecord &site : list_.sites) {
            if (site.folderIndex == folder.index)
                site.folderIndex = int(i);
        }
        folder.index = int(i);
    }

    // The folder that took the deleted one's place, or the one before when the last went.
    const int count = tree_->topLevelItemCount();
    selectFolder(count == 0 ? -1 : std::min(removed, count - 1));
    tree_->setFocus();
    siteModified_ = true;
}

void SiteManagerDialog::deleteSite()
{
    const QList<QListWidgetItem *> selected = sites_->selectedItems();
    if (selected.isEmpty() || !confirmDelete())
        return;
    const int position = sites_->row(selected.first());
    const int index = siteIndex(position);
    if (index == -1)
        return;
    dropCachedListings(list_.sites[size_t(index)]);
    dropKeyringKey(size_t(index));
    removeSite(list_, size_t(index));
    filling_ = true;
    delete sites_->takeItem(position);
    filling_ = false;
    siteModified_ = true;
    clearFields();
    currentSite_ = -1;
    if (sites_->count() > 0)
        selectSite(std::min(position, sites_->count() - 1));
    sites_->setFocus();
}

void SiteManagerDialog::browseLocalPath()
{
    const QString path = QFileDialog::getExistingDirectory(
        this, UiText::tr("Initial local path:"), appSettings().downloadFolder, QFileDialog::ShowDirsOnly);
    if (!path.isEmpty())
        panel_->setLocalPathByUser(path);
}

void SiteManagerDialog::save()
{
    SiteFileStatus status = SaveSiteList(folder_, list_);
    // The settings follow the sites' names as saved: a renamed site keeps its own.
    if (status == SiteFileStatus::Complete && !saveSiteSettings(folder_, list_))
        status = SiteFileStatus::CannotWrite;
    reportSiteFileStatus(status);
    if (status != SiteFileStatus::Complete)
        return;
    siteModified_ = false;
    synchronised_ = true;
    // The keyring follows the files as saved: new passwords move in, renamed sites take theirs
    // along, deleted sites' go. The mover waits for this dialog to close before it writes.
    mover_->synchronise(appSettings().keepPasswordsInKeyring != 0, std::exchange(droppedKeys_, {}));
}

void SiteManagerDialog::reject()
{
    if (siteModified_)
        save();
    QDialog::reject();
}

void SiteManagerDialog::connectToSelected()
{
    if (currentSite_ == -1)
        return;
    if (siteModified_)
        save();
    bool portValid = false;
    const SiteFields values = panel_->values(fields_.port, &portValid);
    if (!portValid) {
        QMessageBox::warning(this, windowTitle(),
                             UiText::tr("Please enter an integer between 0 and 999999."));
        return;
    }
    fields_ = values;
    if (const int index = siteIndex(currentSite_); index != -1)
        fields_.keyringKey = list_.settings[size_t(index)].keyringKey;
    accept();
}
