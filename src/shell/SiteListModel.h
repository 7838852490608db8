#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include "RowChanges.h"
#include "SiteDocument.h"

// The rows of the list: the shown folder's sub-sites in tree order, then its items in folder
// order (item k at row sub-sites + k). Rows are read from the tree each time, never copied, and
// follow each change the tree reports with row inserts, removals, moves and data changes; only
// showing another folder resets the model.
class CSiteListModel : public CRowChanges<QAbstractTableModel> {
    Q_OBJECT
public:
    enum Column { kCaptionColumn = 0, kIdColumn = 1, kUrlColumn = 2, kColumnCount = 3 };

    explicit CSiteListModel(CSiteDocument& document, QObject* parent = nullptr);

    // Shows another folder's contents (none: nothing).
    void ShowNode(CFolderKey folder);
    CFolderKey ShownNode() const { return shown; }

    int FolderRowCount() const;
    CSiteNodeRef RowRef(int row) const { return RowAt(tree, shown, row); }
    int RowOf(CSiteNodeRef record) const { return ::RowOf(tree, shown, record); }
    int RowOfItem(std::int32_t itemId) const { return FolderRowCount() + itemId; }

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // A caption edited in place renames the sub-site or item as one undo step.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void ChangeBegins(const CSiteChange& change);
    void ChangeEnded(const CSiteChange& change);
    // The ID column of the rows of items first .. last-1 (positions in the folder).
    void IdsChanged(std::size_t first, std::size_t last);

    CSiteDocument& document;
    const CSiteTree& tree;
    CFolderKey shown;
    // The shown folder's rows as the tree has them at the last notice, so that the view, which
    // asks for every row's index and flags as it lays them out, pays no lookup for each.
    int rows = 0;
    // The shown folder leaves the tree with the change under way.
    bool losingShown = false;
    QIcon folderIcon;
    QIcon itemIcon;
};
