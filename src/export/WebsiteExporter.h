#pragma once

#include "ExportFolder.h"
#include "ExportResult.h"

// Exporting a website: a flat folder of pages, one or more for every folder of the tree, named
// after the folder's place in the tree (the root's first page is always Index.htm), plus a copy
// of every linked local file in the sub-folders image, doc, audio, video, zip and others, and,
// when the website's settings ask for them, thumbnail files of its pictures in thumb.
//
// The same calls serve the window, pagelorn-cli and the tests:
//   1. CheckExportFolder (ExportFolder.h) says whether the folder is missing, empty, holds files
//      or must never be cleared.
//   2. ExportWebsite does the export: it opens the export folder once, locks it against a
//      second export (waiting kExportLockWait for one under way), checks what it opened with
//      the refusals of CheckExportFolder, builds the export's plan (ExportPlan.h) and carries it
//      out, every step inside that open folder: should the folder or one of its sub-folders be
//      replaced by a link meanwhile, nothing outside is deleted or written. Into a folder that
//      holds files it goes only when clearExistingFolder is set. There it writes only what
//      differs from what the folder holds (a page whose bytes are the same, a copy with its
//      source's size and modification time stay) and deletes everything the plan does not
//      produce, so that the folder ends as a fresh export would leave it; `full` clears the
//      folder and writes everything instead. A folder whose record says that the last run left
//      it complete for the same inputs (ExportDigest.h), and that holds exactly what that run
//      left, is done without a plan (ExportResult::unchanged). The user's own entries at the top
//      (IsKeptTopEntry) are never deleted. It may run on a worker thread as long as nobody changes
//      the tree or the options while it runs; progress reports arrive on its worker threads, one at
//      a time.
//   3. After a completed export the caller clears the tree's export-pending flag (the export
//      reads the tree and changes nothing in it); Preview opens ExportResult::rootPage.
// Every path is explicit: the current directory is neither read for the export folder nor
// changed. Choosing a folder for an empty `location` is the caller's business (ExportLocation.h).
// Pages and copies are written under a temporary name and renamed into place once whole, so a
// full disk or an interruption never leaves a truncated file under a real name.

ExportResult ExportWebsite(const ExportParameters& parameters);

// Whether the folder that `check` (of these parameters) found not empty holds what the last
// export left there for the same inputs, so that ExportWebsite would do nothing in it: nothing
// there is foreign, and nothing needs planning to say so.
bool IsUnchangedExport(const ExportParameters& parameters, const ExportFolderCheck& check);

// The name of the root's first page.
inline constexpr const char* kRootPageFileName = "Index.htm";
