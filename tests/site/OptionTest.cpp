#include <gtest/gtest.h>

#include <string>

#include "LayoutOption.h"
#include "PageOption.h"

TEST(PageOption, ResetWithAndWithoutTheGeneratorEntry) {
    CPageOption option;
    ASSERT_EQ(option.metaVariables.size(), 1u);
    EXPECT_EQ(option.metaVariables[0]->name.View(), "GENERATOR");
    EXPECT_EQ(option.metaVariables[0]->value.View(), "Pagelorn 1.0");
    EXPECT_EQ(option.metaVariables[0]->systemVariable, 0);

    option.AddMetaVariable("keywords", "x", false);
    option.Reset(false);
    EXPECT_TRUE(option.metaVariables.empty());
    option.Reset(true);
    EXPECT_EQ(option.metaVariables.size(), 1u);
}

TEST(PageOption, DefaultsAndWhatResetLeavesAlone) {
    CPageOption option;
    EXPECT_EQ(option.saveEncoding.View(), "UTF-8");
    EXPECT_TRUE(option.loadEncoding.Empty());
    EXPECT_EQ(option.general.soundLoop, -1);
    EXPECT_EQ(option.general.copyLinkedFiles, 1);
    EXPECT_EQ(option.background.useDefaultColors, 1);
    EXPECT_EQ(option.background.bgColor, 0xFFFFFFu);

    option.saveEncoding = "iso-8859-1";
    option.loadEncoding = "koi8-r";
    option.general.title = "My Site";
    option.general.soundLoop = 3;
    option.background.specifyBackground = 1;
    option.margins.topMargin = 10;
    option.header = "head";
    option.footer = "foot";
    option.Reset(true);
    EXPECT_EQ(option.saveEncoding.View(), "iso-8859-1");
    EXPECT_EQ(option.loadEncoding.View(), "koi8-r");
    EXPECT_TRUE(option.general.title.Empty());
    EXPECT_EQ(option.general.soundLoop, -1);
    EXPECT_EQ(option.background.specifyBackground, 0);
    EXPECT_EQ(option.margins.topMargin, 0);
    EXPECT_TRUE(option.header.empty());
    EXPECT_TRUE(option.footer.empty());
}

TEST(PageOption, LongTitleIsCutAndOtherFieldsAreUntouched) {
    CPageOption option;
    option.general.soundLocation = "/music/loop.wav";
    option.general.title = std::string(300, 't');
    EXPECT_EQ(option.general.title.View(), std::string(254, 't'));
    EXPECT_EQ(option.general.soundLocation.View(), "/music/loop.wav");
}

TEST(PageOption, CopiesOwnTheirMetaVariables) {
    CPageOption option;
    option.AddMetaVariable("refresh", "5", true);
    CPageOption copy(option);
    EXPECT_EQ(copy, option);
    copy.metaVariables[1]->value = "10";
    EXPECT_EQ(option.metaVariables[1]->value.View(), "5");
    EXPECT_FALSE(copy == option);
}

TEST(LayoutOption, DefaultsAndWhatResetLeavesAlone) {
    CLayoutOption layout;
    for (int slot = 0; slot < kLayoutAreaCount; ++slot) {
        EXPECT_EQ(layout.areas[slot].alignment.View(), slot == kIndexBarSlot ? "Right" : "")
            << slot;
        EXPECT_EQ(layout.areas[slot].bgColor, 0xFFFFFFu);
    }
    EXPECT_EQ(layout.table.alignment.View(), "Center");
    EXPECT_EQ(layout.mainCanvas.rows, 3);
    EXPECT_EQ(layout.mainCanvas.columns, 3);
    EXPECT_TRUE(layout.mainCanvas.cellAlignment.Empty());

    layout.table.cellPadding = 4;
    layout.table.cellSpacing = 2;
    layout.table.borderWidth = 7;
    layout.areas[kHistoryBarSlot].font.pointSize = 120;
    layout.areas[kHistoryBarSlot].font.bold = 1;
    layout.mainCanvas.font.pointSize = 90;
    layout.mainCanvas.rows = 1;
    layout.Reset();
    EXPECT_EQ(layout.table.cellPadding, 4);
    EXPECT_EQ(layout.table.cellSpacing, 2);
    EXPECT_EQ(layout.table.borderWidth, 0);
    EXPECT_EQ(layout.areas[kHistoryBarSlot].font.pointSize, 120);
    EXPECT_EQ(layout.areas[kHistoryBarSlot].font.bold, 0);
    EXPECT_EQ(layout.mainCanvas.font.pointSize, 90);
    EXPECT_EQ(layout.mainCanvas.rows, 3);
}
