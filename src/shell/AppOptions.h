#pragma once

#include "LayoutOption.h"
#include "PageOption.h"

// The page and layout properties of the open project. They live for the whole run; New and Open
// reset them, the project file fills them, and the property sheets edit them in place.
extern CPageOption thePageOption;
extern CLayoutOption theLayoutOption;
