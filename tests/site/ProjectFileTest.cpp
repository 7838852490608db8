#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <span>
#include <string>
#include <vector>

#include "LayoutOption.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "SiteTree.h"
#include "TreeInvariants.h"

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr std::size_t kLayoutOffsetWithOneMeta = 1610 + 4 + 4 + 4 + 772;  // empty header, footer
constexpr std::size_t kNewProjectHeaderSize = kLayoutOffsetWithOneMeta + 3988;

std::uint32_t U32At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::uint32_t>(bytes.at(offset)) |
           (static_cast<std::uint32_t>(bytes.at(offset + 1)) << 8) |
           (static_cast<std::uint32_t>(bytes.at(offset + 2)) << 16) |
           (static_cast<std::uint32_t>(bytes.at(offset + 3)) << 24);
}

std::int32_t I32At(const Bytes& bytes, std::size_t offset) {
    return static_cast<std::int32_t>(U32At(bytes, offset));
}

void PutI32(Bytes& bytes, std::size_t offset, std::int32_t value) {
    const auto raw = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i) bytes.at(offset + i) = static_cast<unsigned char>(raw >> (8 * i));
}

// A fixed-width field: its text up to the first NUL, and whether everything behind it is zero.
std::string FieldAt(const Bytes& bytes, std::size_t offset, std::size_t width) {
    std::string text;
    std::size_t i = 0;
    for (; i < width && bytes.at(offset + i) != 0; ++i)
        text += static_cast<char>(bytes[offset + i]);
    for (; i < width; ++i)
        if (bytes.at(offset + i) != 0) return text + "<garbage behind the terminator>";
    return text;
}

std::string CountedAt(const Bytes& bytes, std::size_t offset) {
    const std::int32_t length = I32At(bytes, offset);
    return std::string(bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4),
                       bytes.begin() + static_cast<std::ptrdiff_t>(offset + 4 + length));
}

CFolderKey AddFolder(CSiteTree& tree, CFolderKey parent, const std::string& caption) {
    return tree.AddFolder(parent, caption).key;
}

// Walks the folder records that start at `offset` and returns where each one ends, read straight
// from the bytes without the reader under test.
std::vector<std::size_t> FolderRecordEnds(const Bytes& bytes, std::size_t offset) {
    std::vector<std::size_t> ends;
    auto skipCounted = [&](std::size_t& at) {
        at += 4 + static_cast<std::size_t>(I32At(bytes, at));
    };
    while (offset < bytes.size()) {
        const std::int32_t items = I32At(bytes, offset + 4);
        offset += 8;
        skipCounted(offset);
        skipCounted(offset);
        for (std::int32_t i = 0; i < items; ++i) {
            offset += 4;
            skipCounted(offset);
            skipCounted(offset);
            skipCounted(offset);
        }
        ends.push_back(offset);
    }
    return ends;
}

std::vector<std::int32_t> FolderLevels(const Bytes& bytes, std::size_t offset) {
    std::vector<std::int32_t> levels;
    std::size_t start = offset;
    for (std::size_t end : FolderRecordEnds(bytes, offset)) {
        levels.push_back(I32At(bytes, start));
        start = end;
    }
    return levels;
}

// What every load leaves, whatever the file held.
void ExpectInvariants(const CSiteTree& tree) {
    ASSERT_NE(tree.Root(), nullptr);
    EXPECT_EQ(tree.Root()->Parent(), nullptr);
    EXPECT_TRUE(tree.Clipboard().IsEmpty());
    const std::set<std::int32_t> ids = ExpectRecordInvariants(tree);
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(*ids.begin(), 0);
    EXPECT_EQ(*ids.rbegin(), static_cast<std::int32_t>(ids.size()) - 1);
    EXPECT_EQ(tree.NextFolderId(), static_cast<std::int32_t>(ids.size()));
}

// The tree as text: one line per folder, indented by depth, with its items.
std::string Outline(const CSiteTree& tree) {
    std::string text;
    tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
        text += std::string(static_cast<std::size_t>(depth) * 2, ' ') + std::string(node.Label()) +
                " [" + node.Folder().description.Str() + "]\n";
        for (const auto& item : node.Folder().items)
            text += std::string(static_cast<std::size_t>(depth) * 2 + 1, ' ') +
                    std::to_string(item.id) + " " + item.caption.Str() + " | " +
                    item.description.Str() + " | " + item.url.Str() + "\n";
    });
    return text;
}

