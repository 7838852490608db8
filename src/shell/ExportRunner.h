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
    // What an export into the folder `check` found holding files will do, worked out the same
    // way: nothing when the folder is what the last export left there for the same inputs
    // (IsUnchangedExport), else the export's plan (marked stopped when the user cancelled, or
    // when planning failed: then `failure` says why), to be handed to Run as
    // ExportParameters::knownPlan.
    std::optional<ExportPlan> Plan(QWidget* parent, ExportParameters parameters,
                                   const ExportFolderCheck& check, QString& failure) const;

    // How long an export runs before the progress dialog shows.
    void SetProgressDelay(std::chrono::milliseconds delay) { progressDelay = delay; }
    // What does the export; tests put a slower or gated one here.
    void SetExportFunction(ExportFunction function) { exportFunction = std::move(function); }

private:
    std::chrono::milliseconds progressDelay{500};
    ExportFunction exportFunction = [](const ExportParameters& p) { return ExportWebsite(p); };
};
