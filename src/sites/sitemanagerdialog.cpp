#include "sites/sitemanagerdialog.h"

#include "session/listingcachefiles.h"

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

QPushButton *makeButton(const char *text, const char *name, QWidget *parent)
{
    auto *button = new QPushButton(uiText(text), parent);
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
    : QDialog(parent), m_folder(folder), m_tree(new QTreeWidget(this)), m_sites(new QListWidget(this)),
      m_panel(new SiteFieldsPanel(this)), m_addFolder(makeButton("Add", "addFolder", this)),
      m_deleteFolder(makeButton("Delete", "deleteFolder", this)),
      m_addSite(makeButton("Add", "addSite", this)), m_deleteSite(makeButton("Delete", "deleteSite", this)),
      m_connect(makeButton("Connect", "connect", this)), m_close(makeButton("Close", "close", this))
{
    setWindowTitle(uiText("Site Manager"));
    buildLayout();

    m_currentFolder = settingsstore::readInt(QLatin1String(settingsstore::applSet), folderIndexKey, 0);
    m_currentSite = settingsstore::readInt(QLatin1String(settingsstore::applSet), siteIndexKey, 0);

    const SiteFileStatus status = LoadSiteList(m_folder, m_list);
    if (status == SiteFileStatus::Truncated)
        AppendLog(uiText("The site list file ends inside a record; the sites after it were not loaded.\n"),
                  LogColor::Error);
    reportSiteFileStatus(status);

    fillTree();
    if (m_currentFolder < -1 || m_currentFolder >= int(m_list.folders.size()))
        m_currentFolder = -1;
    if (m_currentFolder != -1) {
        m_filling = true;
        m_tree->setCurrentItem(m_tree->topLevelItem(m_currentFolder));
        m_filling = false;
    }
    fillSites();
    clearFields();
    if (m_sites->count() == 0 || m_currentSite < -1 || m_currentSite >= m_sites->count())
        m_currentSite = -1;
    if (m_currentSite != -1)
        selectSite(m_currentSite);
    m_sites->setFocus();
}

SiteManagerDialog::~SiteManagerDialog()
{
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), folderIndexKey, m_currentFolder);
    settingsstore::writeInt(QLatin1String(settingsstore::applSet), siteIndexKey, m_currentSite);
}

