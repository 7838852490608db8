#include "Project.h"

#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

bool IsFile(const fs::path& file) {
    std::error_code error;
    return fs::is_regular_file(file, error);
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code error;
    return a == b || fs::equivalent(a, b, error);
}

}  // namespace

CProject::CProject() : settings(CWebsiteSettings::ForNewProject()) {}

CProject::CProject(const CProject& other)
    : tree(other.tree),
      thePageOption(other.thePageOption),
      theLayoutOption(other.theLayoutOption),
      settings(other.settings),
      path(other.path),
      projectStamp(other.projectStamp),
      settingsStamp(other.settingsStamp) {}

CProject::~CProject() = default;

std::shared_ptr<const CProject> CProject::Snapshot() const {
    return std::make_shared<const CProject>(*this);
}

void CProject::New() {
    tree.NewProject();
    thePageOption.Reset(true);
    theLayoutOption.Reset();
    settings = CWebsiteSettings::ForNewProject();
    path.clear();
    projectStamp = {};
    settingsStamp = {};
}

CProjectLock::Status CProject::Lock(const fs::path& file, const CProjectLock::Options& options) {
    locked.clear();
    const CProjectLock::Status status = lock.Acquire(file, options);
    if (status == CProjectLock::Status::Locked) locked = file;
    return status;
}

void CProject::Unlock() {
    lock.RemoveUnusedFile();
    locked.clear();
}

template <typename Load, typename Take>
ProjectOpenResult CProject::Read(const fs::path& file, const CProjectLock::Options& lockOptions,
                                 Load load, Take take) {
    // Only a file that is there is locked: the lock would make a missing one (and one removed
    // meanwhile is removed again). A lock that cannot be had leaves the reading as it always
    // was; files are replaced whole, never rewritten in place, so what is read is one version or
    // the other.
    CProjectLock reading;
    if (locked != file && IsFile(file) &&
        reading.Acquire(file, lockOptions) == CProjectLock::Status::Locked && reading.CreatedFile())
        reading.RemoveUnusedFile();
    const FileStamp fileStamp = ReadFileStamp(file);
    const FileStamp settingsFileStamp = ReadFileStamp(WebsiteSettingsPath(file));

    // The files are read into a project of their own first, so that a file of which nothing can
    // be used does not cost the project that is open. The settings come first: a listing prints
    // them before the folders it is handed while the project file is read.
    ProjectOpenResult result;
    CWebsiteSettings loadedSettings;
    const SettingsLoadResult settingsRead = LoadWebsiteSettings(file, loadedSettings);
    CPageOption page;
    CLayoutOption layout;
    result.load = load(page, layout, loadedSettings, settingsRead);
    if (!result.load.IsComplete() && result.load.status != LoadStatus::TreeDamaged) return result;
    result.settings = settingsRead;
    reading.Release();

    const bool whole = take();
    thePageOption = std::move(page);
    theLayoutOption = layout;
    settings = std::move(loadedSettings);
    result.replaced = true;
    // Saving over a file that was not read whole would lose what could not be read: such a
    // project goes on untitled.
    path = whole ? file : fs::path();
    projectStamp = whole ? fileStamp : FileStamp{};
    settingsStamp = settingsFileStamp;
    return result;
}

ProjectOpenResult CProject::Open(const fs::path& file, const CProjectLock::Options& lockOptions) {
    CSiteTree loaded;
    bool complete = false;
    return Read(
        file, lockOptions,
        [&](CPageOption& page, CLayoutOption& layout, const CWebsiteSettings&,
            const SettingsLoadResult&) {
            LoadResult load = LoadProject(file, page, layout, loaded);
            complete = load.IsComplete();
            return load;
        },
        [&] {
            tree.Swap(loaded);
            return complete;
        });
}

ProjectOpenResult CProject::List(const fs::path& file, const ProjectListStart& start,
                                 const ProjectFolderVisitor& visit,
                                 const CProjectLock::Options& lockOptions) {
    return Read(
        file, lockOptions,
        [&](CPageOption& page, CLayoutOption& layout, const CWebsiteSettings& read,
            const SettingsLoadResult& settingsRead) {
            bool started = false;
            return ReadProjectFolders(file, page, layout,
                                      [&](const CSiteFolder& folder, std::size_t depth) {
                                          if (!started) start(read, settingsRead);
                                          started = true;
                                          visit(folder, depth);
                                      });
        },
        [this] {
            tree.NewProject();
            return false;
        });
}

