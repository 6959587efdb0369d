#pragma once

#include "controls/namefilter.h"
#include "controls/sortlistmodel.h"

#include <QTreeView>

#include <array>
#include <optional>
#include <vector>

class SortHeader;

// The file list of the local and the remote pane: sorts by a clicked column with folders always
// above files, and keeps its column widths, sort column and direction in the settings store
// under its list name.
class CSortListCtrl : public QTreeView
{
    Q_OBJECT
public:
    static constexpr const char *widthsSection = "ColumnWidths";
    static constexpr const char *sortColumnSection = "SortColumn";
    static constexpr const char *sortStateSection = "SortState";
    static constexpr int kindColumns = 5;

    explicit CSortListCtrl(QWidget *parent = nullptr);
    ~CSortListCtrl() override;

    // Before the columns are inserted.
    void SetListName(const QString &name);
    // Inserts a column at the stored width of its index when that is 5 or more, else the default.
    void InsertSortColumn(int index, const QString &title, Qt::Alignment alignment, int defaultWidth);
    // Columns 0 to 4; a larger index is ignored.
    void SetColumnKind(int index, int kind);
    // The four columns of a file pane: Name (text), Size (number), Date/Time, Attribute (text).
    void InsertFileColumns();

    // The header click: the first click on a column sorts it descending, each further click
    // reverses it; every column keeps its own direction.
    void SortByColumn(int column);
    // Sorts again by the current column (column 0 when none) in its current direction; called
    // after the list was refilled. Reads the stored sort state the first time.
    void ReSort();
    // What ReSort sorts by; nullopt when it leaves the order alone.
    [[nodiscard]] std::optional<RowOrder> ReSortOrder();
    void SaveListState();

    // Selects, focuses and shows the first row of that name (ignoring case); the list gets the
    // keyboard focus in every case.
    void SelectItemByName(const QString &name);

    // The icon of a name by type only (a pattern such as "*.zip", no file touched), or of the real
    // file or folder at that path.
    [[nodiscard]] static int FileIconIndex(const QString &name, bool byType);

    SortListModel *listModel() const { return model_; }
    SortHeader *sortHeader() const { return header_; }
    const QString &listName() const { return listName_; }
    int sortColumn() const { return sortColumn_; }
    // True when the column is currently sorted descending.
    bool columnDescending(int column) const;
    int columnKind(int column) const;

    // Replaces the rows in one reset and re-sorts them.
    void setRows(FileRows rows);
    // The same for rows already put in `order`: when that is still the list's, they are not
    // sorted again.
    void setSortedRows(FileRows rows, const RowOrder &order);
    // Hides the rows whose name the filter does not keep; ".." always shows. The rows themselves
    // stay as they are, and a refill or a sort keeps the filter.
    void setNameFilter(const QString &text);
    [[nodiscard]] const NameFilter &nameFilter() const { return filter_; }
    // The rows selected and shown, in display order: a row the filter hides is never acted on.
    std::vector<int> selectedRows() const;
    // The shown names (first column) of those rows.
    QStringList namesOf(const std::vector<int> &rows) const;

    void doItemsLayout() override;

protected:
    void changeEvent(QEvent *event) override;

private:
    void LoadSortState();
    // Shows or hides rows [first, last] by the filter.
    void applyNameFilter(int first, int last);
    quint32 bit(int column) const { return column >= 0 && column < 32 ? 1u << column : 0u; }

    SortListModel *model_;
    SortHeader *header_;
    QString listName_;
    bool stateLoaded_ = false;
    std::array<int, kindColumns> kinds_{};
    quint32 directionBits_ = 0;
    int sortColumn_ = -1;
    // The rows the tree last laid out, as long as none came or went since: laying out a million
    // rows again takes the window a tenth of a second, and a sort or a header arrow changes none.
    std::optional<int> laidOutRows_;
    NameFilter filter_;
    // Some row is hidden: a sort then moves hidden rows too, and the tree lays them all out again.
    bool anyHidden_ = false;
};
