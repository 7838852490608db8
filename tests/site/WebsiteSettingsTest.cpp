#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "WebsiteSettings.h"

namespace fs = std::filesystem;

namespace {

class WebsiteSettingsTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) /
                 ("pagelorn_settings_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        project = folder / "site.www";
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string Read(const fs::path& path) {
        std::ifstream stream(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(stream),
                           std::istreambuf_iterator<char>());
    }
    void WriteSettings(const std::string& text) const {
        std::ofstream(WebsiteSettingsPath(project), std::ios::binary) << text;
    }

    fs::path folder;
    fs::path project;
};

TEST_F(WebsiteSettingsTest, MissingFileMeansEveryKeyOffAndRewritingKeepsUnknownKeys) {
    CWebsiteSettings settings = CWebsiteSettings::ForNewProject();
    EXPECT_EQ(LoadWebsiteSettings(project, settings).status, SettingsLoadStatus::Missing);
    EXPECT_FALSE(settings.pictures.thumbnails);
    EXPECT_FALSE(settings.pictures.modernTypes);
    EXPECT_EQ(settings.pages.style, PageStyle::Classic);
    EXPECT_TRUE(CWebsiteSettings::ForNewProject().pictures.thumbnails);
    EXPECT_EQ(CWebsiteSettings::ForNewProject().pages.style, PageStyle::Modern);

    WriteSettings(R"({ "pagelorn": 1, "later": {"keep": [1, 2]},
                       "pictures": { "box": 120, "thumbnails": true, "sharpen": 0.5 } })");
    ASSERT_EQ(LoadWebsiteSettings(project, settings).status, SettingsLoadStatus::Read);
    EXPECT_TRUE(settings.pictures.thumbnails);
    EXPECT_EQ(settings.pictures.box, 120);
    EXPECT_EQ(settings.pictures.density, 2);  // absent keys keep their defaults
    settings.pictures.quality = 70;
    ASSERT_TRUE(SaveWebsiteSettings(project, settings));

    const std::string written = Read(WebsiteSettingsPath(project));
    EXPECT_NE(written.find("\"later\""), std::string::npos) << written;
    EXPECT_NE(written.find("\"sharpen\": 0.5"), std::string::npos) << written;
    CWebsiteSettings reread;
    ASSERT_EQ(LoadWebsiteSettings(project, reread).status, SettingsLoadStatus::Read);
    EXPECT_EQ(reread, settings);
    EXPECT_EQ(reread.pictures.quality, 70);
    EXPECT_EQ(reread.pages.style, PageStyle::Classic);

    // The style and the view size are read, and written back as they were set.
    WriteSettings(
        R"({ "pages": { "style": "modern", "later": true }, "pictures": { "view": 0 } })");
    ASSERT_EQ(LoadWebsiteSettings(project, settings).status, SettingsLoadStatus::Read);
    EXPECT_EQ(settings.pages.style, PageStyle::Modern);
    EXPECT_EQ(settings.pictures.view, 0);
    settings.pages.style = PageStyle::Classic;
    ASSERT_TRUE(SaveWebsiteSettings(project, settings));
    ASSERT_EQ(LoadWebsiteSettings(project, reread).status, SettingsLoadStatus::Read);
    EXPECT_EQ(reread, settings);
    EXPECT_NE(Read(WebsiteSettingsPath(project)).find("\"later\": true"), std::string::npos);
    EXPECT_EQ(written.find("\"publish\""), std::string::npos) << written;

    // The publish address is kept with the keys beside it; clearing it removes only the address.
    WriteSettings(R"({ "publish": { "url": "sftp://ann@example.org/www", "later": 1 } })");
    ASSERT_EQ(LoadWebsiteSettings(project, settings).status, SettingsLoadStatus::Read);
    EXPECT_EQ(settings.publish.url, "sftp://ann@example.org/www");
    settings.publish.url.clear();
    ASSERT_TRUE(SaveWebsiteSettings(project, settings));
    EXPECT_EQ(LoadWebsiteSettings(project, reread).status, SettingsLoadStatus::Read);
    EXPECT_EQ(reread.publish.url, "");
    EXPECT_NE(Read(WebsiteSettingsPath(project)).find("\"later\": 1"), std::string::npos);
}

