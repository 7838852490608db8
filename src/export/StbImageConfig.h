#pragma once

// Only picture headers are ever read, through callbacks on files this program opens.
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_FAILURE_USERMSG
#include <stb/stb_image.h>