// A project that sets every field of both property objects to something other than its default.
struct RichProject {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;

    RichProject() {
        page.general.location = "/srv/export";
        page.general.title = "My Pictures";
        page.general.soundLocation = "file:///music/loop.mid";
        page.general.soundLoop = 7;
        page.general.copyLinkedFiles = 0;
        page.background.specifyBackground = 1;
        page.background.useBackgroundImage = 1;
        page.background.watermark = 1;
        page.background.backgroundImage = "file:///pictures/paper.gif";
        page.background.useDefaultColors = 0;
        page.background.bgColor = 0x00102030;
        page.background.textColor = 0x00405060;
        page.background.linkColor = 0x00708090;
        page.background.activeLinkColor = 0x00A0B0C0;
        page.background.visitedLinkColor = 0x00D0E0F0;
        page.margins = {1, 1, 12, 34};
        page.loadEncoding = "ISO-8859-1";
        page.saveEncoding = "windows-1252";
        page.header = "Welcome\nto my pages";
        page.footer = "Made with care";
        page.AddMetaVariable("Refresh", "30", true);
        page.AddMetaVariable("Author", std::string(512, 'v'), false);
        layout.layout = 0;
        for (int slot = 0; slot < kLayoutAreaCount; ++slot) {
            CLayoutAreaOption& area = layout.areas[static_cast<std::size_t>(slot)];
            area.alignment = slot % 2 ? "Left" : "Center";
            area.imagePath = "file:///bars/" + std::to_string(slot) + ".png";
            area.bgColor = 0x00010203u * static_cast<unsigned>(slot + 1);
            area.font.faceName = "Face" + std::to_string(slot);
            area.font.pointSize = 100 + slot;
            area.font.bold = 1;
            area.font.italic = slot % 2;
            area.font.underline = 1;
            area.font.strikeOut = 1;
            area.font.color = 0x00AABBCC;
        }
        layout.table.borderColor = 0x00111111;
        layout.table.borderWidth = 2;
        layout.table.cellLineColor = 0x00222222;
        layout.table.cellLineWidth = 3;
        layout.table.cellPadding = 4;
        layout.table.cellSpacing = 5;
        layout.table.alignment = "Left";
        CLayoutMainOption& main = layout.mainCanvas;
        main.alignment = "Right";
        main.imagePath = "file:///bars/main.png";
        main.bgColor = 0x00EEEEEE;
        main.font.faceName = "Serif";
        main.font.pointSize = 120;
        main.columns = 5;
        main.rows = 2;
        main.cellAlignment = "Center";

        const CFolderKey root = tree.RootKey();
        tree.SetText(root, CSiteField::Description, "Start page");
        tree.AddItem(root, "Welcome", "file:///pages/welcome.htm", "");
        const CFolderKey photos = AddFolder(tree, root, "Photos");
        tree.SetText(photos, CSiteField::Description, "Summer 2026");
        tree.AddItem(photos, "Beach", "file:///pictures/beach.jpg", "Sand and sea");
        tree.AddItem(photos, "Hill", "file:///pictures/hill.jpg", "");
        const CFolderKey older = AddFolder(tree, photos, "Older");
        tree.AddItem(older, "Song", "file:///music/song.mp3", "Old tune");
        AddFolder(tree, older, "Empty");
        const CFolderKey links = AddFolder(tree, root, "Links");
        tree.AddItem(links, "Home", "http://example.org/", "");
    }
};

}  // namespace

