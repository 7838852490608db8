#include "ExportParametersFor.h"

#include <utility>

ExportParameters ExportParametersFor(const CProject& project, std::filesystem::path folder) {
    return {.tree = project.Tree(),
            .pageOption = project.PageOption(),
            .layoutOption = project.LayoutOption(),
            .exportFolder = std::move(folder),
            .projectFile = project.Path(),
            .clearExistingFolder = false,
            .progress = {},
            .cancel = nullptr,
            .full = false,
            .threads = 0,
            .pictures = project.Settings().pictures,
            .pages = project.Settings().pages};
}
