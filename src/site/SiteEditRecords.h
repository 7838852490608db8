#pragma once

#include <cstdint>
#include <vector>

// What edits did, step by step, with the records they took out of the tree, so that CSiteTree
// can take them back (Undo) and do them again (Redo) exactly: every record returns with its
// key, ids and texts to its place. Filled while the tree records into it (RecordInto); a record
// belongs to the project it was made in. Undo and Redo must alternate, and a record can only be
// replayed while the tree is in the state the record left it in (as an undo stack ensures).
class CSiteEditRecord {
public:
    CSiteEditRecord();
    CSiteEditRecord(CSiteEditRecord&&) noexcept;
    CSiteEditRecord& operator=(CSiteEditRecord&&) noexcept;
    ~CSiteEditRecord();

    bool Empty() const { return steps.empty(); }

private:
    friend class CSiteTree;
    struct Step;

    std::vector<Step> steps;
    std::uint64_t project = 0;
    bool undone = false;
};