TEST(ProjectFile, NewProjectIsLaidOutBlockByBlock) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const Bytes bytes = WriteProjectBytes(page, layout, tree);

    ASSERT_EQ(bytes.size(), 6403u);
    EXPECT_EQ(I32At(bytes, 0), 1);
    // Background block: defaults, white background.
    EXPECT_EQ(U32At(bytes, 4), 0x0044D8C0u);
    EXPECT_EQ(I32At(bytes, 4 + 272), 1);
    EXPECT_EQ(U32At(bytes, 4 + 276), 0xFFFFFFu);
    // General block: loop forever, copy automatically, padding zero.
    EXPECT_EQ(U32At(bytes, 300), 0x0044D8C8u);
    EXPECT_EQ(FieldAt(bytes, 300 + 4, 255), "");
    EXPECT_EQ(FieldAt(bytes, 300 + 769, 3), "");
    EXPECT_EQ(I32At(bytes, 300 + 772), -1);
    EXPECT_EQ(I32At(bytes, 300 + 776), 1);
    // Encoding pair.
    EXPECT_EQ(FieldAt(bytes, 1080, 255), "");
    EXPECT_EQ(FieldAt(bytes, 1080 + 255, 255), "UTF-8");
    EXPECT_EQ(U32At(bytes, 1590), 0x0044D8C4u);
    // Empty header and footer, then the GENERATOR variable.
    EXPECT_EQ(I32At(bytes, 1610), 0);
    EXPECT_EQ(I32At(bytes, 1614), 0);
    EXPECT_EQ(I32At(bytes, 1618), 1);
    EXPECT_EQ(FieldAt(bytes, 1622, 255), "GENERATOR");
    EXPECT_EQ(FieldAt(bytes, 1622 + 255, 513), "Pagelorn 1.0");
    EXPECT_EQ(I32At(bytes, 1622 + 768), 0);
    // Layout block: six areas, each with its font, then the table and the main canvas.
    const std::size_t layoutAt = kLayoutOffsetWithOneMeta;
    EXPECT_EQ(U32At(bytes, layoutAt), 0x0044D8DCu);
    for (std::size_t slot = 0; slot < 6; ++slot) {
        const std::size_t area = layoutAt + 8 + 560 * slot;
        EXPECT_EQ(U32At(bytes, area), 0x0044D8D0u) << slot;
        EXPECT_EQ(FieldAt(bytes, area + 4, 10), slot == 4 ? "Right" : "") << slot;
        EXPECT_EQ(FieldAt(bytes, area + 270, 2), "");
        EXPECT_EQ(U32At(bytes, area + 272), 0xFFFFFFu);
        EXPECT_EQ(U32At(bytes, area + 276), 0x0044D8CCu) << slot;
    }
    const std::size_t table = layoutAt + 3368;
    EXPECT_EQ(U32At(bytes, table), 0x0044D8D8u);
    EXPECT_EQ(FieldAt(bytes, table + 28, 12), "Center");
    const std::size_t main = layoutAt + 3408;
    EXPECT_EQ(U32At(bytes, main), 0x0044D8D4u);
    EXPECT_EQ(U32At(bytes, main + 276), 0x0044D8CCu);
    EXPECT_EQ(I32At(bytes, main + 560), 3);
    EXPECT_EQ(I32At(bytes, main + 564), 3);
    // The root record: level 0, no items, "Index", no description.
    const std::size_t root = kNewProjectHeaderSize;
    EXPECT_EQ(I32At(bytes, root), 0);
    EXPECT_EQ(I32At(bytes, root + 4), 0);
    EXPECT_EQ(CountedAt(bytes, root + 8), "Index");
    EXPECT_EQ(I32At(bytes, root + 17), 0);
}

