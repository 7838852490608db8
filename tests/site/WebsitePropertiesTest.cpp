// The website's properties by name (pagelorn-cli set and get) and folders and items by their
// path of captions.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "ProjectFile.h"
#include "SitePath.h"
#include "SiteSort.h"
#include "WebsiteProperties.h"

namespace fs = std::filesystem;

namespace {

struct Website {
    CPageOption page;
    CLayoutOption layout;
    CWebsiteSettings settings;
    CWebsiteProperties Properties() { return {page, layout, settings}; }
    bool operator==(const Website& other) const {
        return page == other.page && layout == other.layout && settings == other.settings;
    }
};

TEST(WebsitePropertiesTest, EveryKeyRoundTripsThroughSaveAndLoad) {
    const fs::path folder =
        fs::path(testing::TempDir()) / ("pagelorn_properties_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path project = folder / "site.www";
    std::set<std::string> names;
    for (const PropertyKey& key : WebsitePropertyKeys()) {
        SCOPED_TRACE(key.name);
        EXPECT_TRUE(names.insert(key.name).second) << "twice";
        Website before;
        CWebsiteProperties properties = before.Properties();
        ASSERT_NE(GetWebsiteProperty(properties, key.name), key.example) << "no change to see";
        ASSERT_EQ(SetWebsiteProperty(properties, key.name, key.example), "");
        ASSERT_EQ(GetWebsiteProperty(properties, key.name), key.example);
        CSiteTree tree;
        ASSERT_TRUE(SaveProject(project, before.page, before.layout, tree));
        ASSERT_TRUE(SaveWebsiteSettings(project, before.settings));

        Website after;
        CSiteTree loadedTree;
        ASSERT_TRUE(LoadProject(project, after.page, after.layout, loadedTree).IsComplete());
        ASSERT_EQ(LoadWebsiteSettings(project, after.settings).status, SettingsLoadStatus::Read);
        EXPECT_EQ(GetWebsiteProperty(after.Properties(), key.name), key.example);
        EXPECT_TRUE(after == before);
    }
    // Every page of both sheets and the settings file are reached.
    for (const char* name :
         {"title", "copy", "bgColor", "topMargin", "charset", "header", "footer", "rows", "columns",
          "headerBar.color", "table.borderWidth", "pictures.thumbnails", "pictures.box",
          "pictures.view", "pages.style", "import.caption", "import.skip", "publish.url"})
        EXPECT_TRUE(names.contains(name)) << name;
    fs::remove_all(folder);
}

TEST(WebsitePropertiesTest, ValuesAsTheSheetsTakeThemAndBadOnesChangeNothing) {
    struct Case {
        const char* key;
        std::string value;
        bool accepted;
        const char* stored = nullptr;  // as get gives it back when that is not the value
    };
    const Case cases[] = {
        {"topMargin", "5000", true},
        {"topMargin", "none", true},
        {"rows", "150", true},
        {"rows", "0", true},
        {"soundLoop", "forever", true},
        {"bgColor", "abcdef", true, "#ABCDEF"},
        {"charset", "", true},
        {"canvas.alignment", "Right", true, "right"},
        {"title", std::string(254, 't'), true},
        {"title", std::string(255, 't'), false},
        {"title", std::string("a\0b", 3), false},
        {"rows", "-1", false},
        {"rows", "2147483648", false},
        {"rows", "1e3", false},
        {"rows", "", false},
        {"bgColor", "#12345", false},
        {"bgColor", "red", false},
        {"copy", "sometimes", false},
        {"charset", "klingon", false},
        {"watermark", "1", false},
        {"soundLoop", "-2", false},
        {"pictures.box", "15", false},
        {"pictures.quality", "101", false},
        {"headerBar.alignment", "justify", false},
        {"no.such.key", "1", false},
        {"pictures.view", "0", true},
        {"pictures.view", "8001", false},
        {"pages.style", "Modern", false},
        {"import.order", "size", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.value);
        Website website;
        CWebsiteProperties properties = website.Properties();
        const Website before;
        const std::string refused = SetWebsiteProperty(properties, c.key, c.value);
        if (!c.accepted) {
            EXPECT_FALSE(refused.empty());
            EXPECT_TRUE(website == before);
        } else {
            EXPECT_EQ(refused, "");
            EXPECT_EQ(GetWebsiteProperty(properties, c.key),
                      c.stored != nullptr ? std::string(c.stored) : c.value);
        }
    }
    Website website;
    EXPECT_EQ(GetWebsiteProperty(website.Properties(), "no.such.key"), std::nullopt);
}

TEST(SitePathTest, PathsOfCaptionsAndItemNumbers) {
    CSiteTree tree;
    const CFolderKey holiday = tree.AddFolder(tree.RootKey(), "Holiday").key;
    const CFolderKey beach = tree.AddFolder(holiday, "Beach").key;
    const CFolderKey slash = tree.AddFolder(tree.RootKey(), "a/b").key;
    tree.AddFolder(tree.RootKey(), "Twice");
    tree.AddFolder(tree.RootKey(), "Twice");
    const CItemKey photo = tree.AddItem(beach, "IMG_0001.JPG").key;
    const CItemKey second = tree.AddItem(beach, "IMG_0001.JPG").key;
    const CItemKey hash = tree.AddItem(holiday, "#1").key;
    struct Case {
        const char* path;
        CFolderKey folder;
        CItemKey item;
        const char* error;  // a part of it
    };
    const Case cases[] = {
        {"", tree.RootKey(), {}, nullptr},
        {"/", tree.RootKey(), {}, nullptr},
        {"Holiday", holiday, {}, nullptr},
        {"/Holiday//Beach/", beach, {}, nullptr},
        {"Holiday/Beach/#2", beach, second, nullptr},
        {"Holiday/Beach/#1", beach, photo, nullptr},
        {"Holiday/\\#1", holiday, hash, nullptr},
        {"a\\/b", slash, {}, nullptr},
        {"Holiday/Beach/IMG_0001.JPG", {}, {}, "2 sub-sites and items captioned"},
        {"Twice", {}, {}, "2 sub-sites captioned"},
        {"Holiday/Sea", {}, {}, "Index > Holiday has no sub-site or item \"Sea\""},
        {"Sea/Beach", {}, {}, "Index has no sub-site \"Sea\""},
        {"Holiday/Beach/#3", {}, {}, "has 2 items, no #3"},
        {"Holiday/Beach/#0", {}, {}, "no item number"},
        {"Holiday/Beach/#x", {}, {}, "no item number"},
        {"Holiday/#1/x", {}, {}, "names an item"},
        {"Holiday\\", {}, {}, "backslash"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const CSitePathTarget target = FindSitePath(tree, c.path);
        if (c.error != nullptr) {
            EXPECT_FALSE(target);
            EXPECT_NE(target.error.find(c.error), std::string::npos) << target.error;
        } else {
            ASSERT_TRUE(target) << target.error;
            EXPECT_EQ(target.folder, c.folder);
            EXPECT_EQ(target.item, c.item);
        }
    }
    EXPECT_EQ(DescribeSitePlace(tree, beach, second),
              "Index > Holiday > Beach, item 2 \"IMG_0001.JPG\"");
}

TEST(SiteSortTest, ItemsInEachOrderAndOneRecordTakesTheSortBack) {
    EXPECT_LT(CompareNames("IMG_2.JPG", "IMG_10.JPG"), 0);
    EXPECT_LT(CompareNames("apple", "Banana"), 0);
    EXPECT_LT(CompareNames("img_007", "IMG_8"), 0);
    EXPECT_NE(CompareNames("a", "A"), 0);
    EXPECT_EQ(LinkedFileName("file://C:\\Pics\\b.jpg"), "b.jpg");
    EXPECT_EQ(LinkedFileName("FILE:///home/ann/a.jpg"), "a.jpg");
    EXPECT_EQ(LinkedFileName("https://example.org/x"), "https://example.org/x");

    CSiteTree tree;
    const CFolderKey root = tree.RootKey();
    tree.AddFolder(root, "Sub");
    struct Row {
        const char* caption;
        const char* url;
        const char* date;
    };
    const Row rows[] = {{"Zebra", "file:///p/IMG_10.JPG", "2026:07:14 09:30:00"},
                        {"apple", "file:///p/IMG_2.JPG", nullptr},
                        {"Mango", "file:///p/IMG_1.JPG", "2025:01:01 00:00:00"},
                        {"banana", "https://example.org/a", nullptr}};
    for (const Row& row : rows) tree.AddItem(root, row.caption, row.url);
    const auto captions = [&] {
        std::string text;
        for (const CSiteItem& item : tree.Root()->Folder().items) text += item.caption.Str() + " ";
        return text;
    };
    const CDateTakenFn dates = [&](const CSiteItem& item) -> std::optional<std::string> {
        for (const Row& row : rows)
            if (item.caption == row.caption && row.date != nullptr) return std::string(row.date);
        return std::nullopt;
    };
    const std::pair<CSortOrder, const char*> orders[] = {
        {CSortOrder::Caption, "apple banana Mango Zebra "},
        {CSortOrder::FileName, "banana Mango apple Zebra "},
        {CSortOrder::DateTaken, "Mango Zebra banana apple "}};
    for (const auto& [order, expected] : orders) {
        const std::string before = captions();
        CSiteEditRecord record;
        tree.RecordInto(&record);
        ASSERT_EQ(ReorderItems(tree, root, SortedItems(tree.Root()->Folder(), order, dates)),
                  CSiteStatus::Done);
        tree.RecordInto(nullptr);
        EXPECT_EQ(captions(), expected);
        EXPECT_EQ(tree.CheckInvariants(), "");
        ASSERT_EQ(tree.Undo(record), CSiteStatus::Done);
        EXPECT_EQ(captions(), before);
        ASSERT_EQ(tree.Redo(record), CSiteStatus::Done);
        EXPECT_EQ(captions(), expected);
    }
    // The sub-site stays where it was; keys that are not the folder's items are refused.
    EXPECT_EQ(tree.Root()->Child(0)->Folder().caption, "Sub");
    EXPECT_EQ(ReorderItems(tree, root, {}), CSiteStatus::NotARow);
}

}  // namespace
