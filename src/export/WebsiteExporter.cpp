#include "WebsiteExporter.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "Charset.h"
#include "ExportDigest.h"
#include "ExportPlan.h"
#include "FileWrite.h"
#include "Utf8Path.h"

namespace fs = std::filesystem;

namespace {

// The sentence that ends an export: what it wrote, what was up to date and what it deleted.
std::string Summary(const ExportResult& result, const std::string& shown, bool thumbnails,
                    const std::string& charset, const CPageOption& pageOption) {
    std::string counts = std::to_string(result.pagesWritten) + " pages written, " +
                         std::to_string(result.filesCopied) + " files copied, " +
                         (thumbnails ? std::to_string(result.thumbnailsMade) + " thumbnails made, "
                                     : std::string()) +
                         std::to_string(result.failures.size()) + " failures";
    // A first export has nothing up to date; saying so would only lengthen the line.
    if (result.pagesUpToDate + result.filesUpToDate + result.thumbnailsUpToDate > 0)
        counts += "; " + std::to_string(result.pagesUpToDate) + " pages" +
                  (thumbnails ? ", " : " and ") + std::to_string(result.filesUpToDate) + " files" +
                  (thumbnails ? " and " + std::to_string(result.thumbnailsUpToDate) + " thumbnails"
                              : std::string()) +
                  " were up to date";
    if (result.entriesDeleted > 0)
        counts += "; " + std::to_string(result.entriesDeleted) +
                  (result.entriesDeleted == 1 ? " old file or folder" : " old files and folders") +
                  " deleted";
    // Stopped half-way, a full export leaves less than it found: it says so.
    if (result.status == ExportStatus::Stopped && result.entriesCleared > 0)
        counts += "; " + std::to_string(result.entriesCleared) +
                  (result.entriesCleared == 1 ? " file or folder" : " files and folders") +
                  " of the previous export had been deleted";
    std::string message = result.status == ExportStatus::Stopped
                              ? "The export to " + shown + " was stopped: " + counts + "."
                              : "Exported to " + shown + ": " + counts + ".";
    if (charset != pageOption.saveEncoding.View())
        message += " The charset " + pageOption.saveEncoding.Str() +
                   " is not known: the pages were written and declared in UTF-8.";
    return message;
}

PageHash InputsDigest(const ExportParameters& parameters, const fs::path& folder) {
    // Relative links of a project never saved are found from wherever the program runs.
    return parameters.projectFile.empty() ? PageHash{} : ExportInputsDigest(parameters, folder);
}

std::optional<ExportShortcut> UnchangedExport(const ExportParameters& parameters,
                                              const ExportFolderCheck& check,
                                              const CFolderHandle& handle, const PageHash& inputs) {
    if (check.state != ExportFolderState::NotEmpty || !check.seen) return std::nullopt;
    return ConfirmUnchangedExport(handle, check.folder, ExportCacheProject(parameters.projectFile),
                                  CombinedDigest(inputs, check.seen->Digest()));
}

}  // namespace

bool IsUnchangedExport(const ExportParameters& parameters, const ExportFolderCheck& check) {
    std::error_code error;
    const CFolderHandle handle = CFolderHandle::Open(check.folder, error);
    return handle.IsOpen() &&
           UnchangedExport(parameters, check, handle, InputsDigest(parameters, check.folder));
}