TEST(ProjectFile, EveryFieldLandsAtItsOffsetLittleEndian) {
    RichProject project;
    project.page.header = "abc";
    project.page.footer = "";
    project.page.metaVariables.erase(project.page.metaVariables.begin());
    project.page.metaVariables.resize(1);
    const Bytes bytes = WriteProjectBytes(project.page, project.layout, project.tree);

    EXPECT_EQ(bytes[4 + 276], 0x30);  // colours low byte first: red
    EXPECT_EQ(bytes[4 + 278], 0x10);
    EXPECT_EQ(FieldAt(bytes, 4 + 16, 256), "file:///pictures/paper.gif");
    EXPECT_EQ(U32At(bytes, 4 + 292), 0x00D0E0F0u);
    EXPECT_EQ(FieldAt(bytes, 300 + 259, 255), "My Pictures");
    EXPECT_EQ(FieldAt(bytes, 300 + 514, 255), "file:///music/loop.mid");
    EXPECT_EQ(I32At(bytes, 300 + 772), 7);
    EXPECT_EQ(I32At(bytes, 300 + 776), 0);
    EXPECT_EQ(FieldAt(bytes, 1080, 255), "ISO-8859-1");
    EXPECT_EQ(I32At(bytes, 1590 + 16), 34);
    EXPECT_EQ(CountedAt(bytes, 1610), "abc");
    EXPECT_EQ(I32At(bytes, 1617), 0);  // empty footer
    EXPECT_EQ(I32At(bytes, 1621), 1);
    EXPECT_EQ(I32At(bytes, 1625 + 768), 1);  // Refresh is an HTTP-EQUIV variable

    const std::size_t layoutAt = 1625 + 772;
    const std::size_t history = layoutAt + 8 + 560 * 2;
    EXPECT_EQ(FieldAt(bytes, history + 4, 10), "Center");
    EXPECT_EQ(FieldAt(bytes, history + 14, 256), "file:///bars/2.png");
    EXPECT_EQ(U32At(bytes, history + 272), 0x00030609u);
    EXPECT_EQ(FieldAt(bytes, history + 276 + 4, 256), "Face2");
    EXPECT_EQ(I32At(bytes, history + 276 + 260), 102);
    EXPECT_EQ(I32At(bytes, history + 276 + 276), 1);
    EXPECT_EQ(U32At(bytes, history + 276 + 280), 0x00AABBCCu);
    const std::size_t table = layoutAt + 3368;
    EXPECT_EQ(I32At(bytes, table + 8), 2);
    EXPECT_EQ(I32At(bytes, table + 20), 4);
    EXPECT_EQ(I32At(bytes, table + 24), 5);
    EXPECT_EQ(FieldAt(bytes, table + 28, 12), "Left");
    const std::size_t main = layoutAt + 3408;
    EXPECT_EQ(FieldAt(bytes, main + 4, 10), "Right");
    EXPECT_EQ(FieldAt(bytes, main + 276 + 4, 256), "Serif");
    EXPECT_EQ(I32At(bytes, main + 560), 5);
    EXPECT_EQ(I32At(bytes, main + 564), 2);
    EXPECT_EQ(FieldAt(bytes, main + 568, 12), "Center");

    // The root's first item: id, caption, an empty description as a bare zero count, then url.
    const std::size_t root = layoutAt + 3988;
    EXPECT_EQ(I32At(bytes, root + 4), 1);
    EXPECT_EQ(CountedAt(bytes, root + 8), "Index");
    EXPECT_EQ(CountedAt(bytes, root + 17), "Start page");
    const std::size_t item = root + 17 + 4 + 10;
    EXPECT_EQ(I32At(bytes, item), 0);
    EXPECT_EQ(CountedAt(bytes, item + 4), "Welcome");
    EXPECT_EQ(I32At(bytes, item + 15), 0);
    EXPECT_EQ(CountedAt(bytes, item + 19), "file:///pages/welcome.htm");
}

TEST(ProjectFile, LevelsFollowDepthAndAFolderAfterADeepBranchGoesBackUnderTheRoot) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const CFolderKey s1 = AddFolder(tree, tree.RootKey(), "S1");
    const CFolderKey s2 = AddFolder(tree, s1, "S2");
    AddFolder(tree, s2, "S3");
    AddFolder(tree, tree.RootKey(), "S4");
    const Bytes bytes = WriteProjectBytes(page, layout, tree);
    EXPECT_EQ(FolderLevels(bytes, kNewProjectHeaderSize),
              (std::vector<std::int32_t>{0, 1, 2, 3, 1}));

    CPageOption loadedPage;
    CLayoutOption loadedLayout;
    CSiteTree loaded;
    const LoadResult result = LoadProjectFromBytes(bytes, loadedPage, loadedLayout, loaded);
    EXPECT_EQ(result.status, LoadStatus::Complete);
    EXPECT_EQ(result.foldersRead, 5u);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(Outline(loaded), Outline(tree));
    EXPECT_EQ(loaded.GetChildLabels(loaded.RootKey()), (std::vector<std::string>{"S1", "S4"}));
    EXPECT_EQ(loaded.Root()->Child(1)->Folder().id, 4);
    ExpectInvariants(loaded);
}

