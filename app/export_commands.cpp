#include "app/export_commands.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>

#include "app/command_table.h"
#include "app/menu_tree.h"
#include "base/atomic_file.h"
#include "base/model_state.h"
#include "base/picture_export.h"

namespace tambra {

namespace {

std::string LowerExtension(const std::string& name) {
  std::string extension = std::filesystem::path(name).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

// The model file's name with the export's extension: "bicubic.png".
void StartingName(char (&name)[kMaxFileName], const char* extension) {
  std::filesystem::path path = Model().controlFileName;
  path.replace_extension(extension);
  const std::string text = path.filename().string();
  std::strncpy(name, text.c_str(), kMaxFileName - 1);
  name[kMaxFileName - 1] = '\0';
}

// Writes `text` through the atomic writer and says on the status line what
// was written, or why not (a failed write also in a box).
void WriteExport(Platform& window, const std::string& path, const std::string& text,
                 const std::string& what) {
  FileWriteFailure failure;
  if (!WriteFileAtomically(path, text, failure)) {
    const std::string message = "Cannot write \"" + path + "\": " + failure.reason;
    window.ReportError(message.c_str());
    window.ShowStatus(message.c_str());
    return;
  }
  const std::string done = "Exported \"" + path + "\" (" + what + ")";
  window.ShowStatus(done.c_str());
}

// Asks for the name to export to; a name without an extension gets
// `extension`. False when the prompt was cancelled.
bool AskExportName(Platform& window, const FilePrompt& prompt, std::string& path) {
  Model().acceptRelease = 0;
  char name[kMaxFileName];
  StartingName(name, prompt.defaultExtension);
  if (!window.AskFileName(prompt, name)) return false;
  path = name;
  if (LowerExtension(path).empty()) path += std::string(".") + prompt.defaultExtension;
  return true;
}

}  // namespace

std::string PictureFor(const Raster& canvas, const std::string& name, std::string& why) {
  if (canvas.width() <= 0 || canvas.height() <= 0) {
    why = "Export picture needs a canvas; the window shows none";
    return "";
  }
  const std::string extension = LowerExtension(name);
  if (extension == ".svg") return EncodeSvg(canvas, CommandName);
  if (extension == ".png") return EncodePng(canvas);
  why = "Export picture writes .png or .svg files; \"" + name + "\" is neither";
  return "";
}

void ExportPicture(Platform& window) {
  const FilePrompt prompt{"Export picture", "Picture (*.png *.svg)", "*.png *.svg", "png", true};
  std::string path, why;
  if (!AskExportName(window, prompt, path)) return;
  const std::string picture = PictureFor(window.Canvas(), path, why);
  if (picture.empty()) return window.ShowStatus(why.c_str());
  WriteExport(window, path, picture,
              std::to_string(window.Canvas().width()) + " x " +
                  std::to_string(window.Canvas().height()) + " pixels");
}

void ExportMesh(Platform& window) {
  // Nothing to ask for when there is nothing to write.
  std::string why;
  if (ShownSurfaceMesh(why).empty()) return window.ShowStatus(why.c_str());
  const FilePrompt prompt{"Export mesh", "Wavefront OBJ (*.obj)", "*.obj", "obj", true};
  std::string path;
  if (!AskExportName(window, prompt, path)) return;
  const std::string mesh = ShownSurfaceMesh(why);
  if (mesh.empty()) return window.ShowStatus(why.c_str());
  WriteExport(window, path, mesh, "surface and control net");
}

}  // namespace tambra
