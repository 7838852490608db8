// stb_image's implementation, in a file of its own so that the warnings of the third-party code
// are silenced here only (see CMakeLists.txt) and never inlined into our own functions.
#define STB_IMAGE_IMPLEMENTATION
#include "StbImageConfig.h"