TEST(ProjectFile, SaveLoadSaveOfEveryFieldGivesTheSameBytes) {
    RichProject project;
    const Bytes first = WriteProjectBytes(project.page, project.layout, project.tree);

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    tree.Copy(tree.NewFolder(tree.RootKey()).key);
    const LoadResult result = LoadProjectFromBytes(first, page, layout, tree);
    ASSERT_EQ(result.status, LoadStatus::Complete);
    EXPECT_EQ(result.foldersRead, 5u);
    EXPECT_TRUE(page == project.page);
    EXPECT_TRUE(layout == project.layout);
    EXPECT_EQ(Outline(tree), Outline(project.tree));
    ExpectInvariants(tree);
    EXPECT_EQ(WriteProjectBytes(page, layout, tree), first);
}

TEST(ProjectFile, ThePiecesOfALargeProjectAreItsBytes) {
    RichProject project;
    // More than one piece, and an item larger than a piece.
    for (int i = 0; i < 2000; ++i)
        project.tree.AddItem(project.tree.RootKey(), "item " + std::to_string(i),
                             "file:///pictures/" + std::string(40, 'a' + i % 26) + ".jpg");
    project.tree.AddItem(project.tree.RootKey(), std::string(100'000, 'x'), "file:///big");
    Bytes joined;
    std::size_t pieces = 0;
    WriteProjectPieces(project.page, project.layout, project.tree,
                       [&](std::span<const unsigned char> piece) {
                           joined.insert(joined.end(), piece.begin(), piece.end());
                           ++pieces;
                       });
    const Bytes whole = WriteProjectBytes(project.page, project.layout, project.tree);
    EXPECT_GT(pieces, 2u);
    EXPECT_EQ(ProjectFileSize(project.page, project.tree), whole.size());
    EXPECT_TRUE(joined == whole);
}

TEST(ProjectFile, SavingKeepsFolderIdsAndWritesOneFile) {
    const fs::path folder =
        fs::path(testing::TempDir()) / ("pagelorn_project_save_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    RichProject project;
    project.tree.DeleteFolder(project.tree.Root()->Child(0)->Key());
    const CFolderKey late = AddFolder(project.tree, project.tree.RootKey(), "Late");
    const std::int32_t lateId = project.tree.Find(late)->Folder().id;

    const Outcome saved =
        SaveProject(folder / "site.www", project.page, project.layout, project.tree);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(project.tree.Find(late)->Folder().id, lateId);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_regular_file(folder / "site.www"));

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const LoadResult loaded = LoadProject(folder / "site.www", page, layout, tree);
    EXPECT_EQ(loaded.status, LoadStatus::Complete);
    EXPECT_EQ(Outline(tree), Outline(project.tree));
    EXPECT_EQ(tree.Root()->Child(1)->Folder().id, 2);  // renumbered in file order
    fs::remove_all(folder);
}

TEST(ProjectFile, WrongVersionResetsWithoutGeneratorAndGivesTheDefaultTree) {
    RichProject project;
    Bytes bytes = WriteProjectBytes(project.page, project.layout, project.tree);
    PutI32(bytes, 0, 2);

    CPageOption page;
    page.general.title = "left over";
    page.saveEncoding = "KOI8-R";
    CLayoutOption layout;
    layout.mainCanvas.rows = 9;
    CSiteTree tree;
    AddFolder(tree, tree.RootKey(), "Old");
    const LoadResult result = LoadProjectFromBytes(bytes, page, layout, tree);

    EXPECT_EQ(result.status, LoadStatus::WrongVersion);
    EXPECT_EQ(result.message, "Unkown version!");
    EXPECT_EQ(result.foldersRead, 0u);
    EXPECT_TRUE(page.metaVariables.empty());
    EXPECT_EQ(page.general.title, "");
    EXPECT_EQ(page.saveEncoding, "KOI8-R");  // Reset leaves the encoding pair alone
    EXPECT_EQ(layout.mainCanvas.rows, 3);
    EXPECT_EQ(tree.FolderCount(), 1u);
    EXPECT_EQ(tree.Root()->Label(), "Index");
    EXPECT_EQ(tree.Root()->Folder().id, 0);
    ExpectInvariants(tree);
}

TEST(ProjectFile, DamagedHeaderResetsWithGeneratorAndGivesTheDefaultTree) {
    RichProject project;
    const Bytes good = WriteProjectBytes(project.page, project.layout, project.tree);
    const std::size_t metaCountAt =
        1610 + 4 + project.page.header.size() + 4 + project.page.footer.size();

    struct Damage {
        const char* what;
        Bytes bytes;
    };
    std::vector<Damage> damages;
    damages.push_back({"cut inside the version", Bytes(good.begin(), good.begin() + 3)});
    damages.push_back({"cut after the encoding block", Bytes(good.begin(), good.begin() + 1590)});
    damages.push_back({"cut inside the layout block", Bytes(good.begin(), good.end() - 2000)});
    Bytes negativeHeader = good;
    PutI32(negativeHeader, 1610, -1);
    damages.push_back({"negative header length", negativeHeader});
    Bytes hugeHeader = good;
    PutI32(hugeHeader, 1610, 0x7FFFFFFF);
    damages.push_back({"header longer than the file", hugeHeader});
    Bytes negativeMeta = good;
    PutI32(negativeMeta, metaCountAt, -2);
    damages.push_back({"negative meta count", negativeMeta});
    Bytes hugeMeta = good;
    PutI32(hugeMeta, metaCountAt, 0x7FFFFFFF);
    damages.push_back({"more meta variables than the file holds", hugeMeta});

    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.what);
        CPageOption page;
        page.saveEncoding = "KOI8-R";
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProjectFromBytes(damage.bytes, page, layout, tree);
        EXPECT_EQ(result.status, LoadStatus::HeaderDamaged);
        EXPECT_FALSE(result.message.empty());
        ASSERT_EQ(page.metaVariables.size(), 1u);
        EXPECT_EQ(page.metaVariables[0]->name, "GENERATOR");
        EXPECT_EQ(page.general.title, "");
        // A header that failed part-way leaves nothing of itself behind.
        EXPECT_EQ(page.saveEncoding, "KOI8-R");
        EXPECT_TRUE(layout == CLayoutOption{});
        EXPECT_EQ(tree.FolderCount(), 1u);
        EXPECT_EQ(tree.Root()->Label(), "Index");
        ExpectInvariants(tree);
    }
}