TEST_F(WebsiteSettingsTest, DamagedFileIsReportedWithItsLineAndKeptUntilTheUserAgrees) {
    struct Case {
        const char* text;
        std::size_t line;
        const char* reason;
    };
    const Case cases[] = {
        {"{\n  \"pictures\": {\n    \"box\": 100,\n  }\n}\n", 4,
         "there is \"}\" where a name or text in double quotes belongs"},
        {"{\n  \"pictures\": {\n    \"quality\": 300\n  }\n}\n", 3, "\"quality\" must be"},
        {"{\n  \"pictures\": {\n    \"thumbnails\": \"yes\"\n  }\n}\n", 3, "true or false"},
        {"[1, 2]", 1, "JSON object"},
        {"{\n  \"pages\": {\n    \"style\": \"fancy\"\n  }\n}\n", 3, "\"classic\" or \"modern\""},
        {"{\n  \"pages\": 1\n}\n", 2, "\"pages\" must be an object"},
        {"{\n  \"pictures\": {\n    \"view\": -1\n  }\n}\n", 3, "\"view\" must be"},
        {"{\n  \"publish\": \"sftp://h/www\"\n}\n", 2, "\"publish\" must be an object"},
        {"{\n\n  \"publish\": {\"url\": 7}\n}\n", 3, "\"url\" must be a text"},
    };
    for (const Case& c : cases) {
        WriteSettings(c.text);
        CWebsiteSettings settings = CWebsiteSettings::ForNewProject();
        const SettingsLoadResult result = LoadWebsiteSettings(project, settings);
        ASSERT_EQ(result.status, SettingsLoadStatus::Damaged) << c.text;
        EXPECT_NE(result.message.find(WebsiteSettingsPath(project).string()), std::string::npos);
        EXPECT_NE(result.message.find("line " + std::to_string(c.line) + ","), std::string::npos)
            << result.message;
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
        EXPECT_EQ(settings.pictures, CPictureSettings{});
        EXPECT_EQ(settings.pages.style, PageStyle::Classic);

        // Saving over the damaged file needs the user's agreement; another name does not.
        const SettingsSaveResult kept = SaveWebsiteSettings(project, settings);
        EXPECT_FALSE(kept.ok);
        EXPECT_TRUE(kept.refusedDamaged);
        EXPECT_EQ(Read(WebsiteSettingsPath(project)), c.text);
        const fs::path other = folder / "copy.www";
        EXPECT_TRUE(SaveWebsiteSettings(other, settings));
        EXPECT_TRUE(fs::exists(WebsiteSettingsPath(other)));
        ASSERT_TRUE(SaveWebsiteSettings(project, settings, SettingsSave::OverwriteDamaged));
        EXPECT_TRUE(settings.DamagedFile().empty());
        EXPECT_EQ(LoadWebsiteSettings(project, settings).status, SettingsLoadStatus::Read);
    }
}