void SiteManagerDialog::buildLayout()
{
    m_tree->setObjectName(QStringLiteral("folderTree"));
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_tree->setContextMenuPolicy(Qt::CustomContextMenu);

    m_sites->setObjectName(QStringLiteral("siteList"));
    m_sites->setSelectionMode(QAbstractItemView::SingleSelection);
    m_sites->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    m_sites->setContextMenuPolicy(Qt::CustomContextMenu);
    m_sites->setMinimumWidth(160);

    m_connect->setDefault(true);

    auto *folderBox = new QGroupBox(uiText("Folder"), this);
    auto *folderLayout = new QGridLayout(folderBox);
    folderLayout->addWidget(m_tree, 0, 0, 1, 2);
    folderLayout->addWidget(m_addFolder, 1, 0);
    folderLayout->addWidget(m_deleteFolder, 1, 1);

    auto *siteBox = new QGroupBox(uiText("Site"), this);
    auto *siteLayout = new QGridLayout(siteBox);
    siteLayout->addWidget(m_sites, 0, 0, 1, 2);
    siteLayout->addWidget(m_addSite, 1, 0);
    siteLayout->addWidget(m_deleteSite, 1, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_connect);
    buttons->addWidget(m_close);

    auto *right = new QVBoxLayout;
    right->addWidget(m_panel);
    right->addStretch();
    right->addLayout(buttons);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(folderBox);
    layout->addWidget(siteBox);
    layout->addLayout(right, 1);

    connect(m_tree, &QTreeWidget::itemSelectionChanged, this, &SiteManagerDialog::onFolderSelectionChanged);
    connect(m_tree, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *item) { onFolderRenamed(item); });
    connect(m_tree, &QWidget::customContextMenuRequested, this, [this] { showContextMenu(FolderTarget); });
    connect(m_sites, &QListWidget::itemSelectionChanged, this, &SiteManagerDialog::onSiteSelectionChanged);
    connect(m_sites, &QListWidget::itemChanged, this, &SiteManagerDialog::onSiteRenamed);
    connect(m_sites, &QListWidget::itemDoubleClicked, this, &SiteManagerDialog::connectToSelected);
    connect(m_sites, &QWidget::customContextMenuRequested, this, [this] { showContextMenu(SiteTarget); });
    connect(new QShortcut(QKeySequence::Delete, m_tree, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &SiteManagerDialog::deleteFolder);
    connect(new QShortcut(QKeySequence::Delete, m_sites, nullptr, nullptr, Qt::WidgetShortcut),
            &QShortcut::activated, this, &SiteManagerDialog::deleteSite);

    connect(m_addFolder, &QPushButton::clicked, this, &SiteManagerDialog::addFolder);
    connect(m_deleteFolder, &QPushButton::clicked, this, &SiteManagerDialog::deleteFolder);
    connect(m_addSite, &QPushButton::clicked, this, &SiteManagerDialog::addSite);
    connect(m_deleteSite, &QPushButton::clicked, this, &SiteManagerDialog::deleteSite);
    connect(m_connect, &QPushButton::clicked, this, &SiteManagerDialog::connectToSelected);
    connect(m_close, &QPushButton::clicked, this, &SiteManagerDialog::reject);
    connect(m_panel, &SiteFieldsPanel::edited, this, &SiteManagerDialog::onFieldsEdited);
    connect(m_panel, &SiteFieldsPanel::browseRequested, this, &SiteManagerDialog::browseLocalPath);
}

void SiteManagerDialog::fillTree()
{
    m_filling = true;
    m_tree->clear();
    for (const SiteFolder &folder : m_list.folders) {
        auto *item = new QTreeWidgetItem(m_tree, QStringList(folder.name()));
        item->setIcon(0, siteimages::folder());
        item->setFlags(editableItem);
    }
    m_filling = false;
}

void SiteManagerDialog::fillSites()
{
    m_filling = true;
    m_sites->clear();
    for (const SiteRecord &site : m_list.sites) {
        if (m_currentFolder == -1 || site.folderIndex != m_currentFolder)
            continue;
        auto *item = new QListWidgetItem(siteimages::site(), sitefield::text(site.siteName), m_sites);
        item->setFlags(editableItem);
    }
    m_filling = false;
}

