#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ExportFailure.h"

// What an export reports: its progress while it runs and its result when it ends.

struct ExportProgress {
    std::size_t pagesDone = 0;  // written, up to date or failed
    std::size_t pagesTotal = 0;
    std::size_t pagesUpToDate = 0;   // of those done: the file there had the page's bytes
    std::size_t filesDone = 0;       // copied, up to date or failed to copy
    std::size_t filesTotal = 0;      // distinct files the pages link to (0 with copying "Manual")
    std::size_t filesUpToDate = 0;   // of those done: the copy there was the source's
    std::uint64_t bytesDone = 0;     // the sources' bytes of the copies done
    std::uint64_t bytesTotal = 0;    // the sources' bytes of every copy
    std::size_t thumbnailsDone = 0;  // made, up to date or failed
    std::size_t thumbnailsTotal = 0;
    std::size_t thumbnailsUpToDate = 0;  // of those done: made earlier from the same source
};

// Called after each page, file and thumbnail is done, one call at a time; returning false stops
// the export once the work under way is done.
using ExportProgressFn = std::function<bool(const ExportProgress&)>;

enum class ExportStatus {
    Completed,      // every folder was written; single pages or files may still have failed
    Stopped,        // the progress callback asked to stop; what was written stays
    Refused,        // the folder must never be cleared; nothing was touched
    NotCleared,     // the folder holds files and clearing was not agreed; nothing was touched
    NoRoot,         // the tree has no root; nothing was touched
    FolderNotMade,  // the export folder could not be made, used or written; nothing was exported
    Busy  // another export kept writing into the folder for kExportLockWait; nothing was touched
};

struct ExportResult {
    ExportStatus status = ExportStatus::Completed;
    std::size_t pagesWritten = 0;
    std::size_t filesCopied = 0;
    std::size_t pagesUpToDate = 0;  // already in the folder with the same bytes
    // Pages composed; the others were proved up to date by what they are composed from.
    std::size_t pagesComposed = 0;
    std::size_t filesUpToDate = 0;  // already copied, with the source's size and time
    std::size_t thumbnailsMade = 0;
    std::size_t thumbnailsUpToDate = 0;  // already made from the source as it is
    // The folder was proved to hold what the last export left there for the same project,
    // settings and sources, without planning anything: everything was up to date.
    bool unchanged = false;
    // Files and folders of the folder that the export does not make, deleted.
    std::size_t entriesDeleted = 0;
    // Files and folders deleted by clearing the folder first (`full`).
    std::size_t entriesCleared = 0;
    // What could not be deleted, then pages that could not be written, then linked files that
    // could not be copied (missing sources among them), then pictures whose thumbnail could not
    // be made, the pages and files in plan order whatever the order the threads did them in.
    std::vector<ExportFailure> failures;
    std::string message;                 // one sentence for the user
    std::filesystem::path exportFolder;  // the folder written, resolved
    // The website's first page, for Preview (only meaningful after a completed export).
    std::filesystem::path rootPage;

    bool AllWritten() const { return status == ExportStatus::Completed && failures.empty(); }
};
