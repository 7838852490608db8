#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include "SiteTree.h"

// The website tree as Qt sees it: every index carries the key of a folder of the CSiteTree, which
// is looked up whenever the index is used, and every label is read from the folder, so the
// widget keeps nothing of its own.
class CSiteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CSiteTreeModel(CSiteTree& tree, QObject* parent = nullptr);

    static CFolderKey KeyOf(const QModelIndex& index);
    // The folder of the index, or null when it is gone.
    const CSiteNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(CFolderKey key) const;

    // Tells the view that a folder's label (its caption) changed.
    void LabelChanged(CFolderKey key);
    // Around any change of the tree's shape: the view forgets every index in between.
    void BeginRestructure() { beginResetModel(); }
    void EndRestructure() { endResetModel(); }

    QModelIndex index(int row, int column, const QModelIndex& parent) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

signals:
    // The user renamed a node in place (the project is already marked modified).
    void Renamed(CFolderKey folder);

private:
    CSiteTree& tree;
    QIcon rootIcon;
    QIcon folderIcon;  // with the open folder as its selected picture
};