int SiteManagerDialog::siteIndex(int position) const
{
    if (m_currentFolder == -1 || position < 0)
        return -1;
    int seen = 0;
    for (size_t i = 0; i < m_list.sites.size(); ++i) {
        if (m_list.sites[i].folderIndex == m_currentFolder && seen++ == position)
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
    m_panel->setFieldsEnabled(true);
    m_fields = SiteFields::fromRecord(m_list.sites[size_t(index)]);
    m_panel->showFields(m_fields);
}

void SiteManagerDialog::clearFields()
{
    m_fields = SiteFields{};
    m_panel->clearFields();
    m_panel->setFieldsEnabled(false);
}

void SiteManagerDialog::selectSite(int position)
{
    QListWidgetItem *item = m_sites->item(position);
    if (!item)
        return;
    m_filling = true;
    m_sites->setCurrentItem(item);
    item->setSelected(true);
    m_filling = false;
    m_currentSite = position;
    showSite(position);
}

void SiteManagerDialog::selectFolder(int position)
{
    QTreeWidgetItem *item = m_tree->topLevelItem(position);
    m_filling = true;
    m_tree->setCurrentItem(item);
    m_filling = false;
    onFolderSelectionChanged();
}

void SiteManagerDialog::onFolderSelectionChanged()
{
    if (m_filling)
        return;
    clearFields();
    const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
    m_currentFolder = selected.isEmpty() ? -1 : m_tree->indexOfTopLevelItem(selected.first());
    m_currentSite = -1;
    fillSites();
}

void SiteManagerDialog::onSiteSelectionChanged()
{
    if (m_filling)
        return;
    const QList<QListWidgetItem *> selected = m_sites->selectedItems();
    m_currentSite = selected.isEmpty() ? -1 : m_sites->row(selected.first());
    if (m_currentSite == -1)
        clearFields();
    else
        showSite(m_currentSite);
}

void SiteManagerDialog::onFieldsEdited()
{
    const int index = siteIndex(m_currentSite);
    // A port that is not a number yet (the box being retyped) leaves the stored port alone; Connect
    // reports it.
    m_fields = m_panel->values(index == -1 ? m_fields.port : m_list.sites[size_t(index)].port);
    if (index != -1 && m_fields.storeInto(m_list.sites[size_t(index)]))
        m_siteModified = true;
}

void SiteManagerDialog::onFolderRenamed(QTreeWidgetItem *item)
{
    if (m_filling)
        return;
    const int position = m_tree->indexOfTopLevelItem(item);
    if (position < 0 || position >= int(m_list.folders.size()))
        return;
    SiteFolder &folder = m_list.folders[size_t(position)];
    folder.setName(item->text(0));
    m_siteModified = true;
    // The label shows what the 32-byte field could keep.
    m_filling = true;
    item->setText(0, folder.name());
    m_filling = false;
    if (m_tree->currentItem() != item)
        m_tree->setCurrentItem(item);
}

void SiteManagerDialog::onSiteRenamed(QListWidgetItem *item)
{
    if (m_filling)
        return;
    const int position = m_sites->row(item);
    const int index = siteIndex(position);
    if (index == -1)
        return;
    SiteRecord &site = m_list.sites[size_t(index)];
    sitefield::setText(site.siteName, item->text());
    m_siteModified = true;
    m_filling = true;
    item->setText(sitefield::text(site.siteName));
    m_filling = false;
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
        const QList<QTreeWidgetItem *> selected = m_tree->selectedItems();
        if (!selected.isEmpty())
            m_tree->editItem(selected.first(), 0);
    } else {
        const QList<QListWidgetItem *> selected = m_sites->selectedItems();
        if (!selected.isEmpty())
            m_sites->editItem(selected.first());
    }
}

void SiteManagerDialog::showContextMenu(ContextTarget target)
{
    m_contextTarget = target;
    const bool folders = target == FolderTarget;
    QMenu menu(this);
    menu.setObjectName(folders ? QStringLiteral("Folder") : QStringLiteral("List"));
    menu.addAction(uiText(folders ? "Add Folder" : "Add Site"), this, [this] { addItem(m_contextTarget); });
    menu.addAction(uiText(folders ? "Delete Folder" : "Delete Site"), this,
                   [this] { deleteItem(m_contextTarget); });
    menu.addAction(uiText("Rename..."), this, [this] { renameItem(m_contextTarget); });
    menu.exec(QCursor::pos());
}

void SiteManagerDialog::addFolder()
{
    m_siteModified = true;
    m_list.folders.push_back(SiteFolder::make(int(m_list.folders.size())));
    m_filling = true;
    auto *item = new QTreeWidgetItem(m_tree, QStringList(m_list.folders.back().name()));
    item->setIcon(0, siteimages::folder());
    item->setFlags(editableItem);
    m_filling = false;
    selectFolder(m_tree->topLevelItemCount() - 1);
    m_tree->setFocus();
    m_tree->editItem(item, 0);
}

