// The canvas as a picture file: a PNG of its pixels, or an SVG drawn from
// its display list (each polyline, mark and rectangle a vector element in its
// colour and width, the figures of a command grouped under its name).
#pragma once

#include <functional>
#include <string>

#include "base/raster.h"

namespace tambra {

// An 8-bit RGB PNG, compressed by the program's own deflate (no
// compression library is needed); "" for a canvas without pixels.
std::string EncodePng(const Raster& raster);

// The menu text of a command id, "" when it has none.
using CommandNamer = std::function<std::string(int command)>;

// An SVG of the canvas at its size, painted over white in the list's order,
// the figures of one command grouped and titled by `commandName`, those of
// none titled "Model";
// "" for a canvas without pixels. Numbers are written in the "C" locale and
// nothing that is not finite is written.
std::string EncodeSvg(const Raster& raster, const CommandNamer& commandName);

}  // namespace tambra