ExportResult ExportWebsite(const ExportParameters& parameters) {
    ExportResult result;
    result.exportFolder = parameters.exportFolder;
    if (!parameters.tree.Root()) {
        result.status = ExportStatus::NoRoot;
        result.message = "The website has no root folder; nothing was exported.";
        return result;
    }

    CFolderHandle handle;
    bool busy = false;
    // A website whose inputs are those its record was made for is most likely unchanged: the
    // check then only digests the linked files instead of keeping what it saw of each for a plan
    // (a million of them take hundreds of megabytes).
    PageHash inputs{};
    fs::path inputsFolder;
    const auto keepSources = [&](const fs::path& checked) {
        inputs = InputsDigest(parameters, checked);
        inputsFolder = checked;
        // A plan made already needs nothing of what the check sees.
        if (parameters.knownPlan) return false;
        if (parameters.full || inputs == PageHash{}) return true;
        const std::optional<PageHash> recorded =
            RecordedInputs(checked, ExportCacheProject(parameters.projectFile));
        return !recorded || *recorded != inputs;
    };
    ExportFolderCheck check = InspectExportFolder(parameters, handle, true, busy, keepSources);
    if (check.state == ExportFolderState::Missing) {
        std::error_code error;
        fs::create_directories(check.folder, error);
        if (error) {
            result.exportFolder = check.folder;
            result.status = ExportStatus::FolderNotMade;
            result.message = Utf8FromPath(check.folder) + " could not be made: " + error.message();
            return result;
        }
        check = InspectExportFolder(parameters, handle, true, busy, keepSources);
    }
    if (!check.folder.empty()) result.exportFolder = check.folder;
    const fs::path& folder = result.exportFolder;
    const std::string shown = Utf8FromPath(folder);
    switch (check.state) {
        case ExportFolderState::Refused:
            result.status = ExportStatus::Refused;
            result.message = check.message;
            return result;
        case ExportFolderState::Unusable:
            result.status = busy ? ExportStatus::Busy : ExportStatus::FolderNotMade;
            result.message = check.message;
            return result;
        case ExportFolderState::Missing:
            result.status = ExportStatus::FolderNotMade;
            result.message = shown + " could not be made: it went missing at once.";
            return result;
        case ExportFolderState::NotEmpty:
            if (!parameters.clearExistingFolder) {
                result.status = ExportStatus::NotCleared;
                result.message = shown + " is not empty and was left as it is.";
                return result;
            }
            break;
        case ExportFolderState::Empty:
            break;
    }
    // Found out before anything is deleted, instead of as one failure per page.
    if (const std::string problem = NewFileProblem(handle); !problem.empty()) {
        result.status = ExportStatus::FolderNotMade;
        result.message = shown + " cannot be written: " + problem + "; nothing was exported.";
        return result;
    }
    result.rootPage = folder / kRootPageFileName;

    // A folder the last run left complete, for the same inputs, is proved up to date by one look
    // at each file, without a plan.
    if (inputsFolder != folder) inputs = InputsDigest(parameters, folder);
    if (!parameters.full) {
        const std::optional<ExportShortcut> unchanged =
            UnchangedExport(parameters, check, handle, inputs);
        if (unchanged) {
            result.unchanged = true;
            result.pagesUpToDate = unchanged->pages;
            result.filesUpToDate = unchanged->files;
            result.thumbnailsUpToDate = unchanged->thumbnails;
            result.message = Summary(result, shown, parameters.pictures.thumbnails,
                                     PageCharset(parameters.pageOption.saveEncoding.View()),
                                     parameters.pageOption);
            return result;
        }
    }

    // What is wrong with the website is the check's to show; the export writes what it can.
    const ExportPlan* known = parameters.knownPlan.get();
    ExportPlan plan = known != nullptr && !known->stopped && known->exportFolder == check.folder &&
                              known->folderCheck.state == check.state
                          ? std::move(*parameters.knownPlan)
                          : BuildExportPlan(parameters, &check, false);
    if (plan.stopped) {
        result.status = ExportStatus::Stopped;
        result.message = "The export to " + shown + " was stopped before anything was written.";
        return result;
    }
    // A folder that held nothing, or was cleared, needs no comparing.
    bool fresh = check.state != ExportFolderState::NotEmpty;
    if (parameters.full && !fresh) {
        result.failures = ClearFolder(handle, folder, true, &result.entriesCleared);
        fresh = true;
    }
    const bool thumbnails = plan.pictures.thumbnails;
    const std::string charset = plan.charset;
    const PageHash digest = CombinedDigest(inputs, plan.sourcesDigest);
    CarryOutExportPlan(std::move(plan),
                       {.threads = parameters.threads,
                        .cancel = parameters.cancel,
                        .progress = parameters.progress,
                        .digest = digest,
                        .inputs = inputs},
                       fresh, handle, result);
    result.message = Summary(result, shown, thumbnails, charset, parameters.pageOption);
    return result;
}