bool CProject::SettingsDamagedAt(const fs::path& file) const {
    const fs::path& damaged = settings.DamagedFile();
    return !damaged.empty() && SameFile(WebsiteSettingsPath(file), damaged);
}

ProjectSaveResult CProject::Save(const ProjectSaveOptions& options) {
    return SaveAs(path, options);
}

ProjectSaveResult CProject::SaveAs(const fs::path& file, const ProjectSaveOptions& options) {
    ProjectSaveResult result;
    if (file.empty()) {
        result.message = "The project has no file to be saved in yet.";
        return result;
    }
    // Held from here to the end of the save. A lock that cannot be taken at all (no such folder)
    // leaves the reason to the write.
    if (locked != file) {
        switch (Lock(file, options.lock)) {
            case CProjectLock::Status::Busy:
                result.status = ProjectSaveStatus::Busy;
                result.message = lock.Message();
                return result;
            case CProjectLock::Status::Cancelled:
                result.status = ProjectSaveStatus::Cancelled;
                return result;
            case CProjectLock::Status::Unlocked:
            case CProjectLock::Status::Locked:
            case CProjectLock::Status::Failed:
                break;
        }
    }
    // Whatever happens below, the lock goes with the save; a file it made for nothing goes too.
    struct Release {
        CProject& project;
        bool written = false;
        ~Release() {
            if (!written) project.lock.RemoveUnusedFile();
            project.lock.Release();
            project.locked.clear();
        }
    } release{*this};

    // Another program (a second window, pagelorn-cli) may have saved over the project's own
    // files since they were read here; saving now would drop what it wrote unseen. The settings
    // file counts as much as the project file: it holds settings of the same website.
    if (file == path && !lock.CreatedFile()) {
        std::vector<fs::path> changed;
        const fs::path settingsFile = WebsiteSettingsPath(file);
        for (const auto& [onDiskPath, stamp] :
             {std::pair{file, projectStamp}, std::pair{settingsFile, settingsStamp}}) {
            const FileStamp onDisk = ReadFileStamp(onDiskPath);
            if (onDisk.exists && onDisk != stamp) changed.push_back(onDiskPath);
        }
        if (!changed.empty() && options.overwriteChanged && !options.overwriteChanged(changed)) {
            result.status = ProjectSaveStatus::Cancelled;
            return result;
        }
    }
    SettingsSave damagedSettings = options.damagedSettings;
    bool keepDamaged = false;  // the user chose to leave the damaged settings file alone
    if (options.writeSettings && options.replaceDamaged && SettingsDamagedAt(file)) {
        const std::optional<SettingsSave> answer = options.replaceDamaged();
        if (!answer) {
            result.status = ProjectSaveStatus::Cancelled;
            return result;
        }
        damagedSettings = *answer;
        keepDamaged = damagedSettings == SettingsSave::KeepDamaged;
    }

    if (options.writeProject) {
        Outcome written = SaveProject(file, thePageOption, theLayoutOption, tree);
        if (!written) {
            result.status = ProjectSaveStatus::Failed;
            result.message = std::move(written.message);
            return result;
        }
        release.written = true;
        result.projectWritten = true;
        path = file;
        projectStamp = ReadFileStamp(file);
    }
    if (options.writeSettings) {
        const SettingsSaveResult saved = SaveWebsiteSettings(file, settings, damagedSettings);
        settingsStamp = ReadFileStamp(WebsiteSettingsPath(file));
        // A damaged file kept as the user asked is no failure of the save.
        if (!saved && !(saved.refusedDamaged && keepDamaged)) {
            result.status = ProjectSaveStatus::SettingsFailed;
            result.message = saved.message;
            return result;
        }
    }
    result.status = ProjectSaveStatus::Saved;
    result.ok = true;
    return result;
}
