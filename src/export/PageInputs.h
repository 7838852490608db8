#pragma once

#include <atomic>

#include "ExportPlan.h"

// What every planned page is composed from, hashed while the plan is made (PlannedPage::inputs):
// the options, the charset and the style, the texts of the folder and of the items the page
// shows, the navigation it carries (captions and page names of the folders it links to), the
// links and picture sizes the plan decided for the files it shows, and, for a page that shows a
// file's size or reads its date, the file's stamp. An earlier export's page made from the same
// inputs, still as that export left it, is the page again: it need not be composed. The pages'
// thumbnails and view pictures are taken as made; carrying out the plan composes every page when
// one of them could not be made. Runs on several threads; stops early when `cancel` becomes true.
void HashPageInputs(ExportPlan& plan, const std::atomic<bool>* cancel);

// The inputs of a page that nothing may be taken for: the page is composed.
inline constexpr PageHash kUnknownInputs{};
