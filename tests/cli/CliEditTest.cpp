// pagelorn-cli set, get, caption, describe, move and remove, run as a script runs them: what
// they change is read back from the files, and a mistake leaves both files as they were.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CliProcess.h"
#include "ProjectFile.h"
#include "SiteTree.h"
#include "WebsiteProperties.h"
#include "WebsiteSettings.h"

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

struct CliResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The start of a JPEG whose EXIF data says when it was taken ("2026:07:14 09:30:00").
std::string PhotoTakenAt(const std::string& date) {
    const auto le16 = [](int v) { return std::string{char(v & 0xFF), char((v >> 8) & 0xFF)}; };
    const auto le32 = [&](int v) { return le16(v & 0xFFFF) + le16((v >> 16) & 0xFFFF); };
    std::string tiff = "II" + le16(42) + le32(8);
    tiff += le16(1) + le16(0x8769) + le16(4) + le32(1) + le32(26) + le32(0);   // the EXIF folder
    tiff += le16(1) + le16(0x9003) + le16(2) + le32(20) + le32(44) + le32(0);  // DateTimeOriginal
    tiff += date + std::string(1, '\0');
    const std::string payload = std::string("Exif\0\0", 6) + tiff;
    const int length = static_cast<int>(payload.size()) + 2;
    return std::string("\xFF\xD8\xFF\xE1", 4) + char(length >> 8) + char(length & 0xFF) + payload +
           "\xFF\xD9";
}

class CliEditTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("pagelorn_edit_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        project = (folder / "site.www").string();
    }
    void TearDown() override { fs::remove_all(folder); }

    CliResult Cli(const std::vector<std::string>& arguments) const {
        CliResult run;
        clitest::CliProcess process(arguments, folder / "out.txt", folder / "err.txt");
        run.exitCode = process.Finish();
        run.out = ReadFile(folder / "out.txt");
        run.err = ReadFile(folder / "err.txt");
        return run;
    }

    // Both files of the project, to see that a refused command wrote nothing.
    std::string Files() const {
        return ReadFile(project) + "|" + ReadFile(WebsiteSettingsPath(project));
    }

    // The project's folders as "caption: item, item" lines, depth first.
    std::string Tree() const {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        EXPECT_TRUE(LoadProject(project, page, layout, tree).IsComplete());
        std::string text;
        tree.ForEachDepthFirst([&](const CSiteNode& node, int depth) {
            text += std::string(static_cast<std::size_t>(depth), '>') +
                    node.Folder().caption.Str() + "[" + node.Folder().description.Str() + "]:";
            for (const CSiteItem& item : node.Folder().items)
                text += " " + item.caption.Str() + "[" + item.description.Str() + "]";
            text += "\n";
        });
        return text;
    }

    fs::path folder;
    std::string project;
};

