#include "AppOptions.h"

CPageOption thePageOption;
CLayoutOption theLayoutOption;