TEST(ProjectFile, DamagedTreeKeepsTheFoldersReadBeforeTheDamage) {
    RichProject project;
    const Bytes good = WriteProjectBytes(project.page, project.layout, project.tree);
    const std::size_t treeAt = 1610 + 8 + project.page.header.size() + project.page.footer.size() +
                               4 + 772 * project.page.metaVariables.size() + 3988;
    const std::vector<std::size_t> ends = FolderRecordEnds(good, treeAt);
    ASSERT_EQ(ends.size(), 5u);

    {
        SCOPED_TRACE("cut in the middle of the third folder record");
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(ends[1] + 10));
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProjectFromBytes(cut, page, layout, tree);
        EXPECT_EQ(result.status, LoadStatus::TreeDamaged);
        EXPECT_EQ(result.foldersRead, 2u);
        EXPECT_NE(result.message.find("2 folders"), std::string::npos) << result.message;
        EXPECT_TRUE(page == project.page);
        EXPECT_EQ(tree.FolderCount(), 2u);
        EXPECT_EQ(tree.GetChildLabels(tree.RootKey()), std::vector<std::string>{"Photos"});
        EXPECT_EQ(tree.Root()->Child(0)->Folder().items.size(), 2u);
        ExpectInvariants(tree);
    }
    {
        SCOPED_TRACE("a file that ends cleanly after a folder record is complete");
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(ends[1]));
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProjectFromBytes(cut, page, layout, tree);
        EXPECT_EQ(result.status, LoadStatus::Complete);
        EXPECT_EQ(result.foldersRead, 2u);
    }
    {
        SCOPED_TRACE("no root record at all");
        const Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(treeAt));
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const LoadResult result = LoadProjectFromBytes(cut, page, layout, tree);
        EXPECT_EQ(result.status, LoadStatus::TreeDamaged);
        EXPECT_EQ(result.foldersRead, 0u);
        EXPECT_TRUE(layout == project.layout);
        EXPECT_EQ(tree.Root()->Label(), "Index");
        ExpectInvariants(tree);
    }
    {
        SCOPED_TRACE("item count beyond the file and negative lengths");
        for (std::size_t offset : {ends[0] + 4, ends[0] + 8, ends[0] + 8 + 4 + 6}) {
            for (std::int32_t value : {-1, 0x7FFFFFFF, static_cast<std::int32_t>(0x80000000u)}) {
                Bytes bad = good;
                PutI32(bad, offset, value);
                CPageOption page;
                CLayoutOption layout;
                CSiteTree tree;
                const LoadResult result = LoadProjectFromBytes(bad, page, layout, tree);
                EXPECT_EQ(result.status, LoadStatus::TreeDamaged) << offset << " " << value;
                EXPECT_EQ(result.foldersRead, 1u);
                ExpectInvariants(tree);
            }
        }
    }
}

