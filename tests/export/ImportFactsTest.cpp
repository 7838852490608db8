// Titles and dates read from pictures that ImageMagick, exiftool and heif-enc make, and an import
// of a phone's folder through pagelorn-cli that captions, orders and picks by them.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <utility>

#include "ExportTestSupport.h"
#include "ImportFacts.h"
#include "ProjectFile.h"

namespace {

using exporttest::TempFolderTest;
namespace fs = std::filesystem;

class ImportFactsTest : public TempFolderTest {
protected:
    // Runs a shell command in the test's folder; false when it fails.
    bool Run(const std::string& command) const {
        return std::system(
                   ("cd '" + dir.string() + "' && (" + command + ") >/dev/null 2>&1").c_str()) == 0;
    }
    // A small JPEG with the tags exiftool is given ("-ImageDescription=Sea").
    void Photo(const std::string& name, const std::string& tags) {
        ASSERT_TRUE(Run("convert -size 64x48 xc:skyblue '" + name + "'" +
                        (tags.empty()
                             ? ""
                             : " && exiftool -q -overwrite_original " + tags + " '" + name + "'")));
    }
    // pagelorn-cli with the arguments: its exit status, and its output.
    std::pair<int, std::string> Cli(const std::string& arguments) const {
        const fs::path output = dir / "cli.txt";
        const int status = std::system((std::string(PAGELORN_CLI) + " " + arguments + " >'" +
                                        output.string() + "' 2>&1 </dev/null")
                                           .c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(output)};
    }
    void SetUp() override {
        TempFolderTest::SetUp();
        if (!Run("command -v convert && command -v exiftool"))
            GTEST_SKIP()
                << "ImageMagick's convert and exiftool (libimage-exiftool-perl) are needed";
    }
};

TEST_F(ImportFactsTest, TitlesAndDatesFromEachSource) {
    struct Case {
        const char* name;
        const char* tags;
        const char* title;
        const char* taken;
    };
    const Case cases[] = {
        {"desc.jpg", "-ImageDescription='Beach at noon' -DateTimeOriginal='2026:07:14 12:00:00'",
         "Beach at noon", "2026:07:14 12:00:00"},
        {"xp.jpg", "-XPTitle='Café ☀' -XMP-dc:Title='not this one'", "Café ☀", ""},
        {"xmp.jpg", "-XMP-dc:Title='Dunes & <sky>' -CreateDate='2025:12:31 23:59:59'",
         "Dunes & <sky>", "2025:12:31 23:59:59"},
        {"camera.jpg",
         "-ImageDescription='OLYMPUS DIGITAL CAMERA' -DateTimeOriginal='0000:00:00 00:00:00'", "",
         ""},
        {"iptc.jpg", "-IPTC:ObjectName='Old town' -IPTC:Caption-Abstract='Market day'",
         "Market day", ""},
        {"latin.jpg", "-charset exif=latin -ImageDescription='Garçon'", "Garçon", ""},
        {"plain.jpg", "", "", ""},
        {"red.png", "-ImageDescription=Red -DateTimeOriginal='2025:01:01 10:00:00'", "Red",
         "2025:01:01 10:00:00"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::string_view(c.name).ends_with(".png"))
            ASSERT_TRUE(Run(std::string("convert -size 8x8 xc:red ") + c.name +
                            " && exiftool -q -overwrite_original " + c.tags + " " + c.name));
        else
            Photo(c.name, c.tags);
        const ImportedFileFacts facts = ReadImportFacts(dir / c.name);
        EXPECT_EQ(facts.title, c.title);
        EXPECT_EQ(facts.taken, c.taken);
    }
    // What is no picture, or only named like one, has neither.
    Write("notes.txt", "Beach");
    fs::copy_file(dir / "desc.jpg", dir / "desc.txt");
    Write("fake.heic", "not a picture");
    for (const char* name : {"notes.txt", "desc.txt", "fake.heic", "missing.jpg"}) {
        const ImportedFileFacts facts = ReadImportFacts(dir / name);
        EXPECT_TRUE(facts.title.empty() && facts.taken.empty()) << name;
    }
    if (!Run("heif-enc -o desc.heic desc.jpg"))
        GTEST_SKIP() << "heif-enc (libheif-examples) cannot make a HEIC here";
    const ImportedFileFacts heic = ReadImportFacts(dir / "desc.heic");
    EXPECT_EQ(heic.title, "Beach at noon");
    EXPECT_EQ(heic.taken, "2026:07:14 12:00:00");
}

// A new project imports a phone's folder captioned by titles, in the order taken, without junk;
// an existing project without settings imports as it always did.
TEST_F(ImportFactsTest, CliImportOfAPhoneFolder) {
    fs::create_directories(dir / "phone/.thumbnails");
    Photo("phone/IMG_0002.JPG",
          "-ImageDescription='Harbour' -DateTimeOriginal='2026:07:13 08:00:00'");
    Photo("phone/IMG_0001.JPG", "-DateTimeOriginal='2026:07:14 09:00:00'");
    Photo("phone/.thumbnails/t.jpg", "");
    Write("phone/Café menü.txt", "menu");
    Write("phone/.DS_Store", "x");
    Write("phone/Thumbs.db", "x");

    const auto [status, output] =
        Cli("import '" + dir.string() + "/new.www' '" + dir.string() + "/phone'");
    ASSERT_EQ(status, 0) << output;
    EXPECT_NE(output.find("3 hidden or junk entries left out"), std::string::npos) << output;
    const auto captions = [&](const fs::path& project) {
        CPageOption page;
        CLayoutOption layout;
        CSiteTree tree;
        EXPECT_TRUE(LoadProject(project, page, layout, tree).IsComplete());
        std::vector<std::string> texts;
        for (const CSiteItem& item : tree.Root()->Folder().items)
            texts.push_back(item.caption.Str());
        return texts;
    };
    EXPECT_EQ(captions(dir / "new.www"),
              (std::vector<std::string>{"Harbour", "IMG_0001", "Café menü"}));

    ASSERT_EQ(Cli("new '" + dir.string() + "/old.www'").first, 0);
    fs::remove(dir / "old.www.json");
    ASSERT_EQ(Cli("import '" + dir.string() + "/old.www' '" + dir.string() + "/phone'").first, 0);
    EXPECT_EQ(captions(dir / "old.www"),
              (std::vector<std::string>{".DS_Store", "Café menü.txt", "IMG_0001.JPG",
                                        "IMG_0002.JPG", "Thumbs.db"}));
}

}  // namespace