TEST_F(CliEditTest, SetAndGetEveryKeyAndRefuseMistakesWholly) {
    ASSERT_EQ(Cli({"new", project}).exitCode, 0);
    std::vector<std::string> set{"set", project};
    for (const PropertyKey& key : WebsitePropertyKeys())
        set.push_back(key.name + "=" + key.example);
    const CliResult done = Cli(set);
    ASSERT_EQ(done.exitCode, 0) << done.err;

    // Every key reads back as set, after the save and a load in another process.
    const CliResult all = Cli({"get", project});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    std::map<std::string, std::string> values;
    std::istringstream lines(all.out);
    for (std::string line; std::getline(lines, line);)
        values[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
    for (const PropertyKey& key : WebsitePropertyKeys())
        EXPECT_EQ(values[key.name], key.example) << key.name;
    EXPECT_EQ(values.size(), WebsitePropertyKeys().size());
    EXPECT_EQ(Cli({"get", project, "rows"}).out, "150\n");
    EXPECT_NE(ReadFile(WebsiteSettingsPath(project)).find("\"box\": 150"), std::string::npos);

    // Unknown keys, bad values and odd arguments: exit 2 and neither file changes.
    const std::string before = Files();
    for (const std::vector<std::string>& mistake :
         std::vector<std::vector<std::string>>{{"set", project, "title=Kept", "rows=many"},
                                               {"set", project, "title=Kept", "colour=#FFFFFF"},
                                               {"set", project, "pictures.box=5"},
                                               {"set", project, "title"},
                                               {"set", project},
                                               {"set", (folder / "none.www").string(), "rows=1"},
                                               {"get", project, "colour"}}) {
        SCOPED_TRACE(mistake[2 % mistake.size()]);
        const CliResult refused = Cli(mistake);
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_FALSE(refused.err.empty());
        EXPECT_EQ(Files(), before);
    }
    EXPECT_FALSE(fs::exists(folder / "none.www"));

    // A project without a settings file gets one only when a key of it is set.
    ASSERT_EQ(Cli({"set", project, "pictures.thumbnails=false"}).exitCode, 0);
    fs::remove(WebsiteSettingsPath(project));
    ASSERT_EQ(Cli({"set", project, "title=Plain"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(WebsiteSettingsPath(project)));
    EXPECT_EQ(Cli({"get", project, "title"}).out, "Plain\n");
}

TEST_F(CliEditTest, CaptionDescribeMoveAndRemoveByPath) {
    {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        const CFolderKey holiday = tree.AddFolder(tree.RootKey(), "Holiday").key;
        const CFolderKey beach = tree.AddFolder(holiday, "Beach").key;
        tree.AddFolder(holiday, "Town");
        tree.AddItem(beach, "IMG_0001.JPG");
        tree.AddItem(beach, "IMG_0002.JPG");
        tree.AddItem(beach, "IMG_0003.JPG");
        ASSERT_TRUE(SaveProject(project, page, layout, tree));
    }
    struct Step {
        std::vector<std::string> arguments;
        int exitCode;
        std::string tree;  // after the step; "" when it is the tree before it
    };
    const Step steps[] = {
        {{"caption", "Holiday/Beach/IMG_0001.JPG", "Sunset"},
         0,
         "Index[]:\n>Holiday[]:\n>>Beach[]: Sunset[] IMG_0002.JPG[] IMG_0003.JPG[]\n>>Town[]:\n"},
        {{"describe", "Holiday/Beach/#2", "The harbour"},
         0,
         "Index[]:\n>Holiday[]:\n>>Beach[]: Sunset[] IMG_0002.JPG[The harbour] IMG_0003.JPG[]\n"
         ">>Town[]:\n"},
        {{"describe", "Holiday", "Summer 2026"},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Beach[]: Sunset[] IMG_0002.JPG[The harbour] "
         "IMG_0003.JPG[]\n>>Town[]:\n"},
        {{"move", "Holiday/Beach/#3", "1"},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Beach[]: IMG_0003.JPG[] Sunset[] IMG_0002.JPG[The "
         "harbour]\n>>Town[]:\n"},
        {{"move", "Holiday/Beach", "down"},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Town[]:\n>>Beach[]: IMG_0003.JPG[] Sunset[] "
         "IMG_0002.JPG[The harbour]\n"},
        {{"move", "Holiday/Beach/Sunset", "--into", "Holiday/Town"},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Town[]: Sunset[]\n>>Beach[]: IMG_0003.JPG[] "
         "IMG_0002.JPG[The harbour]\n"},
        {{"move", "Holiday/Beach", "--into", ""},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Town[]: Sunset[]\n>Beach[]: IMG_0003.JPG[] "
         "IMG_0002.JPG[The harbour]\n"},
        {{"remove", "Beach/#1"},
         0,
         "Index[]:\n>Holiday[Summer 2026]:\n>>Town[]: Sunset[]\n>Beach[]: IMG_0002.JPG[The "
         "harbour]\n"},
        {{"remove", "Holiday"}, 0, "Index[]:\n>Beach[]: IMG_0002.JPG[The harbour]\n"},
        // Missing paths, refused moves and removals: exit 2, nothing changed.
        {{"caption", "Holiday", "x"}, 2, ""},
        {{"caption", "Beach/#2", "x"}, 2, ""},
        {{"move", "Beach", "up"}, 2, ""},
        {{"move", "Beach/#1", "sideways"}, 2, ""},
        {{"move", "Beach", "--into", "Beach"}, 2, ""},
        {{"move", "", "--into", "Beach"}, 2, ""},
        {{"remove", ""}, 2, ""},
        {{"remove", "Nowhere/#1"}, 2, ""},
        {{"describe", "Beach"}, 2, ""},
    };
    for (const Step& step : steps) {
        std::vector<std::string> arguments{step.arguments.front(), project};
        arguments.insert(arguments.end(), step.arguments.begin() + 1, step.arguments.end());
        SCOPED_TRACE(arguments.front() + " " + arguments[2]);
        const std::string before = ReadFile(project);
        const std::string treeBefore = Tree();
        const CliResult run = Cli(arguments);
        EXPECT_EQ(run.exitCode, step.exitCode) << run.err;
        if (step.exitCode == 0) {
            EXPECT_EQ(Tree(), step.tree);
        } else {
            EXPECT_FALSE(run.err.empty());
            EXPECT_EQ(ReadFile(project), before);
            EXPECT_EQ(Tree(), treeBefore);
        }
    }
}

TEST_F(CliEditTest, ImportAsSiteMakesASubSiteOfEachFolder) {
    fs::create_directories(folder / "Holiday 2026" / "Beach");
    fs::create_directories(folder / "Documents");
    std::ofstream(folder / "Holiday 2026" / "a.jpg") << "a";
    std::ofstream(folder / "Holiday 2026" / "Beach" / "b.jpg") << "b";
    std::ofstream(folder / "Documents" / "c.pdf") << "c";
    std::ofstream(folder / "notes.txt") << "n";
    const CliResult run =
        Cli({"import", project, (folder / "Holiday 2026").string(),
             (folder / "Documents" / "").string(), (folder / "notes.txt").string(), "--as-site"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("Holiday 2026: 2 sub-sites and 2 items added"), std::string::npos)
        << run.out;
    EXPECT_EQ(Tree(),
              "Index[]: notes[]\n>Holiday 2026[]: a[]\n>>Beach[]: b[]\n"
              ">Documents[]: c[]\n");
    // Without it, the contents go into the root as they always did.
    ASSERT_EQ(Cli({"import", project, (folder / "Documents").string()}).exitCode, 0);
    EXPECT_NE(Tree().find("Index[]: notes[] c[]\n"), std::string::npos) << Tree();
}

TEST_F(CliEditTest, SortByCaptionFileNameAndDateTaken) {
    fs::create_directories(folder / "photos");
    std::ofstream(folder / "photos" / "IMG_10.JPG") << PhotoTakenAt("2026:07:14 09:30:00");
    std::ofstream(folder / "photos" / "IMG_2.JPG") << PhotoTakenAt("2026:07:15 08:00:00");
    std::ofstream(folder / "photos" / "IMG_1.JPG") << PhotoTakenAt("2025:12:24 18:00:00");
    std::ofstream(folder / "photos" / "menu.pdf") << "no date";
    fs::create_directories(folder / "photos" / "inner");
    std::ofstream(folder / "photos" / "inner" / "b9.txt") << "b";
    std::ofstream(folder / "photos" / "inner" / "B10.txt") << "a";
    // A project made by import captions its items by their names without extensions.
    ASSERT_EQ(Cli({"import", project, (folder / "photos").string()}).exitCode, 0);
    ASSERT_EQ(Cli({"caption", project, "#1", "zz"}).exitCode, 0);  // IMG_1.JPG
    const std::pair<std::vector<std::string>, std::string> steps[] = {
        {{"--by", "date"}, "Index[]: zz[] IMG_10[] IMG_2[] menu[]\n"},
        {{"--by", "name"}, "Index[]: zz[] IMG_2[] IMG_10[] menu[]\n"},
        {{}, "Index[]: IMG_2[] IMG_10[] menu[] zz[]\n"},
        {{"", "--by", "name", "--recursive"},
         "Index[]: zz[] IMG_2[] IMG_10[] menu[]\n>inner[]: b9[] B10[]\n"},
    };
    for (const auto& [options, tree] : steps) {
        std::vector<std::string> arguments{"sort", project};
        arguments.insert(arguments.end(), options.begin(), options.end());
        const CliResult run = Cli(arguments);
        ASSERT_EQ(run.exitCode, 0) << run.err;
        EXPECT_EQ(Tree().substr(0, tree.size()), tree);
    }
    const std::string before = ReadFile(project);
    for (const std::vector<std::string>& mistake :
         std::vector<std::vector<std::string>>{{"sort", project, "--by", "size"},
                                               {"sort", project, "nowhere"},
                                               {"sort", project, "#1"},
                                               {"sort", project, "--sideways"}})
        EXPECT_EQ(Cli(mistake).exitCode, 2) << mistake[2];
    EXPECT_EQ(ReadFile(project), before);
}

}  // namespace