TEST(ProjectFile, LoadedRecordsAreRenumberedAndKeepOneRoot) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    const CFolderKey a = AddFolder(tree, tree.RootKey(), "A");
    tree.AddItem(a, "first");
    tree.AddItem(a, "second");
    const CFolderKey b = AddFolder(tree, a, "B");
    AddFolder(tree, b, "C");
    Bytes bytes = WriteProjectBytes(page, layout, tree);
    const std::vector<std::size_t> ends = FolderRecordEnds(bytes, kNewProjectHeaderSize);
    ASSERT_EQ(ends.size(), 4u);
    const std::size_t aAt = ends[0], bAt = ends[1], cAt = ends[2];

    {
        SCOPED_TRACE("stored item ids are ignored");
        Bytes patched = bytes;
        PutI32(patched, aAt + 8 + 5 + 4, 7);
        PutI32(patched, aAt + 8 + 5 + 4 + 4 + 9 + 4 + 4, -3);
        CSiteTree loaded;
        ASSERT_EQ(LoadProjectFromBytes(patched, page, layout, loaded).status, LoadStatus::Complete);
        const CSiteFolder& folder = loaded.Root()->Child(0)->Folder();
        ASSERT_EQ(folder.items.size(), 2u);
        EXPECT_EQ(folder.items[0].caption, "first");
        ExpectInvariants(loaded);
    }
    {
        SCOPED_TRACE("a second top-level folder goes under the root");
        Bytes patched = bytes;
        PutI32(patched, aAt, 0);
        CSiteTree loaded;
        ASSERT_EQ(LoadProjectFromBytes(patched, page, layout, loaded).status, LoadStatus::Complete);
        EXPECT_EQ(loaded.GetChildLabels(loaded.RootKey()), std::vector<std::string>{"A"});
        EXPECT_EQ(loaded.GetChildLabels(loaded.Root()->Child(0)->Key()),
                  std::vector<std::string>{"B"});
        ExpectInvariants(loaded);
    }
    {
        SCOPED_TRACE("extreme levels climb no further than the root");
        Bytes patched = bytes;
        PutI32(patched, aAt, 0x7FFFFFFF);
        PutI32(patched, bAt, static_cast<std::int32_t>(0x80000000u));
        PutI32(patched, cAt, -1);
        CSiteTree loaded;
        ASSERT_EQ(LoadProjectFromBytes(patched, page, layout, loaded).status, LoadStatus::Complete);
        EXPECT_EQ(loaded.GetChildLabels(loaded.RootKey()), (std::vector<std::string>{"A", "B"}));
        // Levels only count relative to each other: C is one deeper than B.
        EXPECT_EQ(loaded.GetChildLabels(loaded.Root()->Child(1)->Key()),
                  std::vector<std::string>{"C"});
        ExpectInvariants(loaded);
    }
    {
        SCOPED_TRACE("a jump of several levels goes one level deeper");
        Bytes patched = bytes;
        PutI32(patched, bAt, 9);
        PutI32(patched, cAt, 5);
        CSiteTree loaded;
        ASSERT_EQ(LoadProjectFromBytes(patched, page, layout, loaded).status, LoadStatus::Complete);
        EXPECT_EQ(loaded.GetChildLabels(loaded.Root()->Child(0)->Key()),
                  (std::vector<std::string>{"B"}));
        // Climbing four levels from B's parent A ends at the top: C goes under the root.
        EXPECT_EQ(loaded.GetChildLabels(loaded.RootKey()), (std::vector<std::string>{"A", "C"}));
    }
}

