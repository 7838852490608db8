#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include "SiteTree.h"

// The website tree as Qt sees it: every index points at a CSiteNode of the CSiteTree, and every
// label is read from the node's folder, so the widget keeps nothing of its own.
class CSiteTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit CSiteTreeModel(CSiteTree& tree, QObject* parent = nullptr);

    static CSiteNode* NodeOf(const QModelIndex& index);
    QModelIndex IndexOf(const CSiteNode* node) const;

    // Tells the view that a node's label (its folder's caption) changed.
    void LabelChanged(const CSiteNode* node);
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
    void Renamed(CSiteNode* node);

private:
    CSiteTree& tree;
    QIcon rootIcon;
    QIcon folderIcon;  // with the open folder as its selected picture
};
