#pragma once

#include <QAbstractTableModel>
#include <QIcon>

#include "SiteTree.h"

// What one row of the list stands for, by key: a sub-site of the shown folder, or one of its
// items.
struct CSiteNodeRef {
    enum Kind { None = 0, Folder = 1, Item = 2 };
    Kind kind = None;
    CFolderKey folder;  // the sub-site (Folder rows)
    CItemKey item;      // Item rows

    explicit operator bool() const { return kind != None; }
};

// The rows of the list: the shown node's sub-sites in tree order, then its items in folder order
// (item k at row sub-sites + k). Rows are read from the tree each time, never copied.
class CSiteListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kCaptionColumn = 0, kIdColumn = 1, kUrlColumn = 2, kColumnCount = 3 };

    explicit CSiteListModel(CSiteTree& tree, QObject* parent = nullptr);

    // Shows another folder's contents (none: nothing).
    void ShowNode(CFolderKey folder);
    CFolderKey ShownNode() const { return shown; }
    // After the shown node's children or items changed in number or order.
    void Reload();
    // After texts of shown records changed.
    void TextsChanged();

    int FolderRowCount() const;
    CSiteNodeRef RowRef(int row) const;
    int RowOfItem(std::int32_t itemId) const { return FolderRowCount() + itemId; }

    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // A row's caption was edited in place (the record is renamed and the project modified).
    void Renamed(CSiteNodeRef row);

private:
    const CSiteNode* Shown() const { return tree.Find(shown); }

    CSiteTree& tree;
    CFolderKey shown;
    QIcon folderIcon;
    QIcon itemIcon;
};