TEST(ProjectFile, HeaderTextEndsAtANulAndFullFieldsAreTakenWhole) {
    CPageOption page;
    page.header = "abxcd";
    CLayoutOption layout;
    CSiteTree tree;
    Bytes bytes = WriteProjectBytes(page, layout, tree);
    bytes[1614 + 2] = 0;
    for (std::size_t i = 0; i < 255; ++i) bytes[300 + 259 + i] = 'T';
    for (std::size_t i = 0; i < 10; ++i) bytes[kLayoutOffsetWithOneMeta + 5 + 8 + 4 + i] = 'L';

    CPageOption loadedPage;
    CLayoutOption loadedLayout;
    CSiteTree loaded;
    ASSERT_EQ(LoadProjectFromBytes(bytes, loadedPage, loadedLayout, loaded).status,
              LoadStatus::Complete);
    EXPECT_EQ(loadedPage.header, "ab");
    EXPECT_EQ(loadedPage.general.title.View(), std::string(255, 'T'));
    EXPECT_EQ(loadedPage.general.location, "");
    EXPECT_EQ(loadedLayout.areas[0].alignment.View(), std::string(10, 'L'));

    const Bytes again = WriteProjectBytes(loadedPage, loadedLayout, loaded);
    EXPECT_EQ(FieldAt(again, 300 + 259, 255), std::string(255, 'T'));
    EXPECT_EQ(CountedAt(again, 1610), "ab");
}

TEST(ProjectFile, EveryCutOfARichFileLoadsSafely) {
    RichProject project;
    const Bytes good = WriteProjectBytes(project.page, project.layout, project.tree);
    const std::size_t treeAt = 1610 + 8 + project.page.header.size() + project.page.footer.size() +
                               4 + 772 * project.page.metaVariables.size() + 3988;
    const std::vector<std::size_t> ends = FolderRecordEnds(good, treeAt);
    const std::set<std::size_t> boundaries(ends.begin(), ends.end());

    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    std::size_t previousFolders = 0;
    for (std::size_t length = 0; length <= good.size(); ++length) {
        SCOPED_TRACE(length);
        const LoadResult result = LoadProjectFromBytes(
            std::span<const unsigned char>(good.data(), length), page, layout, tree);
        ASSERT_NO_FATAL_FAILURE(ExpectInvariants(tree));
        if (length < treeAt) {
            ASSERT_EQ(result.status, LoadStatus::HeaderDamaged);
            ASSERT_EQ(tree.FolderCount(), 1u);
            continue;
        }
        const bool complete = boundaries.count(length) > 0;
        ASSERT_EQ(result.status, complete ? LoadStatus::Complete : LoadStatus::TreeDamaged);
        ASSERT_GE(result.foldersRead, previousFolders);
        ASSERT_EQ(tree.FolderCount(), std::max<std::size_t>(result.foldersRead, 1));
        previousFolders = result.foldersRead;
    }
    EXPECT_EQ(previousFolders, 5u);
    EXPECT_EQ(Outline(tree), Outline(project.tree));
}

TEST(ProjectFile, VeryDeepTreesSaveAndLoadWithoutRecursion) {
    CPageOption page;
    CLayoutOption layout;
    CSiteTree tree;
    CFolderKey node = tree.RootKey();
    for (int depth = 0; depth < 100000; ++depth) node = tree.NewFolder(node).key;
    const Bytes bytes = WriteProjectBytes(page, layout, tree);

    CSiteTree loaded;
    const LoadResult result = LoadProjectFromBytes(bytes, page, layout, loaded);
    EXPECT_EQ(result.status, LoadStatus::Complete);
    EXPECT_EQ(result.foldersRead, 100001u);
    EXPECT_EQ(WriteProjectBytes(page, layout, loaded), bytes);
}

TEST(ProjectFile, AFileThatCannotBeReadGivesTheDefaultTreeAndLeavesThePropertiesAlone) {
    const fs::path folder =
        fs::path(testing::TempDir()) / ("pagelorn_project_missing_" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder);
    for (const fs::path& path : {folder / "missing.www", folder}) {
        SCOPED_TRACE(path.string());
        CPageOption page;
        page.general.title = "kept";
        CLayoutOption layout;
        CSiteTree tree;
        AddFolder(tree, tree.RootKey(), "Old");
        const LoadResult result = LoadProject(path, page, layout, tree);
        EXPECT_EQ(result.status, LoadStatus::NotOpenable);
        EXPECT_NE(result.message.find(path.string()), std::string::npos) << result.message;
        EXPECT_EQ(page.general.title, "kept");
        EXPECT_EQ(tree.FolderCount(), 1u);
        ExpectInvariants(tree);
    }
    fs::remove_all(folder);
}
