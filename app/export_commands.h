// File > Export picture and Export mesh: the canvas as it is shown, written
// as a PNG or an SVG file by the name's extension; the surface shown, as an
// OBJ file.
#pragma once

#include <string>

#include "base/platform.h"

namespace tambra {

// What a picture of the canvas would be for `name` (".png", ".svg", any
// case): its bytes, or "" with `why` set when the name or the canvas does
// not allow one.
std::string PictureFor(const Raster& canvas, const std::string& name, std::string& why);

// Asks for a name (starting from the model file's, as .png), writes the
// picture through the atomic writer and says on the status line what it
// wrote or why it wrote nothing; a failed write is also reported in a box.
void ExportPicture(Platform& window);

// File > Export mesh (Surfaces mode): the surface shown as a Wavefront OBJ
// file, asked for and written as a picture is.
void ExportMesh(Platform& window);

}  // namespace tambra