// Nothing in a settings file stops the program: every refusal is a damaged file.
TEST_F(WebsiteSettingsTest, HostileFilesAreReportedAsDamaged) {
    const auto nested = [](int levels, const std::string& inner) {
        return "{\"later\": " + std::string(static_cast<std::size_t>(levels - 1), '[') + inner +
               std::string(static_cast<std::size_t>(levels - 1), ']') + "}";
    };
    struct Case {
        std::string text;
        const char* reason;  // nullptr: the file is read
    };
    const Case cases[] = {
        {R"({"later": {"x": 1e999}})", "number overflow"},
        {R"({"pictures": {"box": -1e400}})", "number overflow"},
        {R"({"pictures": {"box": 18446744073709551615}})", "\"box\" must be"},
        {R"({"pictures": {"maxMegapixels": 0}})", "\"maxMegapixels\" must be"},
        {nested(kMaxSettingsNesting, "1"), nullptr},
        {nested(kMaxSettingsNesting + 1, "1"), "deeper than 64 levels"},
        {nested(kMaxSettingsNesting, "{}"), "deeper than 64 levels"},
        {std::string(100000, '['), "deeper than 64 levels"},
        {"{}" + std::string(kMaxSettingsFileSize - 2, ' '), nullptr},
        {"{}" + std::string(kMaxSettingsFileSize - 1, ' '), "larger than 1 MiB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        WriteSettings(c.text);
        CWebsiteSettings settings = CWebsiteSettings::ForNewProject();
        const SettingsLoadResult result = LoadWebsiteSettings(project, settings);
        if (c.reason == nullptr) {
            EXPECT_EQ(result.status, SettingsLoadStatus::Read) << result.message;
            continue;
        }
        ASSERT_EQ(result.status, SettingsLoadStatus::Damaged);
        EXPECT_NE(result.message.find(c.reason), std::string::npos) << result.message;
        EXPECT_EQ(settings.pictures, CPictureSettings{});
        EXPECT_EQ(ParseWebsiteSettings(c.text, "x", settings).status, SettingsLoadStatus::Damaged);
    }
}

TEST_F(WebsiteSettingsTest, PictureSizeLimitIsReadAndWritten) {
    CWebsiteSettings settings;
    EXPECT_EQ(settings.pictures.maxMegapixels, 100);
    ASSERT_EQ(ParseWebsiteSettings(R"({"pictures": {"maxMegapixels": 12}})", "x", settings).status,
              SettingsLoadStatus::Read);
    EXPECT_EQ(settings.pictures.maxMegapixels, 12);
    CWebsiteSettings reread;
    ASSERT_EQ(ParseWebsiteSettings(settings.ToJson(), "x", reread).status,
              SettingsLoadStatus::Read);
    EXPECT_EQ(reread, settings);
}

TEST_F(WebsiteSettingsTest, ImportSettingsAreReadWrittenAndChecked) {
    CWebsiteSettings settings;
    EXPECT_EQ(settings.importing, CImportSettings{});
    EXPECT_EQ(
        CWebsiteSettings::ForNewProject().importing,
        (CImportSettings{CImportSettings::Caption::Title, CImportSettings::Order::Date, true}));
    ASSERT_EQ(
        ParseWebsiteSettings(R"({"import": {"caption": "name", "order": "date"}})", "x", settings)
            .status,
        SettingsLoadStatus::Read);
    EXPECT_EQ(settings.importing, (CImportSettings{CImportSettings::Caption::Name,
                                                   CImportSettings::Order::Date, false}));
    CWebsiteSettings reread;
    ASSERT_EQ(ParseWebsiteSettings(settings.ToJson(), "x", reread).status,
              SettingsLoadStatus::Read);
    EXPECT_EQ(reread, settings);
    const char* damaged[][2] = {
        {R"({"import": {"caption": "Title"}})",
         "\"caption\" must be \"file\", \"name\" or \"title\""},
        {"{\"import\": {\n\"order\": 1}}",
         "line 2, cannot be used: \"order\" must be \"name\" or \"date\""},
        {R"({"import": {"skip": "yes"}})", "\"skip\" must be true or false"},
        {R"({"import": []})", "\"import\" must be an object"},
    };
    for (const auto& [text, reason] : damaged) {
        const SettingsLoadResult result = ParseWebsiteSettings(text, "x", settings);
        ASSERT_EQ(result.status, SettingsLoadStatus::Damaged) << text;
        EXPECT_NE(result.message.find(reason), std::string::npos) << result.message;
        EXPECT_EQ(settings.importing, CImportSettings{});
    }
}

}  // namespace

TEST(WebsiteSettingsWords, ParserMessagesInPlainWords) {
    const std::pair<const char*, const char*> cases[] = {
        {"{\"a\": 1,}",
         "at column 9, there is \"}\" where a name or text in double quotes belongs"},
        {"{\"a\": tru}",
         "at column 10, a value is misspelt (values are numbers, true, false, or "
         "text in double quotes)."},
        {"{\"a\": 1", "at column 8, the file ends too early"},
        {"{\"a\" 1}", "at column 6, there is a number where \":\" belongs"},
        {"{\"a\": \"x", "a text in double quotes is not closed"},
    };
    for (const auto& [text, words] : cases) {
        CWebsiteSettings settings;
        const SettingsLoadResult result = ParseWebsiteSettings(text, "site.www.json", settings);
        EXPECT_NE(result.message.find(words), std::string::npos) << result.message;
        for (const char* jargon : {"json.exception", "syntax error", "literal", "parse error"})
            EXPECT_EQ(result.message.find(jargon), std::string::npos) << result.message;
    }
}
