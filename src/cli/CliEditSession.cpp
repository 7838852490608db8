#include "CliEditSession.h"

#include <cstdio>
#include <system_error>

#include "CliCommands.h"
#include "CliOutput.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

int CEditSession::Read(const fs::path& file) {
    project = file;
    const ProjectOpenResult opened = website.Open(project);
    const LoadResult& loaded = opened.load;
    if (loaded.status == LoadStatus::WrongVersion)
        return Fail(Utf8FromPath(project) + ": " + loaded.message);
    if (loaded.status == LoadStatus::NotOpenable || loaded.status == LoadStatus::HeaderDamaged)
        return Fail(loaded.message);
    settingsRead = ReportSettings(opened.settings);
    return kExitOk;
}

int CEditSession::Open(const fs::path& file, const char* failureEnd) {
    project = file;
    nothingDone = failureEnd;
    std::error_code error;
    if (!fs::exists(fs::symlink_status(project, error)))
        return Fail(Quoted(Utf8FromPath(project)) + " does not exist.", nothingDone);
    CatchInterruptions();
    CProjectLock::Options options;
    options.cancel = &InterruptFlag();
    options.waiting = [&] {
        std::fprintf(stderr, "pagelorn-cli: waiting for another program to finish with %s...\n",
                     Printable(Quoted(Utf8FromPath(project))).c_str());
    };
    switch (website.Lock(project, options)) {
        case CProjectLock::Status::Locked:
            break;
        case CProjectLock::Status::Cancelled:
            return ReportInterruption(std::string(nothingDone));
        case CProjectLock::Status::Unlocked:
        case CProjectLock::Status::Busy:
        case CProjectLock::Status::Failed:
            return Fail(website.HeldLock().Message(), nothingDone);
    }
    // Removed while this one waited for the lock.
    if (website.HeldLock().CreatedFile()) {
        website.Unlock();
        return Fail(Quoted(Utf8FromPath(project)) + " does not exist.", nothingDone);
    }
    const ProjectOpenResult opened = website.Open(project);
    if (!opened.load.IsComplete())
        return Fail(opened.load.message, std::string(nothingDone) +
                                             " The project file is left as it is, so that "
                                             "nothing more of it is lost.");
    settingsRead = ReportSettings(opened.settings);
    return kExitOk;
}

int CEditSession::Refuse(std::string_view why) {
    return Fail(why, nothingDone);
}

int CEditSession::Save(std::string_view done) {
    if (Interrupted()) return ReportInterruption(std::string(nothingDone));
    ProjectSaveOptions options;
    options.writeProject = saveProject;
    options.writeSettings = saveSettings;
    const ProjectSaveResult saved = website.SaveAs(project, options);
    if (saveProject && !saved.projectWritten) return Fail(saved.message, nothingDone);
    if (saved.status == ProjectSaveStatus::SettingsFailed) {
        PrintMessage(saved.message);
        return saveProject ? kExitPartly : kExitFailed;
    }
    std::printf("%s\n", Printable(done).c_str());
    return kExitOk;
}
