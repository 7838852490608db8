#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <set>

#include "SiteTree.h"

// What every operation on a tree keeps (CSiteTree::CheckInvariants: distinct folder ids, items
// numbered 0, 1, 2 ... with itemCount matching, every key finding its record). Returns the
// folder ids seen.
inline std::set<std::int32_t> ExpectRecordInvariants(const CSiteTree& tree) {
    EXPECT_EQ(tree.CheckInvariants(), "");
    std::set<std::int32_t> ids;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) { ids.insert(node.Folder().id); });
    return ids;
}

// Counts the changes a tree tells its observers of; whoever keeps the project's modified state
// (the document, CProject) learns of changes only this way.
class CChangeCount final : public CSiteTreeObserver {
public:
    explicit CChangeCount(CSiteTree& watched) : tree(watched) { tree.AddObserver(this); }
    ~CChangeCount() override { tree.RemoveObserver(this); }
    CChangeCount(const CChangeCount&) = delete;
    CChangeCount& operator=(const CChangeCount&) = delete;

    void ChangeEnded(const CSiteChange&) override { ++count; }

    std::size_t count = 0;

private:
    CSiteTree& tree;
};
