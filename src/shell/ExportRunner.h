#pragma once

#include <QString>
#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "ExportPlan.h"
#include "WebsiteExporter.h"

class QWidget;

// Runs an export, or the check before one, on a worker thread so that the window goes on
// painting. While it runs the window takes no input; when it takes longer than a moment a modal
// progress dialog appears whose Cancel stops the work (an export after the pages and files under
// way).
class CExportRunner {
public:
    using ExportFunction = std::function<ExportResult(const ExportParameters&)>;

    // Returns when the export is over. The tree and the options in the parameters must not change
    // until then; the runner itself keeps the user's hands off them.
    ExportResult Run(QWidget* parent, ExportParameters parameters) const;
    // Builds the export's plan, which lists what is wrong with the website, the same way; a plan
    // marked stopped when the user cancelled.
    ExportPlan Check(QWidget* parent, ExportParameters parameters) const;
    // What the window works out before an export, on the worker with the progress dialog: the
    // export folder's check (CheckExportFolder) and, with `plan`, for a folder that holds files,
    // whether the export has anything to do there (IsUnchangedExport) and else its plan, to be
    // handed to Run as ExportParameters::knownPlan, and what it would delete that it did not
    // make (the first `named` of them named).
    struct Preparation {
        ExportFolderCheck check;
        std::optional<ExportPlan> plan;  // none: nothing was planned
        UnplannedEntries unplanned;
        bool stopped = false;  // the user cancelled
        QString failure;       // why it could not be worked out; then nothing may go on
    };
    Preparation Prepare(QWidget* parent, ExportParameters parameters, bool plan,
                        std::size_t named) const;

    // How long an export runs before the progress dialog shows.
    void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay = delay; }
    // What does the export; tests put a slower or gated one here.
    void SetExportFunction(ExportFunction function) { exportFunction = std::move(function); }

private:
    std::chrono::milliseconds progressDelay{500};
    ExportFunction exportFunction = [](const ExportParameters& p) { return ExportWebsite(p); };
};
