#pragma once

// Only picture headers are ever read, through callbacks on files this program opens, and only
// the formats the export measures for thumbnails (GIF and JPEG): every other decoder is code an
// odd file could reach for nothing.
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_FAILURE_USERMSG
// Both formats store each side in 16 bits.
#define STBI_MAX_DIMENSIONS 65535
#include <stb/stb_image.h>
