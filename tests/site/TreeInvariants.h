#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

#include "SiteTree.h"

// What every operation on a tree keeps: distinct folder ids, and in every folder an item count
// that matches its items, numbered 0, 1, 2 ... in order. Returns the folder ids seen.
inline std::set<std::int32_t> ExpectRecordInvariants(const CSiteTree& tree) {
    std::set<std::int32_t> ids;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int) {
        const CSiteFolder& folder = node.Folder();
        EXPECT_TRUE(ids.insert(folder.id).second) << "duplicate folder id " << folder.id;
        ASSERT_EQ(folder.itemCount, static_cast<std::int32_t>(folder.items.size()));
        for (std::size_t i = 0; i < folder.items.size(); ++i)
            EXPECT_EQ(folder.items[i]->id, static_cast<std::int32_t>(i));
    });
    return ids;
}
