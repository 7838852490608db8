#pragma once

#include <QModelIndex>
#include <utility>

// A model that follows the tree's change notices: a change begins (rows inserted, removed or moved,
// or everything reset) when the tree announces it and ends when the tree has made it, so Qt's
// begin and end calls always come in pairs.
template <typename Model>
class CRowChanges : public Model {
protected:
    using Model::Model;

    void BeginReset() {
        this->beginResetModel();
        pending = Pending::Reset;
    }
    void BeginInsert(const QModelIndex& parent, int first, int last) {
        this->beginInsertRows(parent, first, last);
        pending = Pending::Insert;
    }
    void BeginRemove(const QModelIndex& parent, int first, int last) {
        this->beginRemoveRows(parent, first, last);
        pending = Pending::Remove;
    }
    // One row from `from` in `parent` to position `to` in `toParent` as it is after the move.
    void BeginMove(const QModelIndex& parent, int from, const QModelIndex& toParent, int to) {
        // Qt counts the destination among the rows before the move.
        const int destination = parent == toParent && to > from ? to + 1 : to;
        if (this->beginMoveRows(parent, from, from, toParent, destination)) pending = Pending::Move;
    }
    bool ResetPending() const { return pending == Pending::Reset; }
    // Ends whatever change began, if one did.
    void EndChange() {
        switch (std::exchange(pending, Pending::None)) {
            case Pending::Reset:
                this->endResetModel();
                break;
            case Pending::Insert:
                this->endInsertRows();
                break;
            case Pending::Remove:
                this->endRemoveRows();
                break;
            case Pending::Move:
                this->endMoveRows();
                break;
            case Pending::None:
                break;
        }
    }

private:
    enum class Pending { None, Reset, Insert, Remove, Move };
    Pending pending = Pending::None;
};
