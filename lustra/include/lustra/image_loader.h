#pragma once

#include "lustra/lustra_export.h"

class QImage;

namespace LUSTRA {

// The picture of a file (UTF-8 path), premultiplied ARGB, no colour correction. A missing or
// unreadable file gives a null (0 x 0) picture, never a null pointer. The caller owns it.
LUSTRA_API QImage* LoadBmpFromFile(const char* path);

// The picture compiled in as resource "<root>/<type>/<id>" (the library's own pictures lie under
// ":/lustra"); null when the resource is missing or cannot be decoded. The caller owns it.
LUSTRA_API QImage* LoadImageFromRes(unsigned int id, const char* type,
                                    const char* root = ":/lustra");

} // namespace LUSTRA