void SiteManagerDialog::addSite()
{
    if (m_list.folders.empty() || m_currentFolder == -1)
        return;
    m_siteModified = true;
    m_list.sites.push_back(SiteRecord::make(m_currentFolder));
    m_filling = true;
    auto *item =
        new QListWidgetItem(siteimages::site(), sitefield::text(m_list.sites.back().siteName), m_sites);
    item->setFlags(editableItem);
    m_filling = false;
    selectSite(m_sites->row(item));
    m_sites->setFocus();
    m_sites->editItem(item);
}

void SiteManagerDialog::dropCachedListings(const SiteRecord &site) const
{
    deleteServerCacheFiles(m_folder + QStringLiteral("Cache"), loginFromSite(SiteFields::fromRecord(site)));
}

bool SiteManagerDialog::confirmDelete()
{
    return QMessageBox::question(this, loadText(TextId::DeleteTitle),
                                 loadText(TextId::ConfirmDeleteSelection),
                                 QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

void SiteManagerDialog::deleteFolder()
{
    if (m_currentFolder == -1 || m_currentFolder >= int(m_list.folders.size()) || !confirmDelete())
        return;
    const int removed = m_currentFolder;

    std::erase_if(m_list.sites, [&](const SiteRecord &site) {
        if (site.folderIndex != removed)
            return false;
        dropCachedListings(site);
        return true;
    });
    // The folder shown at that position goes, whatever index a damaged file gave it, so that the
    // tree and the list never disagree.
    m_list.folders.erase(m_list.folders.begin() + removed);
    m_filling = true;
    delete m_tree->takeTopLevelItem(removed);
    m_filling = false;

    for (size_t i = 0; i < m_list.folders.size(); ++i) {
        SiteFolder &folder = m_list.folders[i];
        if (folder.index == int(i))
            continue;
        for (SiteRecord &site : m_list.sites) {
            if (site.folderIndex == folder.index)
                site.folderIndex = int(i);
        }
        folder.index = int(i);
    }

    // The folder that took the deleted one's place, or the one before when the last went.
    const int count = m_tree->topLevelItemCount();
    selectFolder(count == 0 ? -1 : std::min(removed, count - 1));
    m_tree->setFocus();
    m_siteModified = true;
}

void SiteManagerDialog::deleteSite()
{
    const QList<QListWidgetItem *> selected = m_sites->selectedItems();
    if (selected.isEmpty() || !confirmDelete())
        return;
    const int position = m_sites->row(selected.first());
    const int index = siteIndex(position);
    if (index == -1)
        return;
    dropCachedListings(m_list.sites[size_t(index)]);
    m_list.sites.erase(m_list.sites.begin() + index);
    m_filling = true;
    delete m_sites->takeItem(position);
    m_filling = false;
    m_siteModified = true;
    clearFields();
    m_currentSite = -1;
    if (m_sites->count() > 0)
        selectSite(std::min(position, m_sites->count() - 1));
    m_sites->setFocus();
}

void SiteManagerDialog::browseLocalPath()
{
    const QString path = QFileDialog::getExistingDirectory(
        this, uiText("Initial local path:"), appSettings().downloadFolder, QFileDialog::ShowDirsOnly);
    if (!path.isEmpty())
        m_panel->setLocalPathByUser(path);
}

void SiteManagerDialog::save()
{
    const SiteFileStatus status = SaveSiteList(m_folder, m_list);
    reportSiteFileStatus(status);
    if (status == SiteFileStatus::Complete)
        m_siteModified = false;
}

void SiteManagerDialog::reject()
{
    if (m_siteModified)
        save();
    QDialog::reject();
}

void SiteManagerDialog::connectToSelected()
{
    if (m_currentSite == -1)
        return;
    if (m_siteModified)
        save();
    bool portValid = false;
    const SiteFields values = m_panel->values(m_fields.port, &portValid);
    if (!portValid) {
        QMessageBox::warning(this, windowTitle(), uiText("Please enter an integer between 0 and 999999."));
        return;
    }
    m_fields = values;
    accept();
}
