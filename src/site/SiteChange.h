#pragma once

#include <cstddef>
#include <string_view>

#include "SiteKey.h"

// The texts of a record: folders have a caption and a description, items also a url.
enum class CSiteField { Caption, Description, Url };

// What an operation of CSiteTree did. Anything but Done means it was refused and the tree, its
// flags and its cut/copy state are as they were.
enum class CSiteStatus {
    Done,
    NoSuchFolder,    // a folder key that names no folder of the tree
    NoSuchItem,      // an item key that names no item of the tree
    RootRefused,     // the root is never deleted, moved, cut or copied
    IntoItself,      // a move, copy or paste of a folder into itself or below itself
    OutOfRange,      // a position beyond the end
    NoSibling,       // nothing to move past in that direction
    NotARow,         // a record that is not a sub-site or item of the folder named with it
    NothingToPaste,  // nothing cut or copied, or nothing of it can go there
    InvalidDrop,     // a drop on the folder's own parent, itself or below itself
    NoSuchField,     // a folder has no url
    WrongProject     // an edit record made in another project, or replayed out of turn
};

// A short English explanation of a status, for messages and test output.
std::string_view Describe(CSiteStatus status);

// One change of the tree, reported to its observers. Every operation is reported as a sequence
// of these, each relative to the state right before it, so that a model can follow step by step.
struct CSiteChange {
    enum class Kind {
        Reset,           // a new project replaced the whole tree (New, a load, a swap)
        FolderInserted,  // `folder` (with its whole subtree) now sits at `position` under `parent`
        FolderRemoved,   // `folder` (with its subtree) left `position` under `parent`
        FolderMoved,     // `folder` went from `position` under `parent` to `toPosition` under
                         // `toParent` (the position it has once the move is over)
        ItemsInserted,   // `count` items now sit at `position`, `position` + 1 ... of `folder`
        ItemsRemoved,    // `count` items left `position`, `position` + 1 ... of `folder`
        ItemMoved,       // the item at `position` of `folder` went to `toPosition`
        TextChanged      // `field` of `folder`, or of `item` when it is set, changed
    };

    Kind kind = Kind::Reset;
    CFolderKey folder{};
    CFolderKey parent{};
    std::size_t position = 0;
    std::size_t count = 0;
    CFolderKey toParent{};
    std::size_t toPosition = 0;
    CItemKey item{};
    CSiteField field = CSiteField::Caption;
};

// Told of every change of a CSiteTree it is added to. ChangeBegins comes while the tree still
// shows the state before the change, ChangeEnded once it shows the state after it; nothing
// else changes in between. A Qt model maps them onto beginInsertRows / endInsertRows and the
// like; for a FolderMoved or ItemMoved within one parent, Qt's destination row is toPosition + 1
// when moving down (toPosition > position) and toPosition otherwise. An observer must not
// change the tree from inside a notice.
class CSiteTreeObserver {
public:
    virtual ~CSiteTreeObserver() = default;
    virtual void ChangeBegins(const CSiteChange& change) { static_cast<void>(change); }
    virtual void ChangeEnded(const CSiteChange& change) { static_cast<void>(change); }
};
