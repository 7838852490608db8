#pragma once

#include <gtest/gtest.h>

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
