#pragma once

#include <filesystem>

#include "ExportFolder.h"
#include "Project.h"

// What exporting the project into `folder` takes: its tree, its options and its website
// settings, which must outlive the parameters, and its file. Nothing is cleared or cancelled and
// every page is compared with what the folder holds, until the caller sets otherwise.
ExportParameters ExportParametersFor(const CProject& project, std::filesystem::path folder);
