// Writes a raster as an 8-bit RGB PNG file (uncompressed deflate blocks, so
// no compression library is needed).
#pragma once

#include <string>

#include "base/raster.h"

namespace tambra {

// Returns false when the file cannot be written.
bool WritePng(const Raster& raster, const std::string& path);

}  // namespace tambra
