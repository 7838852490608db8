#pragma once

#include <QAbstractItemModel>
#include <QIcon>

#include "RowChanges.h"
#include "SiteDocument.h"

// The website tree as Qt sees it: every index carries the key of a folder of the document's tree,
// which is looked up whenever the index is used, and every label is read from the folder, so the
// widget keeps nothing of its own. The model follows each change the tree reports with the row
// inserts, removals, moves and label changes Qt knows, so open folders, the selection and the
// scroll position stay where they were; only a new project resets it.
class CSiteTreeModel : public CRowChanges<QAbstractItemModel> {
    Q_OBJECT
public:
    explicit CSiteTreeModel(CSiteDocument& document, QObject* parent = nullptr);

    static CFolderKey KeyOf(const QModelIndex& index);
    // The folder of the index, or null when it is gone.
    const CSiteNode* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOf(CFolderKey key) const;

    QModelIndex index(int row, int column, const QModelIndex& parent) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent) const override;
    int columnCount(const QModelIndex& parent) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // A label edited in place renames the folder as one undo step.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void ChangeBegins(const CSiteChange& change);
    void ChangeEnded(const CSiteChange& change);

    CSiteDocument& document;
    const CSiteTree& tree;
    QIcon rootIcon;
    QIcon folderIcon;  // with the open folder as its selected picture
};
