#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "SiteTreeOps.h"

// The same driver as the fuzz target, on a fixed sequence of random inputs.
TEST(SiteTree, RandomSequencesOfEveryOperationKeepEveryRule) {
    std::mt19937 random(13);
    for (int run = 0; run < 16; ++run) {
        std::vector<std::uint8_t> bytes(8000);
        for (std::uint8_t& byte : bytes) byte = static_cast<std::uint8_t>(random());
        ASSERT_EQ(RunSiteTreeOps(bytes), "") << "run " << run;
    }
}
