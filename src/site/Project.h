#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "LayoutOption.h"
#include "Outcome.h"
#include "PageOption.h"
#include "ProjectFile.h"
#include "ProjectLock.h"
#include "SiteTree.h"
#include "WebsiteSettings.h"

// What opening a project found.
struct ProjectOpenResult {
    LoadResult load;
    SettingsLoadResult settings;
    // The file's contents became the project (read whole, or a damaged tree read as far as it
    // goes); otherwise the project is as it was.
    bool replaced = false;
};

enum class ProjectSaveStatus {
    Saved,           // both files written (or the one asked for)
    SettingsFailed,  // the project file was written, its settings file was not
    Busy,            // another program kept the project locked; nothing written
    Cancelled,       // the wait for the lock, or a question, was cancelled; nothing written
    Failed           // the project file could not be written; the old one is whole
};

struct ProjectSaveResult : Outcome {
    ProjectSaveStatus status = ProjectSaveStatus::Failed;
    // The project file was written: it is now the project's file.
    bool projectWritten = false;
};

// How a save goes about its work, and the questions it may have to ask.
struct ProjectSaveOptions {
    CProjectLock::Options lock;
    bool writeProject = true;
    bool writeSettings = true;
    SettingsSave damagedSettings = SettingsSave::KeepDamaged;
    // Another program wrote these files (the project file first) since the project was opened
    // or last saved here: true overwrites them, false saves nothing. Unset: overwrite.
    std::function<bool(const std::vector<std::filesystem::path>& changed)> overwriteChanged;
    // The settings file found damaged when the project was opened would be written: what to do
    // with it, or nothing to save nothing. Unset: damagedSettings.
    std::function<std::optional<SettingsSave>()> replaceDamaged;
};

// For CProject::List: the website settings as read, before the first folder.
using ProjectListStart =
    std::function<void(const CWebsiteSettings& settings, const SettingsLoadResult& read)>;

// One website project as every front end opens, changes and saves it: the website tree,
// thePageOption and theLayoutOption, the website settings (NAME.www.json), the path of the
// project file and the stamps both files had when they were last read or written here.
//
// Reading and writing go through the project's lock (CProjectLock), so that a save never drops
// what another program (a second window, pagelorn-cli) saved meanwhile without anyone seeing
// it: the stamps tell whether a file was written by someone else since.
class CProject {
public:
    // A new project: the root "Index", default options and the settings a new project starts
    // with, untitled.
    CProject();
    // A copy of the records, options, settings, path and stamps, never the lock; it shares
    // nothing that can change with the original, so that it can be read on another thread
    // while the original is edited.
    CProject(const CProject& other);
    CProject& operator=(const CProject&) = delete;
    ~CProject();

    CSiteTree& Tree() { return tree; }
    const CSiteTree& Tree() const { return tree; }
    CPageOption& PageOption() { return thePageOption; }
    const CPageOption& PageOption() const { return thePageOption; }
    CLayoutOption& LayoutOption() { return theLayoutOption; }
    const CLayoutOption& LayoutOption() const { return theLayoutOption; }
    CWebsiteSettings& Settings() { return settings; }
    const CWebsiteSettings& Settings() const { return settings; }
    // The project file; empty while the project is untitled.
    const std::filesystem::path& Path() const { return path; }
    // The stamps of the project file and its settings file when they were last read or written
    // here (a file that was not there has a stamp that does not exist).
    const FileStamp& ProjectStamp() const { return projectStamp; }
    const FileStamp& SettingsStamp() const { return settingsStamp; }

    // A copy for a worker thread.
    std::shared_ptr<const CProject> Snapshot() const;

    // Starts over as a new project (the tree's folder counter goes on counting).
    void New();

    // Reads the project file and its settings file, with the lock held while reading when the
    // file can be locked (and it is not held already). A file read whole becomes the project
    // under its path; a damaged tree is kept as far as it could be read, untitled; a file of
    // which nothing can be used leaves the project as it was. The tree tells its observers of
    // the new project.
    ProjectOpenResult Open(const std::filesystem::path& file,
                           const CProjectLock::Options& lockOptions = {});
    // Reads the files as Open does, for a command that only lists the project: the folders are
    // handed to visit as they are read (ReadProjectFolders) and not kept; start is called once
    // before the first of them with the settings file's contents. When Open would have taken
    // the file, the project has its options and settings, the tree of a new project, and is
    // untitled.
    ProjectOpenResult List(const std::filesystem::path& file, const ProjectListStart& start,
                           const ProjectFolderVisitor& visit,
                           const CProjectLock::Options& lockOptions = {});
    // Locks `file` until the save or Unlock, for a command that reads and then rewrites a
    // project: no other program can save it in between.
    CProjectLock::Status Lock(const std::filesystem::path& file,
                              const CProjectLock::Options& options);
    const CProjectLock& HeldLock() const { return lock; }
    // Unlocks; a file the lock made and nothing was saved into is removed.
    void Unlock();

    // Whether saving under `file` would write over the settings file that was found damaged
    // when the project was opened.
    bool SettingsDamagedAt(const std::filesystem::path& file) const;

    // Saves under the project's own path; SaveAs under another. Both take the lock (unless it
    // is held), ask options.overwriteChanged when another program wrote the project's own files
    // since they were read here, write the project file atomically and then its settings file,
    // and release the lock. The file written becomes the project's file.
    ProjectSaveResult Save(const ProjectSaveOptions& options = {});
    ProjectSaveResult SaveAs(const std::filesystem::path& file,
                             const ProjectSaveOptions& options = {});

private:
    // Open and List: load(page, layout) reads the project file, take() puts its tree in place
    // and says whether the project now has the file whole.
    template <typename Load, typename Take>
    ProjectOpenResult Read(const std::filesystem::path& file,
                           const CProjectLock::Options& lockOptions, Load load, Take take);

    CSiteTree tree;
    CPageOption thePageOption;
    CLayoutOption theLayoutOption;
    CWebsiteSettings settings;
    std::filesystem::path path;
    FileStamp projectStamp;
    FileStamp settingsStamp;
    CProjectLock lock;
    std::filesystem::path locked;  // what the lock holds, while it is held
};
