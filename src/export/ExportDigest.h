#pragma once

#include <filesystem>
#include <vector>

#include "ExportCache.h"
#include "ExportFolder.h"
#include "SourceFiles.h"

// What an export's output depends on, as digests: equal digests make equal websites, so that a
// re-export whose digest is the one the export folder's record keeps (ExportShortcut) need not
// plan anything. A digest that is all zero stands for inputs that cannot be vouched for; it
// never matches.

// The project as it would be saved (whatever is saved or not), its website settings, the project
// file and the export folder `folder` (resolved), the program's version and its picture module.
// Not the sources: see SourcesDigest.
PageHash ExportInputsDigest(const ExportParameters& parameters,
                            const std::filesystem::path& folder);

// The sources the project links to as the disk showed them (in ProjectLinkedFiles order, each
// FindSource of the project's file), by their stamps. All zero when one of them is not a regular
// file: the look the export then takes (a missing file is searched for without regard to case)
// goes further than a stamp.
PageHash SourcesDigest(const std::vector<FoundSource>& sources);

// Both together; all zero when either is.
PageHash CombinedDigest(const PageHash& inputs, const PageHash& sources);
