#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Project.h"

namespace fs = std::filesystem;

namespace {

std::string Read(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

void Write(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class ProjectTest : public testing::Test {
protected:
    void SetUp() override {
        folder = fs::path(testing::TempDir()) / ("pagelorn_project_" + std::to_string(::getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    // A saved project with one sub-site, and the settings of a new project beside it.
    fs::path Saved(const std::string& name) {
        CProject project;
        project.Tree().AddFolder(project.Tree().RootKey(), "Photos");
        const fs::path file = folder / name;
        EXPECT_EQ(project.SaveAs(file).status, ProjectSaveStatus::Saved);
        return file;
    }

    fs::path folder;
};

TEST_F(ProjectTest, OpenReadsBothFilesWithTheirStampsAndKeepsTheProjectWhenNothingCanBeUsed) {
    const fs::path file = Saved("site.www");
    CProject project;
    const ProjectOpenResult opened = project.Open(file);
    ASSERT_TRUE(opened.replaced);
    EXPECT_TRUE(opened.load.IsComplete());
    EXPECT_EQ(opened.settings.status, SettingsLoadStatus::Read);
    EXPECT_EQ(project.Path(), file);
    EXPECT_EQ(project.Tree().Root()->Child(0)->Label(), "Photos");
    EXPECT_TRUE(project.Settings().pictures.thumbnails);
    EXPECT_EQ(project.ProjectStamp(), ReadFileStamp(file));
    EXPECT_EQ(project.SettingsStamp(), ReadFileStamp(WebsiteSettingsPath(file)));
    EXPECT_FALSE(fs::exists(folder / "missing.www"));

    // Neither a missing file (which the lock must not make) nor a foreign one costs the project.
    Write(folder / "foreign.www", "not a project");
    for (const fs::path& unusable : {folder / "missing.www", folder / "foreign.www"}) {
        SCOPED_TRACE(unusable.string());
        EXPECT_FALSE(project.Open(unusable).replaced);
        EXPECT_EQ(project.Path(), file);
        EXPECT_EQ(project.Tree().Root()->ChildCount(), 1u);
    }
    EXPECT_FALSE(fs::exists(folder / "missing.www"));

    // A tree damaged after its root is kept as far as it goes, untitled, so that no save writes
    // over what could not be read.
    const std::string bytes = Read(file);
    Write(folder / "cut.www", bytes.substr(0, bytes.size() - 3));
    const ProjectOpenResult cut = project.Open(folder / "cut.www");
    EXPECT_TRUE(cut.replaced);
    EXPECT_EQ(cut.load.status, LoadStatus::TreeDamaged);
    EXPECT_TRUE(project.Path().empty());
    EXPECT_FALSE(project.ProjectStamp().exists);

    // A project another program holds locked is read all the same once the wait is over.
    CProjectLock other;
    ASSERT_EQ(other.Acquire(file), CProjectLock::Status::Locked);
    CProjectLock::Options noWait;
    noWait.wait = std::chrono::milliseconds(0);
    EXPECT_TRUE(project.Open(file, noWait).load.IsComplete());
}

TEST_F(ProjectTest, SaveAsksBeforeOverwritingFilesAnotherProgramChangedAndWaitsForItsLock) {
    const fs::path file = Saved("site.www");
    const fs::path settingsFile = WebsiteSettingsPath(file);
    CProject project;
    ASSERT_TRUE(project.Open(file).load.IsComplete());
    project.Tree().AddFolder(project.Tree().RootKey(), "Mine");

    std::vector<std::vector<fs::path>> asked;
    bool overwrite = false;
    ProjectSaveOptions options;
    options.overwriteChanged = [&](const std::vector<fs::path>& changed) {
        asked.push_back(changed);
        return overwrite;
    };
    // Unchanged files are saved over without a question.
    ASSERT_EQ(project.Save(options).status, ProjectSaveStatus::Saved);
    EXPECT_TRUE(asked.empty());

    struct Case {
        const char* what;
        std::vector<fs::path> changed;
    };
    for (const Case& c : {Case{"the project file", {file}}, Case{"the settings", {settingsFile}},
                          Case{"both", {file, settingsFile}}}) {
        SCOPED_TRACE(c.what);
        asked.clear();
        for (const fs::path& changed : c.changed) {
            CProject other;
            ASSERT_TRUE(other.Open(file).load.IsComplete());
            other.Tree().AddFolder(other.Tree().RootKey(), "Theirs");
            ProjectSaveOptions projectOnly;
            projectOnly.writeSettings = false;
            if (changed == file)
                ASSERT_EQ(other.Save(projectOnly).status, ProjectSaveStatus::Saved);
            else
                Write(settingsFile, "{\"pagelorn\": 1}\n");
        }
        const std::string theirs = Read(file);
        const std::string theirSettings = Read(settingsFile);
        overwrite = false;
        const ProjectSaveResult refused = project.Save(options);
        EXPECT_EQ(refused.status, ProjectSaveStatus::Cancelled);
        EXPECT_FALSE(refused.projectWritten);
        ASSERT_EQ(asked.size(), 1u);
        EXPECT_EQ(asked.front(), c.changed);
        EXPECT_EQ(Read(file), theirs);
        EXPECT_EQ(Read(settingsFile), theirSettings);

        overwrite = true;
        EXPECT_EQ(project.Save(options).status, ProjectSaveStatus::Saved);
        EXPECT_EQ(asked.size(), 2u);
        EXPECT_EQ(project.ProjectStamp(), ReadFileStamp(file));
        EXPECT_EQ(project.SettingsStamp(), ReadFileStamp(settingsFile));
        CProject reread;
        reread.Open(file);
        EXPECT_EQ(reread.Tree().Root()->ChildCount(), 2u);  // Photos and Mine
    }

    // While another program holds the lock, nothing is written; afterwards the lock is free.
    {
        CProjectLock other;
        ASSERT_EQ(other.Acquire(file), CProjectLock::Status::Locked);
        const std::string before = Read(file);
        options.lock.wait = std::chrono::milliseconds(100);
        const ProjectSaveResult busy = project.Save(options);
        EXPECT_EQ(busy.status, ProjectSaveStatus::Busy);
        EXPECT_NE(busy.message.find("another program"), std::string::npos) << busy.message;
        EXPECT_EQ(Read(file), before);
    }
    EXPECT_EQ(project.Save(options).status, ProjectSaveStatus::Saved);
    CProjectLock after;
    EXPECT_EQ(after.Acquire(file), CProjectLock::Status::Locked);
}

TEST_F(ProjectTest, SaveAsMakesTheFileThePathAndReportsWhatCouldNotBeWritten) {
    CProject project;
    const fs::path file = folder / "new.www";
    const ProjectSaveResult saved = project.SaveAs(file);
    ASSERT_TRUE(saved.ok) << saved.message;
    EXPECT_EQ(project.Path(), file);
    EXPECT_TRUE(fs::is_regular_file(WebsiteSettingsPath(file)));

    // A file that cannot be written: nothing is left behind, the path stays.
    const ProjectSaveResult intoMissing = project.SaveAs(folder / "no" / "site.www");
    EXPECT_EQ(intoMissing.status, ProjectSaveStatus::Failed);
    EXPECT_FALSE(intoMissing.projectWritten);
    EXPECT_NE(intoMissing.message.find("no/site.www"), std::string::npos) << intoMissing.message;
    EXPECT_EQ(project.Path(), file);
    fs::create_directories(folder / "taken.www");
    EXPECT_EQ(project.SaveAs(folder / "taken.www").status, ProjectSaveStatus::Failed);
    EXPECT_EQ(project.Path(), file);

    // Settings that cannot be written: the project file is, and becomes the project's file.
    const fs::path other = folder / "other.www";
    fs::create_directories(WebsiteSettingsPath(other));
    const ProjectSaveResult half = project.SaveAs(other);
    EXPECT_EQ(half.status, ProjectSaveStatus::SettingsFailed);
    EXPECT_TRUE(half.projectWritten);
    EXPECT_FALSE(half.message.empty());
    EXPECT_EQ(project.Path(), other);

    // Only the part asked for is written.
    fs::remove(WebsiteSettingsPath(file));
    ProjectSaveOptions projectOnly;
    projectOnly.writeSettings = false;
    EXPECT_EQ(project.SaveAs(file, projectOnly).status, ProjectSaveStatus::Saved);
    EXPECT_FALSE(fs::exists(WebsiteSettingsPath(file)));
}

TEST_F(ProjectTest, ADamagedSettingsFileIsReplacedOnlyWhenTheCallerAgrees) {
    const fs::path file = Saved("site.www");
    const fs::path settingsFile = WebsiteSettingsPath(file);
    Write(settingsFile, "{ damaged");
    CProject project;
    ASSERT_EQ(project.Open(file).settings.status, SettingsLoadStatus::Damaged);
    EXPECT_TRUE(project.SettingsDamagedAt(file));
    EXPECT_FALSE(project.SettingsDamagedAt(folder / "elsewhere.www"));

    std::optional<SettingsSave> answer;
    int questions = 0;
    ProjectSaveOptions options;
    options.replaceDamaged = [&] {
        ++questions;
        return answer;
    };
    const std::string before = Read(file);
    EXPECT_EQ(project.Save(options).status, ProjectSaveStatus::Cancelled);
    EXPECT_EQ(Read(file), before);

    answer = SettingsSave::KeepDamaged;
    EXPECT_EQ(project.Save(options).status, ProjectSaveStatus::Saved);
    EXPECT_EQ(Read(settingsFile), "{ damaged");

    // Without a question the damaged file stays and the save says so.
    EXPECT_EQ(project.Save().status, ProjectSaveStatus::SettingsFailed);
    EXPECT_EQ(Read(settingsFile), "{ damaged");

    answer = SettingsSave::OverwriteDamaged;
    EXPECT_EQ(project.Save(options).status, ProjectSaveStatus::Saved);
    EXPECT_EQ(questions, 3);
    EXPECT_FALSE(project.SettingsDamagedAt(file));
    CProject reread;
    EXPECT_EQ(reread.Open(file).settings.status, SettingsLoadStatus::Read);
}

TEST_F(ProjectTest, ASnapshotSharesNothingThatChangesAndNewStartsOver) {
    CProject project;
    const CFolderKey photos = project.Tree().AddFolder(project.Tree().RootKey(), "Photos").key;
    project.PageOption().header = "head";
    const std::shared_ptr<const CProject> snapshot = project.Snapshot();
    project.Tree().RenameFolder(photos, "Renamed");
    project.PageOption().header = "changed";
    project.Settings().pictures.box = 99;
    EXPECT_EQ(snapshot->Tree().Root()->Child(0)->Label(), "Photos");
    EXPECT_EQ(snapshot->PageOption().header, "head");
    EXPECT_NE(snapshot->Settings().pictures.box, 99);

    ASSERT_TRUE(project.SaveAs(folder / "site.www").ok);
    project.New();
    EXPECT_EQ(project.Tree().Root()->ChildCount(), 0u);
    EXPECT_TRUE(project.Path().empty());
    EXPECT_FALSE(project.ProjectStamp().exists);
    EXPECT_TRUE(project.PageOption().header.empty());
    EXPECT_TRUE(project.Settings().pictures.thumbnails);
}

}  // namespace
